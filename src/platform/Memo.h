// The memo control: a plain-text box whose paste of a large text goes in piece by piece.
#pragma once

#include <QPlainTextEdit>

/// A plain-text box like Qt's, but a large text pasted or dropped into it goes in piece by piece, cut
/// after line ends, with the window repainting in between (input waits until the text is in). Qt inserts
/// a pasted text in one go, which holds the window still for half a minute on 100 MB. The result, the
/// cursor and the single undo step are those of Qt's own paste. A text too large for the memory left is
/// not pasted, and an error box says so.
class TMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    /// Texts longer than this many UTF-16 units are pasted piece by piece.
    static constexpr qsizetype kPastePiece = 65536;

    explicit TMemo(QWidget* parent = nullptr);

    /// Throws std::bad_alloc when the memory that a box's text document takes for a text of so many
    /// UTF-16 units and lines cannot be had. Qt's text document does not survive running out of memory
    /// while it grows, so a large text is measured against what the system grants before it goes in.
    static void EnsureRoomFor(qsizetype units, qsizetype lines);

protected:
    void insertFromMimeData(const QMimeData* source) override;
};
