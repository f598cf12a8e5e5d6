// Widening the program's byte strings to the text of Qt's widgets, and narrowing it back.
//
// The tables are GB18030's: its one- and two-byte codes are code page 936's own for every Chinese
// character and pinyin letter, and it encodes the rest of Unicode in four bytes, so whatever a user
// enters survives the round trip. A byte that is no valid code becomes the lone surrogate U+DC00 + byte
// and turns back into that byte when narrowed, so no byte string is lost on its way through a widget.
#pragma once

#include "AnsiText.h"

#include <QString>

namespace CodePage {

/// The Unicode text of a code page 936 / GB18030 byte string.
QString Widen(std::string_view bytes);

/// The GB18030 bytes of a Unicode text. Lone surrogates other than the escaped bytes become "?", and so
/// do the 24 private-use points (U+E78D..U+E796 and 14 between U+E816 and U+E864) that GB18030 gave up
/// when the characters they stood for got codes of their own.
AnsiString Narrow(QStringView text);

} // namespace CodePage
