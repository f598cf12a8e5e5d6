#include "Converter.h"

#include "Conversion.h"
#include "cli/Pages.h"
#include "cli/TextCodec.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <unordered_map>

using AnsiText::ByteFind;
using AnsiText::Delete;
using AnsiText::FirstChar;
using AnsiText::IsDoubleByteKey;
using AnsiText::IsLeadByte;
using AnsiText::KeepsBoundaries;
using TextCodec::IsContinuation;
using TextCodec::ValidStart;

namespace {

constexpr std::size_t kMaxReading = 255;
// Readings are copied 16 bytes at a time, so the blob and the output have that much slack.
constexpr std::size_t kCopy = 16;

using TPairSet = std::bitset<65536>;

unsigned PairCode(std::string_view s, std::size_t i) {
    return unsigned(static_cast<unsigned char>(s[i])) << 8 | static_cast<unsigned char>(s[i + 1]);
}

/// Marks the double-byte characters that start on a boundary inside reading n, which is read as a text
/// of its own: it is put where a character started, so its boundaries are those it has alone.
void NoteBoundaryPairs(std::string_view n, TPairSet& pairs) {
    for (std::size_t i = 0; i < n.size();) {
        if (IsLeadByte(static_cast<unsigned char>(n[i])) && i + 1 < n.size()) {
            pairs.set(PairCode(n, i));
            i += 2;
        } else {
            ++i;
        }
    }
}

std::string LineProblem(std::size_t index, const char* what) {
    return "line " + std::to_string(index + 1) + ": " + what;
}

/// The code point of the UTF-8 sequence at the start of s (valid UTF-8 from iconv) and its length.
std::pair<char32_t, std::size_t> FirstCodePoint(std::string_view s) {
    const auto b = [&](std::size_t i) { return char32_t(static_cast<unsigned char>(s[i])); };
    if (b(0) < 0x80)
        return {b(0), 1};
    if (b(0) < 0xE0)
        return {(b(0) & 0x1F) << 6 | (b(1) & 0x3F), 2};
    if (b(0) < 0xF0)
        return {(b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F), 3};
    return {(b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F), 4};
}

inline char* PutReading(char* o, const char* readings, std::uint32_t value) {
    const std::size_t offset = value >> 8;
    const std::size_t length = value & 0xFF;
    std::memcpy(o, readings + offset, kCopy);
    if (length > kCopy)
        std::memcpy(o + kCopy, readings + offset + kCopy, length - kCopy);
    return o + length;
}

} // namespace

TPreparedDictionary::TPreparedDictionary(const std::vector<AnsiString>& lines, TStyle style, TTextForm form)
    : form(form) {
    Prepare(
        [&](auto f) {
            for (const AnsiString& line : lines)
                f(std::string_view(line));
        },
        style);
}

TPreparedDictionary::TPreparedDictionary(std::string_view dictionaryText, TStyle style, TTextForm form)
    : form(form) {
    Prepare([&](auto f) { ForEachDictionaryLine(dictionaryText, f); }, style);
}

TPreparedDictionary::~TPreparedDictionary() = default;

