#include "Memo.h"

#include "Dialogs.h"
#include "Events.h"

#include <QMimeData>
#include <QTextCursor>

#include <algorithm>
#include <new>
#include <sys/mman.h>

namespace {

/// The end of the piece of text that starts at from: right after a line end at most piece units on, or
/// else there, but never inside a surrogate pair or between CR and LF (Qt reads CR LF as one line end).
qsizetype PieceEnd(const QString& text, qsizetype from, qsizetype piece) {
    if (text.size() - from <= piece)
        return text.size();
    const qsizetype lineEnd = text.lastIndexOf(u'\n', from + piece - 1);
    if (lineEnd >= from + piece / 4)
        return lineEnd + 1;
    qsizetype to = from + piece;
    if (text[to - 1].isHighSurrogate() || (text[to - 1] == u'\r' && text[to] == u'\n'))
        ++to;
    return to;
}

} // namespace

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {}

void TMemo::EnsureRoomFor(qsizetype units, qsizetype lines) {
    // Measured with Qt 6.4 on a 20 MB paste: about 150 bytes a line (a text block each) and 2 a UTF-16
    // unit, both in arrays that grow by doubling and are, while they move, there twice over. Counted
    // with a margin (found under address-space limits from 1.5 to 7 GB with a 100 MB paste and its
    // Convert: every limit either converted or said "Out of memory"), and room for the rest of the
    // window's work around it.
    constexpr std::size_t kBytesPerUnit = 6;
    constexpr std::size_t kBytesPerLine = 500;
    constexpr std::size_t kHeadroom = std::size_t(64) << 20;
    const std::size_t bytes = std::size_t(std::max<qsizetype>(units, 0)) * kBytesPerUnit +
                              std::size_t(std::max<qsizetype>(lines, 0)) * kBytesPerLine + kHeadroom;
    // Mapped and unmapped at once, outside the heap: a mapping that the system grants counts against
    // the same limits (address space, overcommit) as the document's own allocations will.
    void* probe = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (probe == MAP_FAILED)
        throw std::bad_alloc();
    ::munmap(probe, bytes);
}

void TMemo::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // Errors stop here: this runs inside Qt's handling of a key, a menu or a drop.
    QTextCursor cursor = textCursor();
    bool inserted = false; // the paste's undo step has begun
    bool editing = false;  // inside it
    try {
        const QString text = source->text();
        if (text.size() <= kPastePiece) {
            QPlainTextEdit::insertFromMimeData(source);
            return;
        }
        EnsureRoomFor(text.size(), text.count(u'\n') + text.count(u'\r'));
        Events::TPacer pacer;
        pacer.Begin();
        for (qsizetype from = 0; from < text.size();) {
            const qsizetype to = PieceEnd(text, from, kPastePiece);
            if (from == 0)
                cursor.beginEditBlock(); // the first piece also takes the selection's place
            else
                cursor.joinPreviousEditBlock();
            inserted = editing = true;
            cursor.insertText(text.mid(from, to - from));
            cursor.endEditBlock();
            editing = false;
            from = to;
            if (from < text.size() && pacer.Due())
                pacer.ProcessMessagesButInput();
        }
        setTextCursor(cursor);
        ensureCursorVisible();
    } catch (...) {
        // What went in goes out again: the box is as it was before the paste.
        if (editing)
            cursor.endEditBlock();
        if (inserted)
            document()->undo();
        Dialogs::StandardReport(std::current_exception());
    }
}
