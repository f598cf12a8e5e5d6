// The Convert walk on the shipped dictionary, for the default input and for real text from the corpus
// that bench/make-corpus.sh builds. Each case first checks the walk against a one-pass conversion and
// reports the heap the walk needs, then times it. See bench/README.md.

#include "Conversion.h"
#include "FakeForm1.h"
#include "platform/AnsiText.h"
#include "platform/CodePage.h"

#include <QFile>
#include <QTest>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// Heap accounting: every operator new and delete of the program goes through these, and while counting
// is on they keep the bytes in use since it was switched on and their peak.
namespace {

std::atomic<bool> heapCounting{false};
std::atomic<long long> heapInUse{0};
std::atomic<long long> heapPeak{0};

void CountAllocated(void* p) {
    if (!heapCounting.load(std::memory_order_relaxed))
        return;
    const auto size = static_cast<long long>(malloc_usable_size(p));
    const long long now = heapInUse.fetch_add(size, std::memory_order_relaxed) + size;
    long long peak = heapPeak.load(std::memory_order_relaxed);
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
}

void CountFreed(void* p) {
    if (p && heapCounting.load(std::memory_order_relaxed))
        heapInUse.fetch_sub(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
}

void StartHeapCount() {
    heapInUse = 0;
    heapPeak = 0;
    heapCounting = true;
}

/// The peak of the bytes in use since StartHeapCount.
long long StopHeapCount() {
    heapCounting = false;
    return heapPeak;
}

} // namespace

void* operator new(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    CountAllocated(p);
    return p;
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    CountFreed(p);
    std::free(p);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

enum class TStyle { Plain, Spaced, Annotated };

/// The conversion in one pass from left to right: a lead byte 0x81..0xFE and the byte after it make a
/// character, every other byte is one; a character with an entry becomes its reading in the style.
AnsiString Reference(const std::vector<AnsiString>& dictionary, std::string_view input, TStyle style) {
    std::unordered_map<std::string_view, AnsiString> readings;
    for (const AnsiString& line : dictionary) {
        const std::string_view key = std::string_view(line).substr(0, 2);
        const std::string_view reading = std::string_view(line).substr(2);
        AnsiString styled;
        if (style == TStyle::Plain)
            styled.append(reading);
        else if (style == TStyle::Spaced)
            styled.append(" ").append(reading).append(" ");
        else
            styled.append(" ").append(key).append("(").append(reading).append(")").append(" ");
        readings.emplace(key, std::move(styled));
    }
    AnsiString output;
    for (std::size_t i = 0; i < input.size();) {
        const auto byte = static_cast<unsigned char>(input[i]);
        const std::size_t length = byte >= 0x81 && byte <= 0xFE && i + 1 < input.size() ? 2 : 1;
        const std::string_view character = input.substr(i, length);
        const auto found = readings.find(character);
        if (found == readings.end())
            output.append(character);
        else
            output.append(found->second);
        i += length;
    }
    return output;
}

/// The offset of the first byte where a and b differ, or the length of the shorter.
std::size_t FirstDifference(std::string_view a, std::string_view b) {
    return std::size_t(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
}

/// The offset and, in hex, the bytes of s around it: what a failed comparison shows of a long text.
QByteArray Around(std::string_view s, std::size_t at) {
    const std::size_t from = at < 16 ? 0 : at - 16;
    const std::string_view bytes = s.substr(from, 32);
    return "at " + QByteArray::number(qulonglong(at)) + ": " +
           QByteArray(bytes.data(), qsizetype(bytes.size())).toHex(' ').toUpper();
}

std::optional<AnsiString> ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll().toStdString();
}

QString CorpusFolder() {
    if (!qEnvironmentVariableIsEmpty("MORVANE_BENCH_CORPUS"))
        return qEnvironmentVariable("MORVANE_BENCH_CORPUS");
    return QStringLiteral(MORVANE_BENCH_CORPUS_DIR);
}

} // namespace

Q_DECLARE_METATYPE(TStyle)

class BenchConversion : public QObject {
    Q_OBJECT

    std::vector<AnsiString> dictionary;
    QByteArray checkedRow;

private slots:
    void initTestCase() {
        const std::optional<AnsiString> text = ReadFile(QStringLiteral(MORVANE_BENCH_DICTIONARY));
        QVERIFY2(text, "cannot read the dictionary " MORVANE_BENCH_DICTIONARY);
        dictionary = AnsiText::SplitLines(*text);
        QVERIFY(!dictionary.empty());
    }

    void walk_data() {
        QTest::addColumn<QString>("corpusFile"); // empty for the default input
        QTest::addColumn<TStyle>("style");
        QTest::newRow("default input, spaced") << QString() << TStyle::Spaced;
        QTest::newRow("300 KB, spaced") << QStringLiteral("poetry-300k.gb18030.txt") << TStyle::Spaced;
        QTest::newRow("1 MB, plain") << QStringLiteral("poetry-1m.gb18030.txt") << TStyle::Plain;
        QTest::newRow("1 MB, spaced") << QStringLiteral("poetry-1m.gb18030.txt") << TStyle::Spaced;
        QTest::newRow("1 MB, annotated") << QStringLiteral("poetry-1m.gb18030.txt") << TStyle::Annotated;
    }

    void walk() {
        QFETCH(QString, corpusFile);
        QFETCH(TStyle, style);

        AnsiString input = CodePage::Narrow(u"青石书院");
        if (!corpusFile.isEmpty()) {
            const QString path = CorpusFolder() + u'/' + corpusFile;
            std::optional<AnsiString> text = ReadFile(path);
            if (!text)
                QSKIP(qPrintable(QStringLiteral("%1 is missing: run bench/make-corpus.sh to build the corpus "
                                                "(or point MORVANE_BENCH_CORPUS at its folder)")
                                     .arg(path)));
            input = std::move(*text);
        }
        // A window that handles no events: the walk runs from the first entry to the last without a
        // round of events in between, as it does when the window is idle.
        TFakeForm1 form(dictionary, std::move(input), style != TStyle::Plain, style == TStyle::Annotated, 0);

        // QtTest calls this function again until the timing is steady; check and measure on the first call.
        if (checkedRow != QTest::currentDataTag()) {
            const AnsiString expected = Reference(dictionary, form.hanzi, style);
            StartHeapCount();
            ConvertWalk(form);
            const long long peak = StopHeapCount();
            QVERIFY(form.messages.empty());
            const std::size_t at = FirstDifference(form.pinyin, expected);
            QCOMPARE(Around(form.pinyin, at), Around(expected, at));
            qInfo(
                "peak heap during walk: %lld bytes = %.1f × output size (input %zu bytes, output %zu bytes)",
                peak, double(peak) / double(std::max<std::size_t>(expected.size(), 1)), form.hanzi.size(),
                expected.size());
            checkedRow = QTest::currentDataTag();
        }

        QBENCHMARK {
            ConvertWalk(form);
        }
    }
};

QTEST_GUILESS_MAIN(BenchConversion)
#include "bench_conversion.moc"