template <class ForEachLine> void TPreparedDictionary::Prepare(ForEachLine forEachLine, TStyle style) {
    const bool spaced = style != TStyle::Plain;
    const bool annotated = style == TStyle::Annotated;
    // Room for the readings: a styled reading has at most 4 bytes more than its line, and widening to
    // UTF-8 at most doubles the bytes of a GB18030 text.
    std::size_t bound = 1 + kCopy;
    forEachLine([&](std::string_view line) { bound += 2 * line.size() + 8; });
    const std::size_t tableBytes = 65536 * sizeof(std::uint32_t);
    memory = std::make_unique<TPages>(tableBytes + bound);
    table = reinterpret_cast<std::uint32_t*>(memory->Data());
    blob = memory->Data() + tableBytes;
    blobSize = 1;

    TPairSet keys;
    TPairSet inReadings;
    std::size_t index = 0;
    std::size_t keyCount = 0;
    std::size_t longest = 0;
    forEachLine([&](std::string_view line) {
        const std::size_t i = index++;
        if (!whyNot.empty())
            return;
        const AnsiString key = FirstChar(line);
        if (key.empty())
            return; // an empty line: the walk's presence test never finds an empty key
        if (!IsDoubleByteKey(key)) {
            whyNot = LineProblem(i, "the key is not a double-byte character");
            return;
        }
        AnsiString reading(line);
        Delete(reading, ByteFind(key, reading), key.size());
        const AnsiString n = StyledReading(key, reading, spaced, annotated);
        const unsigned code = PairCode(key, 0);
        if (keys.test(code)) {
            whyNot = LineProblem(i, "the key comes a second time");
            return;
        }
        if (inReadings.test(code)) {
            whyNot = LineProblem(i, "the key stands in the reading of an entry before it");
            return;
        }
        if (!KeepsBoundaries(n)) {
            whyNot = LineProblem(i, "the reading ends inside a double-byte character");
            return;
        }
        if (n.size() > kMaxReading) {
            whyNot = LineProblem(i, "the styled reading is longer than 255 bytes");
            return;
        }
        keys.set(code);
        NoteBoundaryPairs(n, inReadings);
        ++keyCount;
        if (form == TTextForm::Ansi) {
            table[code] = AddReading(n);
            longest = std::max(longest, n.size());
        }
    });
    if (!whyNot.empty())
        return;
    if (form == TTextForm::Utf8) {
        PrepareUtf8(forEachLine, keyCount, spaced, annotated);
        if (!whyNot.empty())
            return;
        for (std::size_t code = 0; code < 65536; ++code)
            longest = std::max<std::size_t>(longest, table[code] & 0xFF);
        for (const auto& entry : supplementary)
            longest = std::max<std::size_t>(longest, entry.second & 0xFF);
    }
    room = std::max(longest, kCopy) + 8;
}

std::uint32_t TPreparedDictionary::AddReading(std::string_view reading) {
    // The bound in Prepare leaves room for every reading and the slack after the last.
    const auto offset = static_cast<std::uint32_t>(blobSize);
    std::memcpy(blob + blobSize, reading.data(), reading.size());
    blobSize += reading.size();
    return offset << 8 | static_cast<std::uint32_t>(reading.size());
}

