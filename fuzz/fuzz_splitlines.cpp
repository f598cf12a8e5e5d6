// Line splitting against a state-machine model, for bytes and for UTF-16 units alike.
#include "Models.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const AnsiString text(reinterpret_cast<const char*>(data), size);
    const auto lines = AnsiText::SplitLines(text);
    if (lines != Models::SplitLines(text))
        std::abort();
    // The same split over wide characters gives the same lines, unit for byte.
    const std::u16string wide(text.begin(), text.end());
    const auto wideLines = AnsiText::SplitLineViews(std::u16string_view(wide));
    if (wideLines.size() != lines.size())
        std::abort();
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (wideLines[i].size() != lines[i].size())
            std::abort();
    return 0;
}
