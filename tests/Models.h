// Plain, obviously correct models of the program's text rules, for tests and fuzz targets to compare
// the real code with.
#pragma once

#include "Conversion.h"
#include "platform/AnsiText.h"

#include <map>
#include <vector>

namespace Models {

/// Replace-all with the boundary rule spelled out the slow way: each candidate is checked by walking
/// back from it, in the text after the last replacement.
inline AnsiString ReplaceAll(const AnsiString& s, const AnsiString& p, const AnsiString& n) {
    if (p.empty())
        return s;
    AnsiString result;
    AnsiString rest = s;
    for (;;) {
        std::size_t found = AnsiString::npos;
        for (std::size_t k = 0; k + p.size() <= rest.size(); ++k) {
            if (rest.compare(k, p.size(), p) == 0 && AnsiText::StartsCharacter(rest, k)) {
                found = k;
                break;
            }
        }
        if (found == AnsiString::npos)
            return result + rest;
        result += rest.substr(0, found) + n;
        rest = rest.substr(found + p.size());
    }
}

/// Line splitting as a little state machine over the bytes.
inline std::vector<AnsiString> SplitLines(const AnsiString& text) {
    std::vector<AnsiString> lines;
    AnsiString line;
    bool open = false;    // a line has started and not ended
    bool afterCr = false; // the last byte was a CR
    for (const char c : text) {
        if (c == '\0')
            break;
        if (c == '\n' && afterCr) {
            afterCr = false;
            continue;
        }
        afterCr = c == '\r';
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
        } else {
            line += c;
            open = true;
        }
    }
    if (open)
        lines.push_back(line);
    return lines;
}

/// Each dictionary entry on its own, one replacement after the other: the walk without any batching.
/// One-byte keys rewrite the readings of earlier entries too, so the output can grow very fast; past
/// limit bytes the model stops and sets *tooLong.
inline AnsiString EntryByEntry(const std::vector<AnsiString>& dictionary, const AnsiString& input,
                               bool spaced, bool annotated, std::size_t limit = AnsiString::npos,
                               bool* tooLong = nullptr) {
    AnsiString output = input;
    for (const AnsiString& line : dictionary) {
        const AnsiString key = AnsiText::FirstChar(line);
        AnsiString reading = line;
        AnsiText::Delete(reading, AnsiText::ByteFind(key, reading), key.size());
        if (AnsiText::ByteFind(key, input) == 0)
            continue;
        output = ReplaceAll(output, key, StyledReading(key, reading, spaced, annotated && spaced));
        if (output.size() > limit) {
            if (tooLong)
                *tooLong = true;
            break;
        }
    }
    return output;
}

/// One left-to-right pass, a character at a time by the lead-byte rule: what the walk must give for a
/// dictionary of unique double-byte keys whose readings are pinyin.
inline AnsiString OnePass(const std::vector<AnsiString>& dictionary, const AnsiString& input, bool spaced,
                          bool annotated) {
    std::map<AnsiString, AnsiString> readings;
    for (const AnsiString& line : dictionary)
        readings.emplace(line.substr(0, 2),
                         StyledReading(line.substr(0, 2), line.substr(2), spaced, annotated && spaced));
    AnsiString output;
    for (std::size_t i = 0; i < input.size();) {
        const bool pair = AnsiText::IsLeadByte(static_cast<unsigned char>(input[i])) && i + 1 < input.size();
        const AnsiString character = input.substr(i, pair ? 2 : 1);
        const auto found = readings.find(character);
        output += found == readings.end() ? character : found->second;
        i += character.size();
    }
    return output;
}

} // namespace Models
