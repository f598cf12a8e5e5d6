#include "FileConverter.h"

#include "Conversion.h"
#include "TextCodec.h"

#include <bitset>
#include <cstdint>
#include <unordered_set>
#include <utility>

using AnsiText::FirstChar;
using AnsiText::IsLeadByte;

namespace {

/// Output is written out in pieces of about this size.
constexpr std::size_t kOutputPiece = std::size_t(1) << 20;

bool IsDigit(unsigned char b) {
    return b >= '0' && b <= '9';
}

std::uint32_t QuadCode(std::string_view s, std::size_t i) {
    std::uint32_t code = 0;
    for (std::size_t k = 0; k < 4; ++k)
        code = code << 8 | static_cast<unsigned char>(s[i + k]);
    return code;
}

/// The walk's window for one block of a text.
///
/// The input box holds the block when Convert starts, so the output starts as the block. Before the
/// first entry the walk hands events over once, and in that round the input box changes to a text that
/// holds the keys present in the whole text, one a line: the walk's presence test (a byte search in the
/// input box) then finds exactly the keys that it finds in the whole text, as edits to the input box
/// during a walk change the presence test but not the output. No key holds a line end, and each part of
/// a key that is present is present too, so the search finds nothing more.
class TBlockForm : public IConvertForm {
public:
    TBlockForm(const std::vector<AnsiString>& dictionary, const AnsiString& block, const AnsiString& present,
               TStyle style)
        : dictionary(dictionary), present(present), hanzi(block), spaced(style != TStyle::Plain),
          annotated(style == TStyle::Annotated) {}

    AnsiString pinyin;
    std::string message;

    AnsiString HanziText() override { return hanzi; }
    AnsiString PinyinText() override { return pinyin; }
    void SetPinyinText(AnsiString text) override { pinyin = std::move(text); }
    AnsiString EdithzText() override { return edithz; }
    void SetEdithzText(const AnsiString& text) override { edithz = text; }
    AnsiString EditpyText() override { return editpy; }
    void SetEditpyText(const AnsiString& text) override { editpy = text; }
    int DictionaryCount() override { return int(dictionary.size()); }
    AnsiString DictionaryItem(int i) override { return dictionary.at(std::size_t(i)); }
    bool SpacedOption() override { return spaced; }
    bool AnnotatedOption() override { return annotated; }
    bool MessagesDue() override { return !handled; }
    void ProcessMessages() override {
        handled = true;
        hanzi = present;
    }
    void ShowMessageDialog(std::string_view utf8Message) override { message = utf8Message; }

private:
    const std::vector<AnsiString>& dictionary;
    const AnsiString& present;
    AnsiString hanzi;
    AnsiString edithz;
    AnsiString editpy;
    bool spaced;
    bool annotated;
    bool handled = false;
};

TCliError NotValid(const TInput& in, TEncoding encoding, std::size_t offset, const TextCodec::TCheck& check) {
    std::string what;
    if (check.stop == TextCodec::TCheck::NoGb18030) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", unsigned(check.codePoint));
        what = std::string("the character ") + code + " at byte offset " + std::to_string(offset) +
               " has no GB18030 code, so the converter cannot hold it";
    } else {
        what = std::string("not valid ") + (encoding == TEncoding::Utf8 ? "UTF-8" : "GB18030") +
               " at byte offset " + std::to_string(offset);
    }
    return TCliError(1, in.Name() + ": " + what + "; nothing written for this file");
}

} // namespace

/// The keys of the dictionary that occur, as bytes, anywhere in a text given piece by piece.
class TFileConverter::TPresence {
public:
    explicit TPresence(const std::vector<AnsiString>& dictionary) {
        for (const AnsiString& line : dictionary)
            if (const AnsiString key = FirstChar(line); key.size() == 4)
                quadKeys.insert(QuadCode(key, 0));
    }

