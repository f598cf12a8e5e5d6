#include "AnsiText.h"

#include <algorithm>
#include <cstring>

namespace AnsiText {

namespace {

constexpr bool IsDigit(unsigned char b) {
    return b >= 0x30 && b <= 0x39;
}

unsigned char At(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

} // namespace

AnsiString FirstChar(std::string_view s) {
    if (s.empty())
        return {};
    if (!IsLeadByte(At(s, 0)) || s.size() < 2)
        return AnsiString(s.substr(0, 1));
    if (s.size() >= 4 && IsDigit(At(s, 1)) && IsLeadByte(At(s, 2)) && IsDigit(At(s, 3)))
        return AnsiString(s.substr(0, 4));
    return AnsiString(s.substr(0, 2));
}

std::size_t ByteFind(std::string_view p, std::string_view s) {
    if (p.empty() || s.empty())
        return 0;
    const std::size_t at = s.find(p);
    return at == std::string_view::npos ? 0 : at + 1;
}

void Delete(AnsiString& s, std::size_t k, std::size_t n) {
    if (k == 0 || k > s.size() || n == 0)
        return;
    s.erase(k - 1, std::min(n, s.size() - (k - 1)));
}

bool StartsCharacter(std::string_view s, std::size_t k) {
    // A run of lead-range bytes always begins on a character boundary in well-formed text, so the
    // parity of the run before k tells whether k is a first or a second byte.
    std::size_t run = 0;
    while (run < k && IsLeadByte(At(s, k - 1 - run)))
        ++run;
    return run % 2 == 0;
}

AnsiString ReplaceAll(std::string_view s, std::string_view p, std::string_view n) {
    if (p.empty())
        return AnsiString(s);
    AnsiString result;
    std::string_view rest = s;
    for (;;) {
        // Same test as StartsCharacter, but the parity of the lead-byte run is carried forward from
        // candidate to candidate, so a long run of Chinese text is not walked back for each of them.
        std::size_t scanned = 0;
        bool oddRun = false;
        std::size_t found = rest.find(p);
        while (found != std::string_view::npos) {
            for (; scanned < found; ++scanned)
                oddRun = IsLeadByte(At(rest, scanned)) && !oddRun;
            if (!oddRun)
                break;
            found = rest.find(p, found + 1);
        }
        if (found == std::string_view::npos) {
            result.append(rest);
            return result;
        }
        result.append(rest.substr(0, found));
        result.append(n);
        rest.remove_prefix(found + p.size());
    }
}

std::vector<AnsiString> SplitLines(std::string_view text) {
    const auto views = SplitLineViews(text);
    return std::vector<AnsiString>(views.begin(), views.end());
}

} // namespace AnsiText
