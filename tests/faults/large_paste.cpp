// A fault a person can rerun: a very large text pasted into the input box and converted.
//   tests/faults/large-paste.sh [MEGABYTES [LIMIT_MB]]
// Prints how long the paste and the conversion took, the longest stretch of each without event handling
// (and how many passed a second), the peak memory, and whether the output is right; exits 1 when it is
// not or an error box came up.
#include "FormFixture.h"
#include "platform/Memo.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <utility>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 100;
    if (argc > 2) {
        // An address-space limit from here on (the display server is not bound by it).
        const rlim_t limit = rlim_t(std::atoll(argv[2])) << 20;
        const rlimit space{limit, limit};
        if (setrlimit(RLIMIT_AS, &space) != 0) {
            std::perror("setrlimit");
            return 2;
        }
    }
    TFormFixture fixture;
    auto form = fixture.Start();
    form->show();

    // Lines of real characters with known readings, up to the size asked for (as GBK bytes).
    const QString line = QStringLiteral("青石书院，好中的了吧。\n");
    const QString expectedLine = QStringLiteral(" qīng  shí  shū  yuàn ， hǎo  zhōng  de  le  ba 。\n");
    const qsizetype lines = qsizetype(megabytes) * 1024 * 1024 / 24;
    QApplication::clipboard()->setText(line.repeated(lines));

    // The longest stretch without event handling, and how many passed a second, in the current step.
    struct TGaps {
        qint64 longest = 0;
        int overASecond = 0;
    };
    TGaps gaps;
    QElapsedTimer sinceBeat;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        gaps.longest = std::max(gaps.longest, sinceBeat.elapsed());
        gaps.overASecond += sinceBeat.elapsed() > 1000;
        sinceBeat.restart();
    });
    heartbeat.start(1);

    QElapsedTimer clock;
    form->MemoHanzi->clear();
    clock.start();
    sinceBeat.start();
    form->MemoHanzi->paste();
    const qint64 pasted = clock.restart();
    const TGaps pasteGaps = std::exchange(gaps, TGaps());

    sinceBeat.restart();
    form->Buttonhtop->click();
    const qint64 converted = clock.elapsed();
    heartbeat.stop();

    const QString output = form->MemoPinyin->toPlainText();
    const bool right = output.size() == expectedLine.size() * lines && output.startsWith(expectedLine) &&
                       output.endsWith(expectedLine);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d MB (%lld lines): paste %lld ms (longest gap %lld ms, %d over 1 s), convert %lld ms "
                "(longest gap %lld ms, %d over 1 s), peak memory %ld MB, output %s, %zu message boxes\n",
                megabytes, static_cast<long long>(lines), static_cast<long long>(pasted),
                static_cast<long long>(pasteGaps.longest), pasteGaps.overASecond,
                static_cast<long long>(converted), static_cast<long long>(gaps.longest), gaps.overASecond,
                usage.ru_maxrss / 1024, right ? "right" : "WRONG", fixture.boxes.size());
    for (const TBoxRecord& box : fixture.boxes)
        std::printf("  box: %s\n", qPrintable(box.text));
    return right && fixture.boxes.empty() ? 0 : 1;
}
