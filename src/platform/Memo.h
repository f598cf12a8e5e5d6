// The memo control: a plain-text box whose paste of a large text goes in piece by piece.
#pragma once

#include <QPlainTextEdit>

/// A plain-text box like Qt's, but a large text pasted or dropped into it goes in piece by piece, cut
/// after line ends, with the window repainting in between (input waits until the text is in). Qt inserts
/// a pasted text in one go, which holds the window still for half a minute on 100 MB. The result, the
/// cursor and the single undo step are those of Qt's own paste.
class TMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    /// Texts longer than this many UTF-16 units are pasted piece by piece.
    static constexpr qsizetype kPastePiece = 65536;

    explicit TMemo(QWidget* parent = nullptr);

protected:
    void insertFromMimeData(const QMimeData* source) override;
};
