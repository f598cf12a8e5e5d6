// Replace-all against the slow model of the same boundary rule.
#include "Models.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const AnsiString pattern = input.ConsumeRandomLengthString(6);
    const AnsiString replacement = input.ConsumeRandomLengthString(12);
    const AnsiString text = input.ConsumeRemainingBytesAsString();
    if (text.size() > 4096)
        return 0; // the model is quadratic
    if (AnsiText::ReplaceAll(text, pattern, replacement) != Models::ReplaceAll(text, pattern, replacement))
        std::abort();
    return 0;
}
