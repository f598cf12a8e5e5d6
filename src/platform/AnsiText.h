// Byte strings in code page 936 (GBK) and the string services the program is built on.
//
// A byte from 0x81 to 0xFE is the first byte of a two-byte character together with the byte after it
// (the lead-byte rule); every other byte is a one-byte character. Lengths and positions count bytes;
// positions are 1-based, 0 meaning "not found". Text from the window may also hold GB18030's four-byte
// sequences (lead, digit, lead, digit) for characters that GBK lacks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

using AnsiString = std::string;

namespace AnsiText {

/// True for the bytes 0x81..0xFE that open a two-byte character.
constexpr bool IsLeadByte(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}

/// The first character of s: "" for an empty s; two bytes when s starts with a lead byte that has a byte
/// after it; the four bytes of a GB18030 four-byte sequence; otherwise the first byte.
/// FirstChar("好hǎo") == "好", FirstChar("a1") == "a".
AnsiString FirstChar(std::string_view s);

/// 1-based byte position of the first occurrence of p in s, by plain byte comparison and with no regard
/// for character boundaries; 0 when p or s is empty or p does not occur. ByteFind("b", "abc") == 2.
std::size_t ByteFind(std::string_view p, std::string_view s);

/// Removes n bytes of s starting at the 1-based position k; nothing happens when k is 0 or past the end,
/// or n is 0. Fewer bytes are removed when the end comes first.
void Delete(AnsiString& s, std::size_t k, std::size_t n);

/// True when the byte at offset k of s starts a character: the run of lead bytes right before it, counted
/// back from k - 1, has even length. Exact for well-formed text, where such a run starts on a boundary.
bool StartsCharacter(std::string_view s, std::size_t k);

/// A two-byte key that starts with a lead byte: the kind of key whose replacements can be made together
/// in one pass over a text.
inline bool IsDoubleByteKey(std::string_view key) {
    return key.size() == 2 && IsLeadByte(static_cast<unsigned char>(key[0]));
}

/// True when the run of lead bytes at the end of n is even, so that putting n in place of a double-byte
/// character leaves every later character boundary of the text where it was.
inline bool KeepsBoundaries(std::string_view n) {
    std::size_t run = 0;
    while (run < n.size() && IsLeadByte(static_cast<unsigned char>(n[n.size() - 1 - run])))
        ++run;
    return run % 2 == 0;
}

/// Replaces every occurrence of p in s that starts on a character boundary by n, from left to right;
/// replacements are not searched again. An occurrence is tested against the text after the previous
/// replacement, as if that were a string of its own. Returns s unchanged when p is empty.
AnsiString ReplaceAll(std::string_view s, std::string_view p, std::string_view n);

/// Splits a text into the items of a list: CR, LF and CR LF each end a line, a zero byte ends the text,
/// text after the last line end is an item only when not empty, an empty line between two line ends is
/// an empty item. SplitLines("a\r\n\nb\r\n") == {"a", "", "b"}.
std::vector<AnsiString> SplitLines(std::string_view text);

/// The same split over any kind of characters, as views into text: the window splits the widened
/// text of the dictionary file with it, line for line with the bytes.
template <class Char>
std::vector<std::basic_string_view<Char>> SplitLineViews(std::basic_string_view<Char> text) {
    if (const std::size_t end = text.find(Char(0)); end != text.npos)
        text = text.substr(0, end);
    std::vector<std::basic_string_view<Char>> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Char c = text[i];
        if (c != Char('\r') && c != Char('\n'))
            continue;
        lines.push_back(text.substr(start, i - start));
        if (c == Char('\r') && i + 1 < text.size() && text[i + 1] == Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

} // namespace AnsiText