template <class ForEachLine>
void TPreparedDictionary::PrepareUtf8(ForEachLine forEachLine, std::size_t keyCount, bool spaced,
                                      bool annotated) {
    // The keys, widened together and narrowed back: a key whose character does not narrow to the key
    // again would not be the window's key for that character.
    std::string keys;
    keys.reserve(2 * keyCount);
    forEachLine([&](std::string_view line) {
        if (!line.empty())
            keys.append(line.substr(0, 2));
    });
    std::string keys8;
    keys8.reserve(3 * keyCount);
    std::string back;
    back.reserve(2 * keyCount);
    if (TextCodec::Gb18030ToUtf8(keys, keys8).stop != TextCodec::TCheck::End ||
        TextCodec::Utf8ToGb18030(keys8, back).stop != TextCodec::TCheck::End || back != keys) {
        whyNot = "a key is no GB18030 character that comes back unchanged from Unicode";
        return;
    }
    std::size_t characters = 0;
    for (const char c : keys8)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (characters != keyCount) {
        whyNot = "a key widens to more than one character";
        return;
    }

    // The readings, widened character by character: GB18030 knows no state, so that is the widening of
    // the whole reading. Few characters occur in readings; each is widened once.
    struct TWidened {
        bool valid;
        std::string utf8;
    };
    std::unordered_map<std::uint64_t, TWidened> widened;
    const auto widen = [&](std::string_view reading, std::string& out) {
        for (std::size_t i = 0; i < reading.size();) {
            const auto b = static_cast<unsigned char>(reading[i]);
            if (b < 0x80) {
                out.push_back(char(b));
                ++i;
                continue;
            }
            const bool fourBytes = i + 1 < reading.size() && reading[i + 1] >= '0' && reading[i + 1] <= '9';
            const std::size_t length = std::min<std::size_t>(fourBytes ? 4 : 2, reading.size() - i);
            const std::string_view unit = reading.substr(i, length);
            std::uint64_t code = length; // a cut-off unit stays apart from whole ones
            for (const char c : unit)
                code = code << 8 | static_cast<unsigned char>(c);
            auto found = widened.find(code);
            if (found == widened.end()) {
                TWidened entry{false, {}};
                entry.valid = TextCodec::Gb18030ToUtf8(unit, entry.utf8).stop == TextCodec::TCheck::End;
                found = widened.emplace(code, std::move(entry)).first;
            }
            if (!found->second.valid)
                return false;
            out.append(found->second.utf8);
            i += length;
        }
        return true;
    };

    std::size_t index = 0;
    std::size_t at = 0; // in keys8
    std::string reading8;
    forEachLine([&](std::string_view line) {
        const std::size_t i = index++;
        if (!whyNot.empty() || line.empty())
            return;
        const auto [codePoint, length] = FirstCodePoint(std::string_view(keys8).substr(at));
        const std::string_view key8 = std::string_view(keys8).substr(at, length);
        at += length;
        reading8.clear();
        if (!widen(line.substr(2), reading8)) {
            whyNot = LineProblem(i, "the reading holds bytes that are no GB18030 code");
            return;
        }
        const AnsiString n = StyledReading(key8, reading8, spaced, annotated);
        if (n.size() > kMaxReading) {
            whyNot = LineProblem(i, "the styled reading is longer than 255 bytes");
            return;
        }
        const std::uint32_t value = AddReading(n);
        if (codePoint < 0x10000)
            table[codePoint] = value;
        else
            supplementary.emplace_back(codePoint, value);
    });
    std::sort(supplementary.begin(), supplementary.end());
}

std::uint32_t TPreparedDictionary::Supplementary(char32_t codePoint) const {
    const auto it = std::lower_bound(supplementary.begin(), supplementary.end(),
                                     std::pair<char32_t, std::uint32_t>(codePoint, 0));
    return it != supplementary.end() && it->first == codePoint ? it->second : 0;
}

TPreparedDictionary::TProgress TPreparedDictionary::Convert(std::string_view text, char* out,
                                                            std::size_t capacity, bool last) const {
    return form == TTextForm::Ansi ? ConvertAnsi(text, out, capacity, last)
                                   : ConvertUtf8(text, out, capacity, last);
}

TPreparedDictionary::TProgress TPreparedDictionary::ConvertAnsi(std::string_view text, char* out,
                                                                std::size_t capacity, bool last) const {
    if (capacity < room)
        return {};
    const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = begin + text.size();
    const auto* p = begin;
    char* o = out;
    char* const limit = out + (capacity - room);
    const std::uint32_t* const readingOf = table;
    const char* const readings = blob;
    // The lead-byte rule, as the walk splits its text: a lead byte and the byte after it are one
    // character; a lead byte at the very end of the text is one of its own. While 16 bytes are left,
    // no test for the end is needed.
    while (end - p >= 16 && o <= limit) {
        const unsigned b0 = p[0];
        if (IsLeadByte(static_cast<unsigned char>(b0))) [[likely]] {
            if (const std::uint32_t value = readingOf[b0 << 8 | p[1]]) [[likely]] {
                o = PutReading(o, readings, value);
            } else {
                std::memcpy(o, p, 2);
                o += 2;
            }
            p += 2;
        } else {
            *o++ = static_cast<char>(b0);
            ++p;
        }
    }
    while (p < end && o <= limit) {
        const unsigned b0 = p[0];
        if (!IsLeadByte(static_cast<unsigned char>(b0))) {
            *o++ = static_cast<char>(b0);
            ++p;
            continue;
        }
        if (p + 1 == end) {
            if (!last)
                break;
            *o++ = static_cast<char>(b0);
            ++p;
            continue;
        }
        if (const std::uint32_t value = readingOf[b0 << 8 | p[1]]) {
            o = PutReading(o, readings, value);
        } else {
            o[0] = static_cast<char>(b0);
            o[1] = static_cast<char>(p[1]);
            o += 2;
        }
        p += 2;
    }
    return {std::size_t(p - begin), std::size_t(o - out), false};
}