    void Add(std::string_view piece) {
        const std::string text = tail + std::string(piece);
        const std::size_t size = text.size();
        for (std::size_t i = 0; i < size; ++i) {
            const auto b = static_cast<unsigned char>(text[i]);
            bytes.set(b);
            if (i + 1 < size)
                pairs.set(std::size_t(b) << 8 | static_cast<unsigned char>(text[i + 1]));
            if (!quadKeys.empty() && i + 3 < size && IsLeadByte(b) &&
                IsDigit(static_cast<unsigned char>(text[i + 1])) &&
                IsLeadByte(static_cast<unsigned char>(text[i + 2])) &&
                IsDigit(static_cast<unsigned char>(text[i + 3])))
                if (const std::uint32_t code = QuadCode(text, i); quadKeys.count(code))
                    quadsSeen.insert(code);
        }
        tail = text.substr(size > 3 ? size - 3 : 0);
    }

    /// The present keys, each followed by a line end.
    AnsiString Present(const std::vector<AnsiString>& dictionary) const {
        AnsiString present;
        for (const AnsiString& line : dictionary) {
            const AnsiString key = FirstChar(line);
            const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(key[i]); };
            const bool found = key.size() == 1   ? bytes.test(byte(0))
                               : key.size() == 2 ? pairs.test(std::size_t(byte(0)) << 8 | byte(1))
                               : key.size() == 4 ? quadsSeen.count(QuadCode(key, 0)) > 0
                                                 : false;
            if (found)
                present.append(key).push_back('\n');
        }
        return present;
    }

private:
    std::bitset<256> bytes;
    std::bitset<65536> pairs;
    std::unordered_set<std::uint32_t> quadKeys;
    std::unordered_set<std::uint32_t> quadsSeen;
    std::string tail;
};

TFileConverter::TFileConverter(std::string_view dictionaryText, TStyle style, TEncoding encoding,
                               std::size_t block)
    : style(style), encoding(encoding), block(block),
      prepared(std::make_unique<TPreparedDictionary>(
          dictionaryText, style, encoding == TEncoding::Utf8 ? TTextForm::Utf8 : TTextForm::Ansi)) {
    if (prepared->Qualifies())
        return;
    dictionary = AnsiText::SplitLines(dictionaryText);
    // A block may end after a one-byte character that no key holds: no replacement reaches over it,
    // and the character boundaries behind it do not depend on what stands before it. Bytes from 0x40 up
    // may be the second byte of a GB18030 code, digits a part of a four-byte code.
    bool inKey[256] = {};
    for (const AnsiString& line : dictionary)
        for (const char c : FirstChar(line))
            inKey[static_cast<unsigned char>(c)] = true;
    for (unsigned b = 0; b < 0x40; ++b)
        cutAfter[b] = !inKey[b] && !IsDigit(static_cast<unsigned char>(b));
    if (encoding != TEncoding::Utf8)
        return;
    // The walk's result is GB18030 text when the text is, unless a reading is not, or a key can match
    // across the parts of four-byte codes (a four-byte key, or a lead byte with a digit).
    AnsiString readings;
    const bool spaced = style != TStyle::Plain;
    const bool annotated = style == TStyle::Annotated;
    for (const AnsiString& line : dictionary) {
        const AnsiString key = FirstChar(line);
        if (key.size() == 4 || (key.size() == 2 && IsDigit(static_cast<unsigned char>(key[1]))))
            mayLeaveGb18030 = true;
        AnsiString reading = line;
        AnsiText::Delete(reading, AnsiText::ByteFind(key, reading), key.size());
        readings.append(StyledReading(key, reading, spaced, annotated)).push_back('\n');
    }
    std::string ignored;
    if (!TextCodec::AnsiToUtf8(readings, ignored))
        mayLeaveGb18030 = true;
}

TFileConverter::~TFileConverter() = default;

void TFileConverter::Convert(TInput& in, TOutput& out) {
    if (OnePass()) {
        Check(in, nullptr);
        in.Rewind();
        ConvertInOnePass(in, out);
        return;
    }
    TPresence presence(dictionary);
    Check(in, &presence);
    const AnsiString present = presence.Present(dictionary);
    if (mayLeaveGb18030) {
        // A first conversion that writes nothing, to find a result that UTF-8 cannot carry.
        in.Rewind();
        ConvertByWalk(in, nullptr, present);
    }
    in.Rewind();
    ConvertByWalk(in, &out, present);
}

