#include "TextCodec.h"

#include "platform/CodePage.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace TextCodec {

namespace {

constexpr char32_t kPrivateFirst = 0xE000;
constexpr char32_t kPrivateLast = 0xF8FF;

/// One direction of iconv.
class TIconv {
public:
    TIconv(const char* to, const char* from) : cd(iconv_open(to, from)) {
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~TIconv() { iconv_close(cd); }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;

    /// Converts text, giving each piece of output to put(data, size).
    template <class Put> TCheck Run(std::string_view text, Put put) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        for (;;) {
            char* out = scratch.data();
            std::size_t outLeft = scratch.size();
            const std::size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
            const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
            put(scratch.data(), scratch.size() - outLeft);
            const std::size_t valid = std::size_t(in - text.data());
            if (error == 0)
                return {valid, TCheck::End, 0};
            if (error != E2BIG)
                return {valid, error == EINVAL ? TCheck::Cut : TCheck::Invalid, 0};
        }
    }

private:
    iconv_t cd;
    std::array<char, 16384> scratch{};
};

TIconv& FromGb18030() {
    thread_local TIconv converter("UTF-8", "GB18030");
    return converter;
}

TIconv& ToGb18030() {
    thread_local TIconv converter("GB18030", "UTF-8");
    return converter;
}

} // namespace

TCheck CheckUtf8(std::string_view text) {
    const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = begin + text.size();
    const auto* p = begin;
    const auto stop = [&](TCheck::TStop why, char32_t cp = 0) {
        return TCheck{std::size_t(p - begin), why, cp};
    };
    while (p < end) {
        const unsigned b0 = *p;
        const std::size_t left = std::size_t(end - p);
        if ((b0 & 0xF0) == 0xE0 && left >= 3) [[likely]] {
            // The three-byte sequences of Chinese text first.
            const unsigned b1 = p[1];
            const unsigned b2 = p[2];
            const char32_t cp = (b0 & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F);
            if (!IsContinuation(b1) || !IsContinuation(b2) || cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
                [[unlikely]]
                return stop(TCheck::Invalid);
            if (cp >= kPrivateFirst && cp <= kPrivateLast && !HasGb18030Code(cp)) [[unlikely]]
                return stop(TCheck::NoGb18030, cp);
            p += 3;
        } else if (b0 < 0x80) {
            ++p;
        } else if (b0 >= 0xC2 && b0 <= 0xDF) {
            if (left < 2)
                return stop(TCheck::Cut);
            if (!IsContinuation(p[1]))
                return stop(TCheck::Invalid);
            p += 2;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            if (left < 4)
                return stop(ValidStart(p, end) ? TCheck::Cut : TCheck::Invalid);
            const unsigned b1 = p[1];
            if (!IsContinuation(b1) || !IsContinuation(p[2]) || !IsContinuation(p[3]) ||
                (b0 == 0xF0 && b1 < 0x90) || (b0 == 0xF4 && b1 >= 0x90))
                return stop(TCheck::Invalid);
            p += 4;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            return stop(ValidStart(p, end) ? TCheck::Cut : TCheck::Invalid); // fewer than 3 bytes left
        } else {
            return stop(TCheck::Invalid);
        }
    }
    return stop(TCheck::End);
}

TCheck CheckGb18030(std::string_view text) {
    return FromGb18030().Run(text, [](const char*, std::size_t) {});
}

TCheck Gb18030ToUtf8(std::string_view gb18030, std::string& out) {
    return FromGb18030().Run(gb18030, [&](const char* data, std::size_t size) { out.append(data, size); });
}

TCheck Utf8ToGb18030(std::string_view utf8, std::string& out) {
    return ToGb18030().Run(utf8, [&](const char* data, std::size_t size) { out.append(data, size); });
}

bool HasGb18030Code(char32_t codePoint) {
    if (codePoint < kPrivateFirst || codePoint > kPrivateLast)
        return true;
    // Asked of the window's own narrowing, once per point; 0 unknown, 1 has a code, 2 has none.
    thread_local std::array<unsigned char, kPrivateLast - kPrivateFirst + 1> known{};
    unsigned char& entry = known[codePoint - kPrivateFirst];
    if (entry == 0) {
        const QChar unit(static_cast<char16_t>(codePoint));
        entry = CodePage::Narrow(QStringView(&unit, 1)) == "?" ? 2 : 1;
    }
    return entry == 1;
}

AnsiString Utf8ToAnsi(std::string_view utf8) {
    return CodePage::Narrow(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

bool AnsiToUtf8(std::string_view ansi, std::string& utf8) {
    const QString wide = CodePage::Widen(ansi);
    const qsizetype count = wide.size();
    for (qsizetype i = 0; i < count; ++i) {
        const QChar u = wide.at(i);
        if (u.isHighSurrogate() && i + 1 < count && wide.at(i + 1).isLowSurrogate())
            ++i;
        else if (u.isSurrogate())
            return false;
    }
    const QByteArray bytes = wide.toUtf8();
    utf8.assign(bytes.constData(), std::size_t(bytes.size()));
    return true;
}

bool ValidStart(const unsigned char* p, const unsigned char* end) {
    const unsigned b0 = p[0];
    for (const unsigned char* q = p + 1; q < end; ++q)
        if (!IsContinuation(*q))
            return false;
    if (end - p >= 2) {
        const unsigned b1 = p[1];
        if ((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xED && b1 >= 0xA0) || (b0 == 0xF0 && b1 < 0x90) ||
            (b0 == 0xF4 && b1 >= 0x90))
            return false;
    }
    return (b0 >= 0xC2 && b0 <= 0xDF) || (b0 >= 0xE0 && b0 <= 0xEF) || (b0 >= 0xF0 && b0 <= 0xF4);
}

} // namespace TextCodec
