// First-character against the lead-byte rule; byte-find and delete against std::string.
#include "platform/AnsiText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace {

bool Lead(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}
bool Digit(unsigned char b) {
    return b >= '0' && b <= '9';
}

std::size_t RuleLength(const AnsiString& s) {
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    if (s.empty())
        return 0;
    if (!Lead(at(0)) || s.size() == 1)
        return 1;
    if (s.size() >= 4 && Digit(at(1)) && Lead(at(2)) && Digit(at(3)))
        return 4;
    return 2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::size_t k = input.ConsumeIntegralInRange<std::size_t>(0, 40);
    const std::size_t n = input.ConsumeIntegralInRange<std::size_t>(0, 40);
    const AnsiString pattern = input.ConsumeRandomLengthString(8);
    const AnsiString text = input.ConsumeRemainingBytesAsString();

    if (AnsiText::FirstChar(text) != text.substr(0, RuleLength(text)))
        std::abort();

    const std::size_t found = AnsiText::ByteFind(pattern, text);
    const std::size_t expected = pattern.empty() || text.empty() || text.find(pattern) == AnsiString::npos
                                     ? 0
                                     : text.find(pattern) + 1;
    if (found != expected)
        std::abort();

    AnsiString deleted = text;
    AnsiText::Delete(deleted, k, n);
    AnsiString model = text;
    if (k >= 1 && k <= model.size() && n > 0)
        model.erase(k - 1, n);
    if (deleted != model)
        std::abort();
    return 0;
}
