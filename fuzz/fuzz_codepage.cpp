// Widening and narrowing: any byte string survives bytes -> text -> bytes, and any well-formed
// Unicode text survives text -> bytes -> text.
#include "platform/CodePage.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool asBytes = input.ConsumeBool();
    if (asBytes) {
        const AnsiString bytes = input.ConsumeRemainingBytesAsString();
        if (CodePage::Narrow(CodePage::Widen(bytes)) != bytes)
            std::abort();
        return 0;
    }
    QString text;
    while (input.remaining_bytes() >= 3) {
        // Mostly characters of the planes people write in, sometimes anything.
        char32_t c = input.ConsumeIntegralInRange<char32_t>(0, 0x10FFFF);
        if (input.ConsumeBool())
            c = 0x4E00 + c % 0x5200;
        if (c >= 0xD800 && c <= 0xDFFF)
            continue; // a lone surrogate is no text
        if ((c >= 0xE78D && c <= 0xE796) || (c >= 0xE816 && c <= 0xE864))
            continue; // private-use points that GB18030 no longer codes (see CodePage.h)
        const char32_t one[] = {c};
        text += QString::fromUcs4(one, 1);
    }
    if (CodePage::Widen(CodePage::Narrow(text)) != text)
        std::abort();
    return 0;
}
