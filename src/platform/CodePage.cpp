#include "CodePage.h"

#include <QtEndian>

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace CodePage {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char* kUtf16 = "UTF-16LE";
#else
constexpr const char* kUtf16 = "UTF-16BE";
#endif

/// One iconv descriptor per direction and thread, opened on first use.
class TConverter {
public:
    TConverter(const char* to, const char* from) : cd(iconv_open(to, from)) {
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~TConverter() { iconv_close(cd); }
    TConverter(const TConverter&) = delete;
    TConverter& operator=(const TConverter&) = delete;

    /// Converts as much of [in, in + inLeft) as it can into out; returns errno of the stop, 0 at the end.
    int Run(const char*& in, std::size_t& inLeft, std::string& out, std::size_t unit) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        for (;;) {
            const std::size_t used = out.size();
            out.resize(used + inLeft * 2 + 16 * unit);
            char* to = out.data() + used;
            std::size_t toLeft = out.size() - used;
            char* src = const_cast<char*>(in);
            const std::size_t rc = iconv(cd, &src, &inLeft, &to, &toLeft);
            const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
            in = src;
            out.resize(out.size() - toLeft);
            if (error != E2BIG)
                return error;
        }
    }

private:
    iconv_t cd;
};

TConverter& Widener() {
    thread_local TConverter converter(kUtf16, "GB18030");
    return converter;
}

TConverter& Narrower() {
    thread_local TConverter converter("GB18030", kUtf16);
    return converter;
}

} // namespace

QString Widen(std::string_view bytes) {
    std::string utf16;
    utf16.reserve(bytes.size() * 2);
    const char* in = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        if (Widener().Run(in, left, utf16, 2) == 0)
            break;
        // An invalid or cut-off sequence: keep its first byte as an escape and go on after it.
        const char16_t escape = kEscapeBase + static_cast<unsigned char>(*in);
        utf16.append(reinterpret_cast<const char*>(&escape), sizeof escape);
        ++in;
        --left;
    }
    return QString(reinterpret_cast<const QChar*>(utf16.data()), qsizetype(utf16.size() / 2));
}

AnsiString Narrow(QStringView text) {
    AnsiString out;
    out.reserve(std::size_t(text.size()) * 2);
    const char16_t* units = text.utf16();
    const qsizetype count = text.size();
    qsizetype start = 0;
    auto flush = [&](qsizetype end) {
        const char* in = reinterpret_cast<const char*>(units + start);
        std::size_t left = std::size_t(end - start) * 2;
        while (left > 0) {
            if (Narrower().Run(in, left, out, 1) == 0)
                break;
            out.push_back('?'); // a lone surrogate: GB18030 has no code for it
            in += 2;
            left = left >= 2 ? left - 2 : 0;
        }
    };
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t u = units[i];
        const bool escaped = u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF &&
                             (i == 0 || !QChar::isHighSurrogate(units[i - 1]));
        if (!escaped)
            continue;
        flush(i);
        out.push_back(static_cast<char>(u - kEscapeBase));
        start = i + 1;
    }
    flush(count);
    return out;
}

} // namespace CodePage
