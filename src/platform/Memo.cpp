#include "Memo.h"

#include "Events.h"

#include <QMimeData>
#include <QTextCursor>

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

void TMemo::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || !source->hasText() || source->text().size() <= kPastePiece) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QString text = source->text();
    QTextCursor cursor = textCursor();
    Events::TPacer pacer;
    pacer.Begin();
    for (qsizetype from = 0; from < text.size();) {
        const qsizetype to = PieceEnd(text, from, kPastePiece);
        if (from == 0)
            cursor.beginEditBlock(); // the first piece also takes the selection's place
        else
            cursor.joinPreviousEditBlock();
        cursor.insertText(text.mid(from, to - from));
        cursor.endEditBlock();
        from = to;
        if (from < text.size() && pacer.Due())
            pacer.ProcessMessagesButInput();
    }
    setTextCursor(cursor);
    ensureCursorVisible();
}
