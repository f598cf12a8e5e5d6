// The one pass of Converter.h on the corpus in memory: the pass alone, without reading, checking or
// writing, in each style and both text forms, and the check of UTF-8 input beside it. See
// bench/README.md, section "Batch converter".
//
//   bench_converter [RUNS]

#include "Converter.h"
#include "Pages.h"
#include "TextCodec.h"
#include "platform/ModuleResource.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

/// The shortest of the runs: the machine may be busy with other work, which only ever adds time.
template <class F> double FastestMilliseconds(int runs, F f) {
    double fastest = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        fastest = std::min(
            fastest,
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return fastest;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const char* folder = std::getenv("MORVANE_BENCH_CORPUS");
    const std::string corpus = folder && *folder ? folder : MORVANE_BENCH_CORPUS_DIR;
    const std::string utf8 = ReadFile(corpus + "/poetry-10m.utf8.txt");
    const std::string gb18030 = ReadFile(corpus + "/poetry-10m.gb18030.txt");
    if (utf8.empty() || gb18030.empty()) {
        std::fprintf(stderr, "no corpus in %s: run bench/make-corpus.sh\n", corpus.c_str());
        return 1;
    }
    const TResourceStream resource(QStringLiteral("diclist"), QStringLiteral("txt"));
    const std::string_view dictionary(resource.Data(), resource.Size());

    std::printf("%-34s %10s %10s %12s %10s\n", "case", "input B", "output B", "ms (fastest)", "input MB/s");
    const auto report = [](const char* name, std::size_t in, std::size_t out, double ms) {
        std::printf("%-34s %10zu %10zu %12.2f %10.0f\n", name, in, out, ms, double(in) / 1e6 / (ms / 1e3));
    };

    const double checkMs = FastestMilliseconds(runs, [&] {
        if (TextCodec::CheckUtf8(utf8).stop != TextCodec::TCheck::End)
            std::abort();
    });
    report("check UTF-8", utf8.size(), 0, checkMs);

    double prepareMs = 0;
    for (const TTextForm form : {TTextForm::Utf8, TTextForm::Ansi}) {
        const std::string& text = form == TTextForm::Utf8 ? utf8 : gb18030;
        for (const TStyle style : {TStyle::Plain, TStyle::Spaced, TStyle::Annotated}) {
            prepareMs = std::max(prepareMs, FastestMilliseconds(runs, [&] {
                                     const TPreparedDictionary prepared(dictionary, style, form);
                                     if (!prepared.Qualifies())
                                         std::abort();
                                 }));
            const TPreparedDictionary prepared(dictionary, style, form);
            // Output as the program writes it: 1 MiB at a time into the same buffer.
            TByteBuffer output;
            output.Resize((std::size_t(1) << 20) + prepared.Room());
            std::size_t written = 0;
            const double ms = FastestMilliseconds(runs, [&] {
                written = 0;
                std::size_t done = 0;
                while (done < text.size()) {
                    const auto step = prepared.Convert(std::string_view(text).substr(done), output.Data(),
                                                       output.Size(), true);
                    done += step.read;
                    written += step.written;
                }
            });
            const std::string name =
                std::string(form == TTextForm::Utf8 ? "one pass UTF-8, " : "one pass GB18030, ") +
                (style == TStyle::Plain    ? "plain"
                 : style == TStyle::Spaced ? "spaced"
                                           : "annotated");
            report(name.c_str(), text.size(), written, ms);
        }
    }
    std::printf("preparing the shipped dictionary: %.2f ms at most (fastest, per form and style)\n",
                prepareMs);
    return 0;
}
