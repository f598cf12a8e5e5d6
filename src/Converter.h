// The one-pass conversion: the dictionary list prepared once into a table of styled readings, and a
// conversion that goes through a text once, from left to right, and puts each dictionary character's
// styled reading in its place.
//
// The Convert walk (Conversion.h) replaces entry after entry over the whole text. One pass gives the
// same text when the dictionary list lets it, which the preparation checks: every key is a double-byte
// character, no key comes twice, every styled reading keeps the character boundaries of the text behind
// it, and no key stands on a character boundary inside the reading of an entry before it. The shipped
// dictionary passes. A dictionary that does not is converted by the walk itself.
//
// Two forms of text: code page 936 bytes (AnsiText.h), the walk's own text; and UTF-8, with the keys
// and readings widened once in advance through the GB18030 tables that the window widens with
// (CodePage.h), so that a UTF-8 text needs no narrowing and widening around the pass.
#pragma once

#include "platform/AnsiText.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TPages;

/// The three styles of the window: plain "hǎo", spaced " hǎo ", annotated " 好(hǎo) ".
enum class TStyle { Plain, Spaced, Annotated };

/// What a prepared dictionary converts.
enum class TTextForm {
    /// Code page 936 / GB18030 bytes, split into characters by the lead-byte rule.
    Ansi,
    /// UTF-8.
    Utf8,
};

/// Calls f(line) for each line of a dictionary file's text, as AnsiText::SplitLines splits it when the
/// window loads the file into its list, but without making the list.
template <class F> void ForEachDictionaryLine(std::string_view text, F f) {
    if (const std::size_t end = text.find('\0'); end != text.npos)
        text = text.substr(0, end);
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        f(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        f(text.substr(start));
}

class TPreparedDictionary {
public:
    /// Prepares the items of a dictionary list (lines such as "好hǎo", in list order), splitting each
    /// into key and reading as the walk does.
    TPreparedDictionary(const std::vector<AnsiString>& lines, TStyle style, TTextForm form);
    /// Prepares the list that the window loads from a dictionary file's text.
    TPreparedDictionary(std::string_view dictionaryText, TStyle style, TTextForm form);
    ~TPreparedDictionary();
    TPreparedDictionary(const TPreparedDictionary&) = delete;
    TPreparedDictionary& operator=(const TPreparedDictionary&) = delete;

    /// Whether one pass gives the walk's result for every text of this form.
    bool Qualifies() const { return whyNot.empty(); }
    /// Why it does not, naming the first dictionary line (1-based) in the way, e.g.
    /// "line 3: the key comes a second time".
    const std::string& WhyNot() const { return whyNot; }

    /// How far a call of Convert got.
    struct TProgress {
        std::size_t read = 0;    ///< bytes of the text converted
        std::size_t written = 0; ///< bytes written to the output
        bool invalid = false;    ///< stopped before a sequence that is not UTF-8 (Utf8 form only)
    };

    /// Output room that Convert needs to make progress: the longest styled reading and some slack.
    std::size_t Room() const { return room; }

    /// Converts text into out[0, capacity), from the start, until the text ends, the room left is less
    /// than Room(), or (Utf8) an invalid sequence comes. A character cut off by the end of text is left
    /// unread unless last is true: then an Ansi lead byte at the end is a character of its own, and a
    /// UTF-8 sequence cut short is invalid. Needs a prepared dictionary that Qualifies().
    TProgress Convert(std::string_view text, char* out, std::size_t capacity, bool last) const;

    /// Convert over a whole text; for a text that is not valid UTF-8, the conversion of its valid part.
    std::string Convert(std::string_view text) const;

private:
    template <class ForEachLine> void Prepare(ForEachLine forEachLine, TStyle style);
    template <class ForEachLine>
    void PrepareUtf8(ForEachLine forEachLine, std::size_t keyCount, bool spaced, bool annotated);
    TProgress ConvertAnsi(std::string_view text, char* out, std::size_t capacity, bool last) const;
    TProgress ConvertUtf8(std::string_view text, char* out, std::size_t capacity, bool last) const;
    std::uint32_t Supplementary(char32_t codePoint) const;
    std::uint32_t AddReading(std::string_view reading);

    TTextForm form;
    std::string whyNot;
    std::size_t room = 0;

    // The table and the styled readings share one block of zeroed memory (Pages.h).
    // A table slot holds (offset << 8 | length) of a styled reading, 0 for a character without entry:
    // Ansi slots go by the key's two bytes, first byte high, Utf8 slots by code point within the BMP.
    // The readings start after one byte that no reading uses and end with slack for 16-byte copies.
    std::unique_ptr<TPages> memory;
    std::uint32_t* table = nullptr;
    char* blob = nullptr;
    std::size_t blobSize = 0;
    // Utf8: keys beyond the BMP, sorted by code point.
    std::vector<std::pair<char32_t, std::uint32_t>> supplementary;
};