TPreparedDictionary::TProgress TPreparedDictionary::ConvertUtf8(std::string_view text, char* out,
                                                                std::size_t capacity, bool last) const {
    if (capacity < room)
        return {};
    const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = begin + text.size();
    const auto* p = begin;
    char* o = out;
    char* const limit = out + (capacity - room);
    const std::uint32_t* const bmp = table;
    const char* const readings = blob;
    const bool anySupplementary = !supplementary.empty();
    bool invalid = false;
    for (;;) {
        // While 16 bytes are left: ASCII, and the three-byte sequences of Chinese text, which are
        // checked and decoded here; all else goes the careful way below, one character at a time. The
        // table has no entry below U+0080, so ASCII is copied as it is.
        while (end - p >= 16 && o <= limit) {
            const unsigned b0 = p[0];
            if ((b0 & 0xF0) == 0xE0) [[likely]] {
                const unsigned b1 = p[1];
                const unsigned b2 = p[2];
                const std::uint32_t codePoint = (b0 & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F);
                if (!IsContinuation(b1) || !IsContinuation(b2) || codePoint < 0x800 ||
                    (codePoint >= 0xD800 && codePoint <= 0xDFFF)) [[unlikely]]
                    break;
                if (const std::uint32_t value = bmp[codePoint]) [[likely]] {
                    o = PutReading(o, readings, value);
                } else {
                    std::memcpy(o, p, 4);
                    o += 3;
                }
                p += 3;
            } else if (b0 < 0x80) {
                *o++ = static_cast<char>(b0);
                ++p;
            } else {
                break;
            }
        }
        if (p == end || o > limit)
            break;

        // One character the careful way: near the end of the text, beyond the BMP, or not valid.
        const unsigned b0 = p[0];
        if (b0 < 0x80) {
            *o++ = static_cast<char>(b0);
            ++p;
            continue;
        }
        const std::size_t length = b0 >= 0xC2 && b0 <= 0xDF   ? 2
                                   : b0 >= 0xE0 && b0 <= 0xEF ? 3
                                   : b0 >= 0xF0 && b0 <= 0xF4 ? 4
                                                              : 0;
        if (length == 0) {
            invalid = true;
            break;
        }
        if (std::size_t(end - p) < length) {
            // A sequence that the end of the text cuts short waits for the next block.
            invalid = last || !ValidStart(p, end);
            break;
        }
        const unsigned b1 = p[1];
        bool ok = !((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xED && b1 >= 0xA0) || (b0 == 0xF0 && b1 < 0x90) ||
                    (b0 == 0xF4 && b1 >= 0x90));
        char32_t codePoint = b0 & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            ok = ok && IsContinuation(p[k]);
            codePoint = codePoint << 6 | (p[k] & 0x3F);
        }
        if (!ok) {
            invalid = true;
            break;
        }
        const std::uint32_t value = codePoint < 0x10000 ? bmp[codePoint]
                                    : anySupplementary  ? Supplementary(codePoint)
                                                        : 0;
        if (value) {
            o = PutReading(o, readings, value);
        } else {
            std::memcpy(o, p, length);
            o += length;
        }
        p += length;
    }
    return {std::size_t(p - begin), std::size_t(o - out), invalid};
}

std::string TPreparedDictionary::Convert(std::string_view text) const {
    std::string out;
    std::size_t done = 0;
    while (done < text.size()) {
        const std::size_t used = out.size();
        out.resize(used + (text.size() - done) * 2 + room);
        const TProgress step = Convert(text.substr(done), out.data() + used, out.size() - used, true);
        out.resize(used + step.written);
        done += step.read;
        if (step.invalid)
            break;
    }
    return out;
}