void TFileConverter::Check(TInput& in, TPresence* presence) const {
    TByteBuffer buffer;
    std::size_t offset = 0;
    for (;;) {
        const bool last = in.Read(buffer, block) < block;
        const TextCodec::TCheck check = encoding == TEncoding::Utf8 ? TextCodec::CheckUtf8(buffer.View())
                                                                    : TextCodec::CheckGb18030(buffer.View());
        if (check.stop == TextCodec::TCheck::Invalid || check.stop == TextCodec::TCheck::NoGb18030 ||
            (check.stop == TextCodec::TCheck::Cut && last))
            throw NotValid(in, encoding, offset + check.valid, check);
        if (presence) {
            const std::string_view valid = buffer.View().substr(0, check.valid);
            if (encoding == TEncoding::Utf8)
                presence->Add(TextCodec::Utf8ToAnsi(valid));
            else
                presence->Add(valid);
        }
        buffer.EraseFront(check.valid);
        offset += check.valid;
        if (last)
            return;
    }
}

void TFileConverter::ConvertInOnePass(TInput& in, TOutput& out) const {
    TByteBuffer buffer;
    TByteBuffer output;
    output.Resize(kOutputPiece + prepared->Room());
    std::size_t used = 0;
    for (;;) {
        const bool last = in.Read(buffer, block) < block;
        std::size_t done = 0;
        while (done < buffer.Size()) {
            const TPreparedDictionary::TProgress step = prepared->Convert(
                buffer.View().substr(done), output.Data() + used, output.Size() - used, last);
            used += step.written;
            done += step.read;
            if (step.invalid)
                throw TCliError(1, in.Name() + " changed while it was read");
            if (output.Size() - used < prepared->Room()) {
                out.Write(output.Data(), used);
                used = 0;
            } else if (done < buffer.Size()) {
                break; // a character that the end of the block cuts off waits for the next block
            }
        }
        buffer.EraseFront(done);
        if (last)
            break;
    }
    out.Write(output.Data(), used);
}

std::size_t TFileConverter::LastCut(std::string_view text) const {
    for (std::size_t i = text.size(); i > 0; --i) {
        const auto b = static_cast<unsigned char>(text[i - 1]);
        if (b < 0x80 && cutAfter[b])
            return i;
    }
    return 0;
}

void TFileConverter::ConvertByWalk(TInput& in, TOutput* out, const AnsiString& present) const {
    TByteBuffer buffer;
    std::string converted;
    bool written = false;
    for (;;) {
        const bool last = in.Read(buffer, block) < block;
        const std::size_t cut = last ? buffer.Size() : LastCut(buffer.View());
        if (cut == 0 && !last)
            continue; // no place to cut yet: the block grows
        const std::string_view piece = buffer.View().substr(0, cut);
        if (encoding == TEncoding::Utf8) {
            const AnsiString result = Walk(in, TextCodec::Utf8ToAnsi(piece), present);
            if (!TextCodec::AnsiToUtf8(result, converted))
                throw TCliError(1,
                                in.Name() +
                                    ": the dictionary turns this text into bytes that are no GB18030 code, "
                                    "which UTF-8 cannot carry" +
                                    (written ? "" : "; nothing written for this file"));
            if (out)
                out->Write(converted.data(), converted.size());
            written = out != nullptr;
        } else {
            const AnsiString result = Walk(in, AnsiString(piece), present);
            if (out)
                out->Write(result.data(), result.size());
        }
        buffer.EraseFront(cut);
        if (last)
            return;
    }
}

AnsiString TFileConverter::Walk(const TInput& in, const AnsiString& text, const AnsiString& present) const {
    TBlockForm form(dictionary, text, present, style);
    ConvertWalk(form);
    if (!form.message.empty())
        throw TCliError(1, in.Name() + ": " + form.message);
    return std::move(form.pinyin);
}
