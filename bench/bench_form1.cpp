// The main window on a real display: start-up with the full dictionary, Convert on the default input
// and on 1 MB of real text (with the longest stretch without event handling), and scrolling the
// dictionary list. Times are only reported. See bench/README.md, section "Window benchmark".
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bench/bench_form1
//
// With --cold the program starts the window once, prints one line of figures and ends; without it, it
// runs itself that way a few times for the figures of a fresh process, then does the rest in-process.

#include "Unit1.h"
#include "platform/CodePage.h"
#include "platform/Dialogs.h"
#include "platform/JpegImage.h"
#include "platform/Memo.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaEnum>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

// ---- clock and small statistics ---------------------------------------------------------------------

QElapsedTimer clock0;

qint64 Now() {
    return clock0.nsecsElapsed();
}

double Ms(qint64 ns) {
    return double(ns) / 1e6;
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Max(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

double Min(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

// ---- what every run needs: the title, boxes recorded, the state folder in a temporary folder -----------

struct TSetting {
    TSetting() {
        Dialogs::SetApplicationTitle(QStringLiteral("墨韵通"));
        Dialogs::SetSink([this](Dialogs::TKind, const QString& text) { boxes.push_back(text); });
        qputenv("XDG_STATE_HOME", stateHome.path().toLocal8Bit());
    }
    ~TSetting() { Dialogs::SetSink(nullptr); }

    QTemporaryDir stateHome;
    std::vector<QString> boxes;
};

// ---- the event log: every event the application delivers, while it is on --------------------------------

QString EventName(QEvent::Type type) {
    const char* key = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
    return key ? QString::fromLatin1(key) : QString::number(int(type));
}

QString ObjectName(const QObject* object) {
    QString name = object->objectName();
    const QString cls = QString::fromLatin1(object->metaObject()->className());
    if (!name.isEmpty())
        return name;
    if (object->parent() && !object->parent()->objectName().isEmpty())
        return object->parent()->objectName() + u'/' + cls;
    return cls;
}

struct TEventRecord {
    qint64 at;
    QEvent::Type type;
    const QObject* receiver;
};

class TEventLog : public QObject {
public:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (on) {
            records.push_back({Now(), event->type(), receiver});
            if (!names.count(receiver))
                names[receiver] = ObjectName(receiver); // the receiver may be gone when the log is read
        }
        if (event->type() == QEvent::Paint) {
            ++paints[receiver];
            lastPaint[receiver] = Now();
        }
        return false;
    }

    bool on = false;
    std::vector<TEventRecord> records;
    std::map<const QObject*, int> paints;
    std::map<const QObject*, qint64> lastPaint;
    std::map<const QObject*, QString> names;
};

TEventLog* eventLog = nullptr;

// ---- the window, with the calls of the Convert walk timed ----------------------------------------------

/// TForm1 itself; the walk's calls of the window go through these wrappers, which only note when each
/// call began and ended.
class TTimedForm : public TForm1 {
public:
    struct TSpan {
        const char* what;
        qint64 start;
        qint64 end;
    };

    bool recording = false;
    std::vector<TSpan> spans;

    AnsiString HanziText() override {
        return Timed("read input", [&] { return TForm1::HanziText(); });
    }
    AnsiString PinyinText() override {
        return Timed("read output", [&] { return TForm1::PinyinText(); });
    }
    void SetPinyinText(AnsiString text) override {
        Timed("set output", [&] { TForm1::SetPinyinText(std::move(text)); });
    }
    AnsiString EdithzText() override {
        return Timed("entry boxes", [&] { return TForm1::EdithzText(); });
    }
    void SetEdithzText(const AnsiString& text) override {
        Timed("entry boxes", [&] { TForm1::SetEdithzText(text); });
    }
    AnsiString EditpyText() override {
        return Timed("entry boxes", [&] { return TForm1::EditpyText(); });
    }
    void SetEditpyText(const AnsiString& text) override {
        Timed("entry boxes", [&] { TForm1::SetEditpyText(text); });
    }
    void ProcessMessages() override {
        Timed("events", [&] { TForm1::ProcessMessages(); });
    }

private:
    template <class F> auto Timed(const char* what, F f) -> std::invoke_result_t<F> {
        const qint64 start = Now();
        if constexpr (std::is_void_v<decltype(f())>) {
            f();
            if (recording)
                spans.push_back({what, start, Now()});
        } else {
            auto result = f();
            if (recording)
                spans.push_back({what, start, Now()});
            return result;
        }
    }
};

// ---- start-up ------------------------------------------------------------------------------------------

struct TStartup {
    double construct = 0;  // the constructor (layout, fonts, banner)
    double formCreate = 0; // FormCreate: the dictionary written out and loaded into the list
    double show = 0;       // show()
    double expose = 0;     // from show() to the window exposed and painted
    double total = 0;      // from before the constructor to the window exposed and painted
};

/// Handles events until the window is exposed and the form has been painted (at most 10 s).
bool WaitPainted(QWidget* form) {
    QWindow* window = form->windowHandle();
    QElapsedTimer limit;
    limit.start();
    QTimer wake;
    wake.start(20); // wakes the blocking wait below now and then
    while (!(window && window->isExposed() && eventLog->paints[form] > 0)) {
        if (limit.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        window = form->windowHandle();
    }
    return true;
}

template <class Form> std::pair<std::unique_ptr<Form>, TStartup> Start() {
    TStartup s;
    eventLog->paints.clear();
    const qint64 t0 = Now();
    auto form = std::make_unique<Form>();
    const qint64 t1 = Now();
    Events::Guarded([&] { form->FormCreate(); })();
    const qint64 t2 = Now();
    form->show();
    const qint64 t3 = Now();
    if (!WaitPainted(form.get()))
        std::fprintf(stderr, "warning: the window was not exposed within 10 s\n");
    const qint64 t4 = Now();
    s.construct = Ms(t1 - t0);
    s.formCreate = Ms(t2 - t1);
    s.show = Ms(t3 - t2);
    s.expose = Ms(t4 - t3);
    s.total = Ms(t4 - t0);
    return {std::move(form), s};
}

void Settle(int ms) {
    QTest::qWait(ms);
}

/// Handles events for ms milliseconds, waiting for each (timers wake the wait).
void Spin(int ms) {
    QElapsedTimer t;
    t.start();
    QTimer wake;
    wake.start(1);
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

/// Handles events until widget has been painted later than `after` (at most 5 s).
void WaitPaintedAfter(const QWidget* widget, qint64 after) {
    QElapsedTimer limit;
    limit.start();
    QTimer wake;
    wake.start(5);
    while (eventLog->lastPaint[widget] <= after && limit.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void Destroy(std::unique_ptr<TForm1>& form) {
    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Settle(30);
}

int RunCold() {
    // main() has already built the application; its time comes in from there.
    TSetting setting;
    auto [form, s] = Start<TForm1>();
    std::printf("COLD %.3f %.3f %.3f %.3f %.3f %d\n", s.total, s.construct, s.formCreate, s.show, s.expose,
                form->ListBoxdic->count());
    std::fflush(stdout);
    return 0;
}

// ---- reporting ---------------------------------------------------------------------------------------

struct TRow {
    std::string what;
    std::string value;
    std::string target;
    std::string verdict;
};
std::vector<TRow> table;

std::string Fmt(const char* format, double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, v);
    return buffer;
}

void Row(std::string what, double ms, double targetMs = 0, const char* unit = "ms") {
    std::string value = Fmt(ms < 10 ? "%.2f " : "%.1f ", ms) + unit;
    std::string target = targetMs > 0 ? "< " + Fmt("%.0f ", targetMs) + unit : "";
    std::string verdict = targetMs > 0 ? (ms < targetMs ? "met" : "MISSED") : "";
    table.push_back({std::move(what), std::move(value), std::move(target), std::move(verdict)});
}

/// Terminal columns of a UTF-8 text: CJK characters take two.
int Columns(const std::string& s) {
    int n = 0;
    for (const QChar c : QString::fromStdString(s))
        n += c.unicode() >= 0x2E80 ? 2 : 1;
    return n;
}

void PrintTable() {
    std::size_t w0 = 4, w1 = 5, w2 = 6;
    for (const TRow& r : table) {
        w0 = std::max(w0, std::size_t(Columns(r.what)));
        w1 = std::max(w1, r.value.size());
        w2 = std::max(w2, r.target.size());
    }
    auto line = [&](const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
        std::printf("  %s%*s  %*s  %-*s  %s\n", a.c_str(), int(w0) - Columns(a), "", int(w1), b.c_str(),
                    int(w2), c.c_str(), d.c_str());
    };
    std::printf("\n");
    line("case", "value", "target", "");
    line(std::string(w0, '-'), std::string(w1, '-'), std::string(w2, '-'), "------");
    for (const TRow& r : table)
        line(r.what, r.value, r.target, r.verdict);
}

// ---- the corpus --------------------------------------------------------------------------------------

QString CorpusFile(const QString& name) {
    QString dir = QString::fromLocal8Bit(qgetenv("MORVANE_BENCH_CORPUS"));
    if (dir.isEmpty())
        dir = QStringLiteral(MORVANE_BENCH_CORPUS_DIR);
    return dir + u'/' + name;
}

// ---- the cases -----------------------------------------------------------------------------------------

void StartupCases() {
    // Fresh processes: this program again, with --cold.
    std::vector<double> cold, coldConstruct, coldCreate, coldExpose, coldApp;
    for (int i = 0; i < 3; ++i) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--cold")});
        if (!child.waitForFinished(60000)) {
            std::fprintf(stderr, "the fresh process did not finish\n");
            continue;
        }
        const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
        for (const QString& l : out.split(u'\n')) {
            const QStringList f = l.split(u' ');
            if (f.value(0) == QStringLiteral("APP"))
                coldApp.push_back(f.value(1).toDouble());
            if (f.value(0) == QStringLiteral("COLD") && f.size() >= 6) {
                cold.push_back(f[1].toDouble());
                coldConstruct.push_back(f[2].toDouble());
                coldCreate.push_back(f[3].toDouble());
                coldExpose.push_back(f[4].toDouble() + f[5].toDouble());
            }
        }
    }
    std::printf("start-up, fresh processes (%zu):", cold.size());
    for (std::size_t i = 0; i < cold.size(); ++i)
        std::printf(" %.1f ms (app %.1f, construct %.1f, FormCreate %.1f, show+expose %.1f);", cold[i],
                    i < coldApp.size() ? coldApp[i] : 0.0, coldConstruct[i], coldCreate[i], coldExpose[i]);
    std::printf("\n");

    // In this process: the first start, then several more, each window destroyed before the next.
    TSetting setting;
    std::vector<double> total, construct, create, expose;
    TStartup first;
    int items = 0;
    for (int i = 0; i < 8; ++i) {
        auto [form, s] = Start<TForm1>();
        items = form->ListBoxdic->count();
        std::unique_ptr<TForm1> f = std::move(form);
        Destroy(f);
        if (i == 0) {
            first = s;
            continue;
        }
        total.push_back(s.total);
        construct.push_back(s.construct);
        create.push_back(s.formCreate);
        expose.push_back(s.show + s.expose);
    }
    std::printf("start-up in one process: first %.1f ms; then %zu runs, median %.1f ms (min %.1f, max %.1f): "
                "construct %.1f, FormCreate %.1f, show+expose %.1f; list items %d\n",
                first.total, total.size(), Median(total), Min(total), Max(total), Median(construct),
                Median(create), Median(expose), items);

    if (!cold.empty()) {
        Row("start-up, fresh process (median of 3)", Median(cold), 300);
        Row("  of which FormCreate", Median(coldCreate));
    }
    Row("start-up, in-process (median of 7)", Median(total), 300);
    Row("  construct / FormCreate", Median(construct));
    table.back().value += " / " + Fmt("%.1f ms", Median(create));
    Row("  show to exposed and painted", Median(expose));
}

void DefaultInputCase(TTimedForm& form) {
    form.PageControl1->setCurrentIndex(0);
    Settle(30);
    std::vector<double> toSet, toPainted;
    for (int i = 0; i < 16; ++i) {
        const qint64 t0 = Now();
        QTest::mouseClick(form.Buttonhtop, Qt::LeftButton);
        const qint64 t1 = Now();
        WaitPaintedAfter(form.MemoPinyin->viewport(), t1);
        const qint64 t2 = Now();
        if (i > 0) {
            toSet.push_back(Ms(t1 - t0));
            toPainted.push_back(Ms(t2 - t0));
        }
        Settle(20);
    }
    std::printf("Convert, default input: output \"%s\"; %zu runs, median %.2f ms until the output is set "
                "(min %.2f, max %.2f), %.2f ms until painted\n",
                qPrintable(form.MemoPinyin->toPlainText()), toSet.size(), Median(toSet), Min(toSet),
                Max(toSet), Median(toPainted));
    Row("Convert 青石书院, click to output set", Median(toSet), 150);
}

struct TBigRun {
    double setInput = 0;
    double total = 0;    // click until the walk returned
    double painted = 0;  // click until the output box painted the result
    double maxGap = 0;   // longest stretch without event handling
    qint64 gapStart = 0; // its start and end
    qint64 gapEnd = 0;
    int rounds = 0; // rounds of event handling (ProcessMessages)
    int heartbeats = 0;
    int paintsOut = 0; // paints of the output box and the entry boxes during the conversion
    int paintsEntry = 0;
    std::map<std::string, std::pair<double, int>> inCalls; // time and count per kind of window call
    std::vector<TTimedForm::TSpan> spans;
    std::vector<TEventRecord> events;
    std::vector<qint64> beats;
    qint64 click = 0;
    qsizetype outputChars = 0;
    std::size_t outputBytes = 0;
};

TBigRun BigRun(TTimedForm& form, const QString& text) {
    TBigRun r;
    form.MemoPinyin->clear();
    const qint64 s0 = Now();
    form.MemoHanzi->setPlainText(text);
    r.setInput = Ms(Now() - s0);
    Settle(200);

    // The heartbeat: a timer due every millisecond, noting when it actually ran.
    std::vector<qint64> beats;
    beats.reserve(100000);
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { beats.push_back(Now()); });
    heartbeat.start();
    Spin(30); // not QTest::qWait, which sleeps 10 ms at a time

    form.spans.clear();
    form.recording = true;
    eventLog->records.clear();
    eventLog->paints.clear();
    eventLog->on = true;
    r.click = Now();
    QTest::mouseClick(form.Buttonhtop, Qt::LeftButton);
    const qint64 returned = Now();
    form.recording = false;
    WaitPaintedAfter(form.MemoPinyin->viewport(), returned);
    const qint64 painted = Now();
    Spin(30);
    eventLog->on = false;
    heartbeat.stop();

    r.total = Ms(returned - r.click);
    r.painted = Ms(painted - r.click);
    r.paintsOut = eventLog->paints[form.MemoPinyin->viewport()];
    r.paintsEntry = eventLog->paints[form.Edithz] + eventLog->paints[form.Editpy];
    // Gaps between heartbeats from the last one before the click to the first one after the paint.
    std::size_t first = 0;
    while (first + 1 < beats.size() && beats[first + 1] < r.click)
        ++first;
    for (std::size_t i = first; i + 1 < beats.size() && beats[i] <= painted; ++i) {
        const double gap = Ms(beats[i + 1] - beats[i]);
        if (gap > r.maxGap) {
            r.maxGap = gap;
            r.gapStart = beats[i];
            r.gapEnd = beats[i + 1];
        }
        ++r.heartbeats;
    }
    for (const auto& span : form.spans) {
        auto& [ms, n] = r.inCalls[span.what];
        ms += Ms(span.end - span.start);
        ++n;
        if (std::string(span.what) == "events")
            ++r.rounds;
    }
    r.spans = form.spans;
    r.events = eventLog->records;
    r.beats = std::move(beats);
    r.outputChars = form.MemoPinyin->document()->characterCount();
    r.outputBytes = form.PinyinText().size();
    return r;
}

/// What the time in [from, to) went to: the window calls of the walk, the event handling outside them,
/// and the rest (the walk itself, and the click's way to the handler).
std::string Breakdown(const TBigRun& r, qint64 from, qint64 to) {
    std::map<std::string, double> parts;
    double covered = 0;
    for (const auto& s : r.spans) {
        const qint64 a = std::max(s.start, from), b = std::min(s.end, to);
        if (b > a) {
            parts[s.what] += Ms(b - a);
            covered += Ms(b - a);
        }
    }
    std::string out;
    for (const auto& [what, ms] : parts)
        out += what + " " + Fmt("%.1f", ms) + ", ";
    out += "walk and the rest " + Fmt("%.1f", Ms(to - from) - covered);
    return out;
}

/// The events that took the most time in the rounds (each event charged with the time until the next
/// event began or its round ended), as "type to receiver".
std::string HeaviestEvents(const TBigRun& r, int top) {
    std::map<std::string, std::pair<double, int>> cost;
    for (const auto& s : r.spans) {
        if (std::string(s.what) != "events")
            continue;
        for (std::size_t i = 0; i < r.events.size(); ++i) {
            const TEventRecord& e = r.events[i];
            if (e.at < s.start || e.at >= s.end)
                continue;
            const qint64 next = i + 1 < r.events.size() ? std::min(r.events[i + 1].at, s.end) : s.end;
            auto& [ms, n] = cost[(EventName(e.type) + " to " + eventLog->names[e.receiver]).toStdString()];
            ms += Ms(next - e.at);
            ++n;
        }
    }
    std::vector<std::pair<double, std::string>> sorted;
    for (const auto& [what, c] : cost)
        sorted.push_back({c.first, what + " (" + std::to_string(c.second) + "×)"});
    std::sort(sorted.rbegin(), sorted.rend());
    std::string out;
    for (int i = 0; i < top && i < int(sorted.size()); ++i)
        out +=
            "      " + Fmt("%7.1f ms  ", sorted[std::size_t(i)].first) + sorted[std::size_t(i)].second + "\n";
    return out;
}

void BigCase(TTimedForm& form) {
    QFile file(CorpusFile(QStringLiteral("poetry-1m.utf8.txt")));
    if (!file.open(QIODevice::ReadOnly)) {
        std::printf("Convert, 1 MB: skipped, %s not found (run bench/make-corpus.sh)\n",
                    qPrintable(file.fileName()));
        return;
    }
    const QString text = QString::fromUtf8(file.readAll());
    form.PageControl1->setCurrentIndex(0);

    std::vector<TBigRun> runs;
    for (int i = 0; i < 3; ++i)
        runs.push_back(BigRun(form, text));
    std::vector<double> totals, painted, gaps;
    for (const auto& r : runs) {
        totals.push_back(r.total);
        painted.push_back(r.painted);
        gaps.push_back(r.maxGap);
    }
    // The run of median total, for the details.
    std::size_t mid = 0;
    for (std::size_t i = 0; i < runs.size(); ++i)
        if (runs[i].total == Median(totals))
            mid = i;
    const TBigRun& r = runs[mid];

    std::printf("Convert, 1 MB (%lld characters in MemoHanzi, setting them took %.0f ms, not counted):\n",
                static_cast<long long>(text.size()), r.setInput);
    std::printf("  output %lld characters, %zu bytes\n", static_cast<long long>(r.outputChars),
                r.outputBytes);
    std::printf("  runs:");
    for (const auto& x : runs)
        std::printf(" [%.0f ms to output set, %.0f ms to painted, longest gap %.0f ms]", x.total, x.painted,
                    x.maxGap);
    std::printf("\n  median run: %d rounds of event handling, %d heartbeats (1 ms timer) ran, "
                "%d paints of MemoPinyin and %d of the entry boxes\n",
                r.rounds, r.heartbeats, r.paintsOut, r.paintsEntry);
    std::printf("  time in the window's calls during the walk:\n");
    for (const auto& [what, c] : r.inCalls)
        std::printf("      %7.1f ms  %s (%d×)\n", c.first, what.c_str(), c.second);
    std::printf("  the window's calls of the walk over 1 ms, in order (ms after the click):");
    for (const auto& span : r.spans)
        if (span.end - span.start > 1000000)
            std::printf(" %s %.1f-%.1f;", span.what, Ms(span.start - r.click), Ms(span.end - r.click));
    std::printf("\n");
    std::printf("  whole conversion, click to painted: %s\n",
                Breakdown(r, r.click, r.click + qint64(r.painted * 1e6)).c_str());
    std::printf("  longest gap %.1f ms, from %.1f to %.1f ms after the click: %s\n", r.maxGap,
                Ms(r.gapStart - r.click), Ms(r.gapEnd - r.click), Breakdown(r, r.gapStart, r.gapEnd).c_str());
    std::printf("  events that took the most time inside the rounds:\n%s", HeaviestEvents(r, 6).c_str());
    // Every gap over 50 ms, in order.
    std::printf("  gaps over 50 ms:");
    for (std::size_t i = 0; i + 1 < r.beats.size(); ++i)
        if (r.beats[i + 1] > r.click && r.beats[i] < r.click + qint64(r.painted * 1e6) &&
            Ms(r.beats[i + 1] - r.beats[i]) > 50)
            std::printf(" %.0f ms at +%.0f;", Ms(r.beats[i + 1] - r.beats[i]), Ms(r.beats[i] - r.click));
    std::printf("\n");

    // Setting the converted text into the output box on its own: widening, then setPlainText.
    const AnsiString output = form.PinyinText();
    form.MemoPinyin->clear();
    Settle(50);
    std::vector<double> widen, set, paint;
    for (int i = 0; i < 3; ++i) {
        form.MemoPinyin->clear();
        Settle(50);
        const qint64 a = Now();
        QString wide = CodePage::Widen(output);
        wide.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const qint64 b = Now();
        form.MemoPinyin->setPlainText(wide);
        const qint64 c = Now();
        WaitPaintedAfter(form.MemoPinyin->viewport(), c);
        const qint64 d = Now();
        widen.push_back(Ms(b - a));
        set.push_back(Ms(c - b));
        paint.push_back(Ms(d - c));
    }
    // And the input, narrowed as the walk reads it.
    std::vector<double> narrow;
    for (int i = 0; i < 3; ++i) {
        const qint64 a = Now();
        QString t = form.MemoHanzi->toPlainText();
        t.replace(u'\n', QStringLiteral("\r\n"));
        const AnsiString bytes = CodePage::Narrow(t);
        narrow.push_back(Ms(Now() - a));
    }
    std::printf("  output on its own (median of 3): widening %zu bytes %.1f ms, MemoPinyin->setPlainText "
                "%.1f ms, then to painted %.1f ms; reading and narrowing the input %.1f ms\n",
                output.size(), Median(widen), Median(set), Median(paint), Median(narrow));

    Row("Convert 1 MB, click to output set", Median(totals), 2000);
    table.back().what += " (first run " + Fmt("%.0f ms)", totals.front());
    Row("  click to output painted", Median(painted), 2000);
    Row("  longest gap between event rounds", Median(gaps), 100);
    table.back().what += " (worst " + Fmt("%.0f ms)", Max(gaps));
    Row("  setting the output (widen + setPlainText)", Median(widen) + Median(set));
}

void ScrollCase(TTimedForm& form) {
    form.PageControl1->setCurrentIndex(1);
    Settle(100);
    QListWidget* list = form.ListBoxdic;
    QScrollBar* bar = list->verticalScrollBar();
    std::vector<double> totals, perStep, worst;
    int steps = 0, paints = 0;
    for (int run = 0; run < 3; ++run) {
        bar->setValue(0);
        Settle(100);
        eventLog->paints[list->viewport()] = 0;
        steps = 0;
        std::vector<double> step;
        const qint64 t0 = Now();
        while (bar->value() < bar->maximum()) {
            const qint64 a = Now();
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            QCoreApplication::processEvents(); // the update request: paint and flush
            step.push_back(Ms(Now() - a));
            ++steps;
        }
        totals.push_back(Ms(Now() - t0));
        perStep.push_back(Median(step));
        worst.push_back(Max(step));
        paints = eventLog->paints[list->viewport()];
    }
    std::printf(
        "Scrolling the dictionary list (%d items, page step %d rows): %d page steps, %d paints of the "
        "list; runs %.0f / %.0f / %.0f ms (the first draws every glyph for the first time), "
        "median step %.2f ms, slowest step %.1f ms\n",
        list->count(), bar->pageStep(), steps, paints, totals[0], totals[1], totals[2], Median(perStep),
        Max(worst));
    Row("scroll list top to bottom, first pass (" + std::to_string(steps) + " page steps)", totals[0]);
    Row("scroll list top to bottom, again", Median({totals[1], totals[2]}));
    form.PageControl1->setCurrentIndex(0);
}

} // namespace

int main(int argc, char* argv[]) {
    clock0.start();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const bool coldRun = argc > 1 && std::string(argv[1]) == "--cold";
    JpegImage::Register();
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("morvane"));
    TEventLog log;
    eventLog = &log;
    application.installEventFilter(&log);
    if (coldRun) {
        std::printf("APP %.3f\n", Ms(Now()));
        return RunCold();
    }

    std::printf("bench_form1: platform %s, Qt %s, screen %dx%d\n",
                qPrintable(QGuiApplication::platformName()), qVersion(),
                QGuiApplication::primaryScreen()->size().width(),
                QGuiApplication::primaryScreen()->size().height());
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        std::printf("warning: not on a real display; run it under xvfb-run or on X11\n");

    StartupCases();

    TSetting setting;
    auto [form, s] = Start<TTimedForm>();
    Q_UNUSED(s);
    std::printf("faces: window %s, output box %s\n", qPrintable(QFontInfo(form->font()).family()),
                qPrintable(QFontInfo(form->MemoPinyin->font()).family()));
    DefaultInputCase(*form);
    BigCase(*form);
    ScrollCase(*form);
    if (!setting.boxes.empty())
        std::printf("message boxes shown: %zu, the first: %s\n", setting.boxes.size(),
                    qPrintable(setting.boxes.front()));

    PrintTable();
    return 0;
}
