// The whole Convert walk with a fake window against the entry-by-entry model and, for dictionaries
// of unique double-byte keys with pinyin readings, against one left-to-right pass.
#include "FakeForm1.h"
#include "Models.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>

namespace {

const char* const kTones[] = {"\xA8\xA1", "\xA8\xAC", "\xA8\xB7", "\xA8\xB0"}; // ā ì ǚ ò

AnsiString Pick(FuzzedDataProvider& input, std::size_t letters, bool anything) {
    AnsiString s;
    for (std::size_t i = 0; i < letters; ++i) {
        switch (input.ConsumeIntegralInRange(0, anything ? 4 : 2)) {
        case 0:
            s += kTones[input.ConsumeIntegralInRange(0, 3)];
            break;
        case 1:
        case 2:
            s += char(input.ConsumeIntegralInRange('a', 'z'));
            break;
        default:
            s += char(input.ConsumeIntegral<unsigned char>());
            break;
        }
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool wellFormed = input.ConsumeBool();
    std::vector<AnsiString> dictionary;
    std::vector<AnsiString> keys;
    for (int e = 0, entries = input.ConsumeIntegralInRange(0, 16); e < entries; ++e) {
        AnsiString key = {char(input.ConsumeIntegralInRange(0xA8, 0xAD)),
                          char(input.ConsumeIntegralInRange(0x40, 0xFE))};
        if (!wellFormed && input.ConsumeIntegralInRange(0, 5) == 0)
            key = AnsiString(1, char(input.ConsumeIntegral<unsigned char>()));
        const bool toneLetter = key[0] == '\xA8' && static_cast<unsigned char>(key[1]) >= 0xA1;
        if (wellFormed && (toneLetter || std::find(keys.begin(), keys.end(), key) != keys.end()))
            continue;
        keys.push_back(key);
        dictionary.push_back(key + Pick(input, input.ConsumeIntegralInRange(0, 6), !wellFormed));
    }
    AnsiString text;
    for (int c = 0, length = input.ConsumeIntegralInRange(0, 64); c < length; ++c) {
        switch (input.ConsumeIntegralInRange(0, 6)) {
        case 0:
            if (!keys.empty())
                text += keys[input.ConsumeIntegralInRange<std::size_t>(0, keys.size() - 1)];
            break;
        case 1:
            text += kTones[input.ConsumeIntegralInRange(0, 3)];
            break;
        case 2:
            text += "\r\n";
            break;
        case 3:
            text += "\x81\x30\x81\x30";
            break; // a four-byte code
        case 4:
            text += char(input.ConsumeIntegralInRange('a', 'z'));
            break;
        case 5:
            text += char(input.ConsumeIntegral<unsigned char>());
            break; // stray bytes
        default:
            text += {char(input.ConsumeIntegralInRange(0xA8, 0xAD)),
                     char(input.ConsumeIntegralInRange(0x40, 0xFE))};
        }
    }
    const bool spaced = input.ConsumeBool();
    const bool annotated = input.ConsumeBool();
    const int pumpEvery = input.ConsumeIntegralInRange(0, 4);

    bool tooLong = false;
    const AnsiString expected = Models::EntryByEntry(dictionary, text, spaced, annotated, 16384, &tooLong);
    if (tooLong)
        return 0; // one-byte keys inside readings multiply the text; nothing new to learn there

    TFakeForm1 form(dictionary, text, spaced, annotated, pumpEvery);
    ConvertWalk(form);
    if (form.pinyin != expected || !form.edithz.empty() || !form.editpy.empty() || !form.messages.empty())
        std::abort();
    // With unique double-byte keys and pinyin readings, the order of the entries does not matter.
    if (wellFormed && Models::OnePass(dictionary, text, spaced, annotated) != expected)
        std::abort();
    return 0;
}
