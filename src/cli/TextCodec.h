// Checking the text of an input file, and the two conversions between UTF-8 and the program's text
// (code page 936 / GB18030 bytes) that the window makes when text goes into and out of its boxes.
#pragma once

#include "platform/AnsiText.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace TextCodec {

/// Where the check of a text stopped.
struct TCheck {
    enum TStop {
        End,       ///< the whole text is valid
        Cut,       ///< before a sequence that the end of the text cuts short; more text may complete it
        Invalid,   ///< before a sequence that is not valid in the encoding
        NoGb18030, ///< (UTF-8) before a character that GB18030 has no code for
    };
    std::size_t valid = 0; ///< bytes of complete, valid characters from the start
    TStop stop = End;
    char32_t codePoint = 0; ///< NoGb18030: the character
};

/// Checks UTF-8 text. Besides invalid sequences it stops at the few characters that have no place in
/// the program's text because GB18030 has no code for them (HasGb18030Code).
TCheck CheckUtf8(std::string_view text);

/// Checks GB18030 text (GBK's codes are GB18030's own) with iconv.
TCheck CheckGb18030(std::string_view text);

/// Converts GB18030 to UTF-8 with iconv, through the tables that CodePage widens with, appending to out.
/// Stops at the end, or before a sequence that is invalid or cut short (valid, stop tell where and why).
TCheck Gb18030ToUtf8(std::string_view gb18030, std::string& out);

/// Converts UTF-8 to GB18030 the same way; a character that GB18030 has no code for is Invalid here.
TCheck Utf8ToGb18030(std::string_view utf8, std::string& out);

/// False for the private-use points that GB18030 gave up when the characters they stood for got codes
/// of their own (U+E78D..U+E796 and some between U+E816 and U+E864): the window turns them into "?".
bool HasGb18030Code(char32_t codePoint);

/// The program's text for valid UTF-8, narrowed as the window narrows what is typed in.
AnsiString Utf8ToAnsi(std::string_view utf8);

/// The UTF-8 for the program's text, widened as the window widens it for its boxes. False when the text
/// holds bytes that are no GB18030 code: the window shows those as escapes that UTF-8 cannot carry.
bool AnsiToUtf8(std::string_view ansi, std::string& utf8);

/// Whether a UTF-8 byte is a continuation byte (10xxxxxx).
inline bool IsContinuation(unsigned b) {
    return (b & 0xC0) == 0x80;
}

/// Whether bytes p..end, fewer than the sequence at p needs, can still begin a valid UTF-8 sequence.
bool ValidStart(const unsigned char* p, const unsigned char* end);

} // namespace TextCodec
