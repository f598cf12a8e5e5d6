// morvane-convert through its executable: the command line, its files and messages, and its results
// against the Convert walk on a window of its own for the same text, options and dictionary.

#include "Converter.h"
#include "FakeForm1.h"
#include "Files.h"
#include "Gbk.h"
#include "TestFiles.h"
#include "TextCodec.h"
#include "platform/ModuleResource.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <random>
#include <sys/stat.h>

Q_DECLARE_METATYPE(std::vector<AnsiString>)

namespace {

const QString kConvert = QStringLiteral(MORVANE_CONVERT);

struct TRun {
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

TRun Run(const QString& folder, const QStringList& args, const QByteArray& input = {},
         const QStringList& environment = {}) {
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& setting : environment)
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    process.setProcessEnvironment(env);
    process.start(kConvert, args);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    return {process.exitCode(), process.exitStatus() == QProcess::CrashExit, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

QByteArray Bytes(const AnsiString& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

AnsiString Ansi(const QByteArray& b) {
    return AnsiString(b.constData(), std::size_t(b.size()));
}

/// The dictionary list the window loads from the built-in dictionary.
const std::vector<AnsiString>& BuiltInDictionary() {
    static const std::vector<AnsiString> lines = [] {
        const TResourceStream resource(QStringLiteral("diclist"), QStringLiteral("txt"));
        return AnsiText::SplitLines(std::string_view(resource.Data(), resource.Size()));
    }();
    return lines;
}

/// The walk on a window whose input box holds text, with the options of the style.
AnsiString Walk(const std::vector<AnsiString>& dictionary, const AnsiString& text, TStyle style) {
    TFakeForm1 form(dictionary, text, style != TStyle::Plain, style == TStyle::Annotated, 0);
    ConvertWalk(form);
    return form.pinyin;
}

/// The window's widening of its output for the box, as UTF-8; false when it holds escaped bytes.
bool WidenToUtf8(const AnsiString& bytes, QByteArray& utf8) {
    const QString wide = CodePage::Widen(bytes);
    for (qsizetype i = 0; i < wide.size(); ++i) {
        if (wide.at(i).isHighSurrogate() && i + 1 < wide.size() && wide.at(i + 1).isLowSurrogate())
            ++i;
        else if (wide.at(i).isSurrogate())
            return false;
    }
    utf8 = wide.toUtf8();
    return true;
}

const char* StyleName(TStyle style) {
    return style == TStyle::Plain ? "plain" : style == TStyle::Spaced ? "spaced" : "annotated";
}

std::vector<AnsiString> GbkLines(std::initializer_list<const char*> utf8Lines) {
    std::vector<AnsiString> lines;
    for (const char* line : utf8Lines)
        lines.push_back(Gbk(line));
    return lines;
}

AnsiString JoinLines(const std::vector<AnsiString>& lines) {
    AnsiString text;
    for (const AnsiString& line : lines)
        text.append(line).append("\r\n");
    return text;
}

/// Every Unicode scalar value that the program's text can hold, 64 to a line.
QByteArray EveryCharacter() {
    QString text;
    int onLine = 0;
    for (char32_t cp = 1; cp <= 0x10FFFF; ++cp) {
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp == '\r' || cp == '\n' || !TextCodec::HasGb18030Code(cp))
            continue;
        const char32_t one[] = {cp};
        text.append(QString::fromUcs4(one, 1));
        if (++onLine == 64) {
            text.append(u'\n');
            onLine = 0;
        }
    }
    return text.toUtf8();
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;

    QString Path(const QString& name) const { return folder.filePath(name); }

    QStringList FolderListing() const {
        return QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void init() {
        QVERIFY(folder.isValid());
        for (const QString& name : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(Path(name));
        QDir(folder.path()).mkpath(QStringLiteral("dir"));
        WriteFile(Path("poem.txt"), "青石书院\n好\n");
        WriteFile(Path("two.txt"), "中文abc\n");
        WriteFile(Path("poem-gbk.txt"), Bytes(Gbk("青石书院\n")));
        WriteFile(Path("bad.txt"), "好\xFF好\n");
        WriteFile(Path("cut.txt"), "好\xE5\xA5");
        WriteFile(Path("pua.txt"), "a\xEE\x9E\x8D\n"); // U+E78D
        WriteFile(Path("bad-gbk.txt"), "\xBA\xC3\x80\n");
        WriteFile(Path("dict.txt"), Bytes(Gbk("好hao\r\n中zhong")));
        WriteFile(Path("dict-utf8.txt"), "好hǎo\n");
        WriteFile(Path("dict-garbage.bin"), QByteArray("\xBA\xC3hao\r\n\xFF\xFE\x80\x01\x00x", 13));
        WriteFile(Path("dict-empty.txt"), QByteArray());
        WriteFile(Path("out.txt"), "old");
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("message"); // a part of standard error; empty: nothing there
        QTest::addColumn<QByteArray>("outTxt");

        const QByteArray poem = " qīng  shí  shū  yuàn \n hǎo \n";
        const QByteArray two = " zhōng  wén abc\n";
        const QByteArray old = "old";
        QTest::newRow("standard input, spaced by default")
            << QStringList{} << QByteArray("青石书院") << 0 << QByteArray(" qīng  shí  shū  yuàn ") << ""
            << old;
        QTest::newRow("plain") << QStringList{"--style", "plain"} << QByteArray("青石书院") << 0
                               << QByteArray("qīngshíshūyuàn") << "" << old;
        QTest::newRow("annotated") << QStringList{"--style=annotated"} << QByteArray("青石书院") << 0
                                   << QByteArray(" 青(qīng)  石(shí)  书(shū)  院(yuàn) ") << "" << old;
        QTest::newRow("files in order, - for standard input")
            << QStringList{"poem.txt", "-", "two.txt"} << QByteArray("好") << 0 << poem + " hǎo " + two << ""
            << old;
        QTest::newRow("line ends and other text pass through")
            << QStringList{} << QByteArray("好\r\n1 abc，。😀\n") << 0 << QByteArray(" hǎo \r\n1 abc，。😀\n")
            << "" << old;
        QTest::newRow("empty input") << QStringList{} << QByteArray() << 0 << QByteArray() << "" << old;
        QTest::newRow("GB18030 in and out")
            << QStringList{"--encoding", "gb18030", "poem-gbk.txt"} << QByteArray() << 0
            << Bytes(Gbk(" qīng  shí  shū  yuàn \n")) << "" << old;
        QTest::newRow("GBK names the same encoding")
            << QStringList{"--encoding=GBK", "--style", "plain"} << Bytes(Gbk("好")) << 0 << Bytes(Gbk("hǎo"))
            << "" << old;
        QTest::newRow("another dictionary") << QStringList{"--dictionary", "dict.txt"} << QByteArray("好中青")
                                            << 0 << QByteArray(" hao  zhong 青") << "" << old;
        QTest::newRow("a UTF-8 dictionary is refused")
            << QStringList{"--dictionary", "dict-utf8.txt"} << QByteArray("好") << 1 << QByteArray()
            << "dict-utf8.txt: the dictionary is UTF-8 text" << old;
        QTest::newRow("a dictionary of binary data is refused")
            << QStringList{"--dictionary", "dict-garbage.bin"} << QByteArray("好") << 1 << QByteArray()
            << "dict-garbage.bin: not a dictionary: control byte 1 at byte offset 10" << old;
        QTest::newRow("an empty dictionary is refused")
            << QStringList{"--dictionary", "dict-empty.txt"} << QByteArray("好") << 1 << QByteArray()
            << "dict-empty.txt: not a dictionary: no line starts with a Chinese character" << old;
        QTest::newRow("missing dictionary")
            << QStringList{"--dictionary", "none.txt"} << QByteArray("好") << 1 << QByteArray()
            << "cannot open none.txt: No such file or directory" << old;
        QTest::newRow("invalid UTF-8: file and offset, nothing of it written, the others are")
            << QStringList{"poem.txt", "bad.txt", "two.txt"} << QByteArray() << 1 << poem + two
            << "bad.txt: not valid UTF-8 at byte offset 3; nothing written for this file" << old;
        QTest::newRow("a sequence cut off by the end of the file")
            << QStringList{"cut.txt"} << QByteArray() << 1 << QByteArray()
            << "cut.txt: not valid UTF-8 at byte offset 3" << old;
        QTest::newRow("invalid UTF-8 on standard input")
            << QStringList{} << QByteArray("abc\xC0\x80") << 1 << QByteArray()
            << "standard input: not valid UTF-8 at byte offset 3" << old;
        QTest::newRow("a character that GB18030 has no code for")
            << QStringList{"pua.txt"} << QByteArray() << 1 << QByteArray()
            << "pua.txt: the character U+E78D at byte offset 1 has no GB18030 code" << old;
        QTest::newRow("invalid GB18030")
            << QStringList{"--encoding", "gb18030", "bad-gbk.txt"} << QByteArray() << 1 << QByteArray()
            << "bad-gbk.txt: not valid GB18030 at byte offset 2" << old;
        QTest::newRow("missing file") << QStringList{"none.txt", "two.txt"} << QByteArray() << 1 << two
                                      << "cannot open none.txt: No such file or directory" << old;
        QTest::newRow("unreadable file") << QStringList{"dir"} << QByteArray() << 1 << QByteArray()
                                         << "cannot read dir: Is a directory" << old;
        QTest::newRow("-o replaces OUT")
            << QStringList{"-o", "out.txt", "poem.txt"} << QByteArray() << 0 << QByteArray() << "" << poem;
        QTest::newRow("-o on failure leaves OUT as it was")
            << QStringList{"poem.txt", "bad.txt", "-o", "out.txt"} << QByteArray() << 1 << QByteArray()
            << "out.txt left as it was" << old;
        QTest::newRow("-o with an unreadable input leaves OUT as it was")
            << QStringList{"-oout.txt", "poem.txt", "none.txt"} << QByteArray() << 1 << QByteArray()
            << "out.txt left as it was" << old;
        QTest::newRow("OUT equal to an input")
            << QStringList{"-o", "out.txt", "poem.txt", "./out.txt"} << QByteArray() << 2 << QByteArray()
            << "the output file out.txt is also an input (./out.txt)" << old;
        QTest::newRow("OUT a folder") << QStringList{"-o", "dir", "poem.txt"} << QByteArray() << 2
                                      << QByteArray() << "the output dir is a folder" << old;
        QTest::newRow("OUT a device: written as it is")
            << QStringList{"-o", "/dev/null", "poem.txt"} << QByteArray() << 0 << QByteArray() << "" << old;
        QTest::newRow("unknown option") << QStringList{"--fast"} << QByteArray() << 2 << QByteArray()
                                        << "unknown option '--fast'\nTry 'morvane-convert --help'" << old;
        QTest::newRow("unknown style") << QStringList{"--style", "bold"} << QByteArray() << 2 << QByteArray()
                                       << "unknown style 'bold'" << old;
        QTest::newRow("unknown encoding") << QStringList{"--encoding=latin1"} << QByteArray() << 2
                                          << QByteArray() << "unknown encoding 'latin1'" << old;
        QTest::newRow("option without its value") << QStringList{"poem.txt", "-o"} << QByteArray() << 2
                                                  << QByteArray() << "option '-o' needs a value" << old;
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QString, message);
        QFETCH(QByteArray, outTxt);
        const QStringList before = FolderListing();
        const TRun run = Run(folder.path(), args, input);
        QVERIFY(!run.crashed);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out, out);
        if (message.isEmpty())
            QCOMPARE(run.err, QByteArray());
        else
            QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
        QCOMPARE(ReadFile(Path("out.txt")), outTxt);
        QCOMPARE(FolderListing(), before); // no temporary file left behind
    }

    void helpAndVersion() {
        const TRun help = Run(folder.path(), {"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith("Usage: morvane-convert [OPTION]... [FILE]..."));
        QVERIFY(help.out.contains("--dictionary FILE"));
        QCOMPARE(help.err, QByteArray());
        const TRun version = Run(folder.path(), {"--version"});
        QCOMPARE(version.exitCode, 0);
        QVERIFY(version.out.startsWith("morvane-convert "));
    }

    void closedPipeEndsQuietly() {
        QByteArray big;
        while (big.size() < (4 << 20))
            big += ReadFile(QStringLiteral(MORVANE_TEST_DATA "/poetry-sample.txt"));
        WriteFile(Path("big.txt"), big);
        for (const QString& from : {QStringLiteral("big.txt"), QStringLiteral("- < big.txt")}) {
            QProcess shell;
            shell.setWorkingDirectory(folder.path());
            shell.start(QStringLiteral("/bin/sh"),
                        {"-c", QStringLiteral("\"$0\" %1 | head -c 10").arg(from), kConvert});
            QVERIFY(shell.waitForFinished(60000));
            QCOMPARE(shell.exitCode(), 0);
            QCOMPARE(shell.readAllStandardOutput(), QByteArray(" dǎo  yǐ"));
            QCOMPARE(shell.readAllStandardError(), QByteArray());
        }
    }

    void interruptedOutputLeavesNoTemporaryFile() {
        const QStringList before = FolderListing();
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.start(kConvert, {"-o", "out.txt", "-"});
        QVERIFY(process.waitForStarted());
        process.write("青石书院\n");
        // The temporary file is there while the program waits for the rest of its input.
        QTRY_COMPARE(FolderListing().size(), before.size() + 1);
        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QCOMPARE(FolderListing(), before);
        QCOMPARE(ReadFile(Path("out.txt")), QByteArray("old"));
    }

    // An input is read twice, to check its text and then to convert it: a file that a writer changes in
    // between must be refused, since the conversion would not be that of the checked text.
    void inputChangedBetweenReadings_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("duringSecondReading");
        QTest::addColumn<QString>("message"); // empty: read the same twice
        const QString before = QStringLiteral(" changed while it was read; nothing written for this file");
        const QString during = QStringLiteral(" changed while it was read");
        QTest::newRow("untouched") << "none" << false << QString();
        QTest::newRow("removed from its folder") << "remove" << false << QString();
        QTest::newRow("rewritten, same size") << "rewrite" << false << before;
        QTest::newRow("truncated") << "truncate" << false << before;
        QTest::newRow("grown") << "append" << false << before;
        QTest::newRow("rewritten during the second reading") << "rewrite" << true << during;
        QTest::newRow("truncated during the second reading") << "truncate" << true << during;
    }

    void inputChangedBetweenReadings() {
        QFETCH(QString, change);
        QFETCH(bool, duringSecondReading);
        QFETCH(QString, message);
        const QString path = Path("changing.txt");
        QByteArray text;
        while (text.size() < 64 * 1024)
            text += "青石书院\n";
        WriteFile(path, text);
        // An old time of last write, so that a write in the same clock tick as the fixture's still shows.
        const timespec times[2] = {{0, UTIME_OMIT}, {946684800, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);

        const auto makeChange = [&] {
            QFile file(path);
            if (change == "remove")
                QVERIFY(file.remove());
            else if (change == "rewrite")
                QVERIFY(file.open(QIODevice::ReadWrite) && file.write("石青") == 6);
            else if (change == "truncate")
                QVERIFY(file.resize(100));
            else if (change == "append")
                QVERIFY(file.open(QIODevice::Append) && file.write("好\n") == 4);
        };
        TInput in(QFile::encodeName(path).toStdString());
        TByteBuffer first;
        QCOMPARE(in.Read(first, std::size_t(text.size()) + 1), std::size_t(text.size()));
        TByteBuffer second;
        try {
            if (!duringSecondReading)
                makeChange();
            in.Rewind();
            in.Read(second, 1000);
            if (duringSecondReading)
                makeChange();
            in.Read(second, std::size_t(text.size()));
            in.Read(second, 1);
            QVERIFY2(message.isEmpty(), "the change went unnoticed");
            QCOMPARE(QByteArray(second.Data(), qsizetype(second.Size())), text);
        } catch (const TCliError& error) {
            QCOMPARE(QString::fromStdString(error.what()), path + message);
            QCOMPARE(error.status, 1);
        }
    }

    // ---- The window's conversion

    void sameAsTheWindow_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("blockSize"); // empty: the program's own
        QTest::addColumn<bool>("shippedFile");  // the shipped dictionary given with --dictionary

        const QByteArray sample = ReadFile(QStringLiteral(MORVANE_TEST_DATA "/poetry-sample.txt"));
        QVERIFY(sample.size() > 10000);
        QByteArray corpus = ReadFile(qEnvironmentVariable("MORVANE_BENCH_CORPUS", MORVANE_BENCH_CORPUS_DIR) +
                                     "/poetry-100k.utf8.txt");
        QByteArray every = EveryCharacter();
        for (const TStyle style : {TStyle::Plain, TStyle::Spaced, TStyle::Annotated}) {
            const char* name = StyleName(style);
            const int s = int(style);
            QTest::addRow("poetry sample, %s", name) << sample << s << QString() << false;
            QTest::addRow("poetry sample, %s, blocks of 7 bytes", name) << sample << s << "7" << false;
            QTest::addRow("poetry sample, %s, the shipped file", name) << sample << s << QString() << true;
            if (!corpus.isEmpty())
                QTest::addRow("corpus 100 KB, %s, blocks of 4099 bytes", name)
                    << corpus << s << "4099" << false;
            QTest::addRow("every character, %s", name) << every << s << QString() << false;
        }
        if (corpus.isEmpty())
            qInfo("no corpus (bench/make-corpus.sh builds it): the poetry sample stands in for it");
    }
    void sameAsTheWindow() {
        QFETCH(QByteArray, text);
        QFETCH(int, style);
        QFETCH(QString, blockSize);
        QFETCH(bool, shippedFile);
        WriteFile(Path("text.txt"), text);
        const AnsiString ansi = CodePage::Narrow(QString::fromUtf8(text));
        WriteFile(Path("text-gbk.txt"), Bytes(ansi));
        const AnsiString window = Walk(BuiltInDictionary(), ansi, TStyle(style));
        QByteArray windowUtf8;
        QVERIFY(WidenToUtf8(window, windowUtf8));

        QStringList options{"--style", StyleName(TStyle(style))};
        if (shippedFile)
            options << "--dictionary" << QStringLiteral(MORVANE_DICLIST);
        const QStringList environment{"MORVANE_CONVERT_BLOCK_SIZE=" + blockSize,
                                      "MORVANE_CONVERT_TELL_PASS=1"};
        const TRun utf8 = Run(folder.path(), options + QStringList{"text.txt"}, {}, environment);
        QCOMPARE(utf8.exitCode, 0);
        QCOMPARE(utf8.err, QByteArray("morvane-convert: one pass\n"));
        QVERIFY(utf8.out == windowUtf8); // not QCOMPARE: megabytes in a failure message
        const TRun gb =
            Run(folder.path(), options + QStringList{"--encoding", "gb18030", "-"}, Bytes(ansi), environment);
        QCOMPARE(gb.exitCode, 0);
        QVERIFY(gb.out == Bytes(window));
    }

    void walkForOtherDictionaries_data() {
        QTest::addColumn<std::vector<AnsiString>>("dictionary");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("onePass"); // in every style and encoding; otherwise the walk in some

        const QByteArray lines = "吧 好\n星期\n中 xa, ba; 好好\n";
        QTest::newRow("a one-byte key also changes the readings of other blocks")
            << GbkLines({"好hǎo", "吧ba", "aA"}) << lines << false;
        QTest::newRow("a key that comes twice") << GbkLines({"好hǎo", "中zhōng", "好hào"}) << lines << false;
        QTest::newRow("a reading that holds a later key")
            << GbkLines({"好hǎo中", "中zhōng"}) << lines << false;
        QTest::newRow("a reading that ends on a lead byte")
            << std::vector<AnsiString>{Gbk("好h") + "\xA8", Gbk("中zhōng")} << lines << false;
        QTest::newRow("a key of four bytes")
            << GbkLines({"𠀀ceshi", "好hǎo"}) << QByteArray("𠀀好 𠀀\n😀😀\n") << false;
        QTest::newRow("a key that is the half of four-byte codes")
            << std::vector<AnsiString>{AnsiString("\x81\x30x"), Gbk("好hǎo")} << QByteArray("好\u0080好\n")
            << false;
        QTest::newRow("no place to cut for a while: the block grows")
            << GbkLines({"aA", " SP", ",CO", "好hǎo"}) << QByteArray("a a a,a a 好好 好好a\n a") + lines
            << false;
        QTest::newRow("a key of four bytes across two characters")
            << std::vector<AnsiString>{AnsiString("\x82\x36\x95\x32x"), Gbk("好hǎo")}
            << QByteArray("𠀀𠀀\n好\n") << false;
        QTest::newRow("the straddle inside a reading, one pass")
            << GbkLines({"殡bìn", "琻jīn"}) << QByteArray("殡琻 殡殡琻\n琻\n") << true;
        QTest::newRow("a key alone and an empty line, one pass")
            << GbkLines({"好", "", "中zhōng"}) << QByteArray("好中 中好\n") << true;
    }
    void walkForOtherDictionaries() {
        QFETCH(std::vector<AnsiString>, dictionary);
        QFETCH(QByteArray, text);
        QFETCH(bool, onePass);
        WriteFile(Path("odd.txt"), Bytes(JoinLines(dictionary)));
        const AnsiString ansi = CodePage::Narrow(QString::fromUtf8(text));
        bool walked = false;
        const auto onePassTold = [&](const TRun& run) {
            const bool told = run.err.startsWith("morvane-convert: one pass");
            walked = walked || run.err.startsWith("morvane-convert: walk: ");
            return told;
        };
        for (const TStyle style : {TStyle::Plain, TStyle::Spaced, TStyle::Annotated}) {
            // The window loads the file: its lines, split again.
            const AnsiString window = Walk(AnsiText::SplitLines(JoinLines(dictionary)), ansi, style);
            const QStringList options{"--dictionary", "odd.txt", "--style", StyleName(style)};
            for (const char* blockSize : {"3", "1048576"}) {
                const QStringList environment{QStringLiteral("MORVANE_CONVERT_BLOCK_SIZE=") + blockSize,
                                              "MORVANE_CONVERT_TELL_PASS=1"};
                const TRun gb = Run(folder.path(), options + QStringList{"--encoding", "gb18030"},
                                    Bytes(ansi), environment);
                QCOMPARE(gb.exitCode, 0);
                QVERIFY(onePassTold(gb) || !onePass);
                QCOMPARE(Hex(Ansi(gb.out)), Hex(window));

                const TRun utf8 = Run(folder.path(), options, text, environment);
                QVERIFY(onePassTold(utf8) || !onePass);
                QByteArray windowUtf8;
                if (WidenToUtf8(window, windowUtf8)) {
                    QCOMPARE(utf8.exitCode, 0);
                    QCOMPARE(utf8.out, windowUtf8);
                } else {
                    // The window would show escaped bytes; UTF-8 cannot carry them.
                    QCOMPARE(utf8.exitCode, 1);
                    QCOMPARE(utf8.out, QByteArray());
                    QVERIFY2(utf8.err.contains("which UTF-8 cannot carry; nothing written for this file"),
                             utf8.err.constData());
                }
            }
        }
        QCOMPARE(walked, !onePass); // the rows meant for the walk do reach it
    }

    // ---- What the one pass and the checks rely on

    void onePassIsTheWalkOnAnyBytes_data() {
        QTest::addColumn<std::vector<AnsiString>>("dictionary");
        QTest::newRow("the shipped dictionary") << BuiltInDictionary();
        QTest::newRow("the straddle inside a reading") << GbkLines({"殡bìn", "琻jīn", "好hǎo"});
        QTest::newRow("a key alone, an empty line, a reading with its lead byte paired")
            << std::vector<AnsiString>{Gbk("好"), "", Gbk("中h") + "\xA8", Gbk("青qīng")};
    }
    void onePassIsTheWalkOnAnyBytes() {
        // The window's text may hold any bytes (escaped ones among them); the one pass of code page 936
        // text gives the walk's result for each, in every style.
        QFETCH(std::vector<AnsiString>, dictionary);
        std::vector<AnsiString> keys;
        for (const AnsiString& line : dictionary)
            if (line.size() >= 2)
                keys.push_back(line.substr(0, 2));
        std::vector<std::unique_ptr<TPreparedDictionary>> prepared;
        for (const TStyle style : {TStyle::Plain, TStyle::Spaced, TStyle::Annotated})
            prepared.push_back(std::make_unique<TPreparedDictionary>(dictionary, style, TTextForm::Ansi));
        std::mt19937 random(20261211);
        int compared = 0;
        for (int round = 0; round < 40; ++round) {
            AnsiString text;
            const int pieces = int(random() % 400);
            for (int i = 0; i < pieces; ++i) {
                switch (random() % 4) {
                case 0: // any byte
                    text.push_back(static_cast<char>(random() % 256));
                    break;
                case 1: // a lead byte, often before a tone letter's second byte
                    text.push_back(static_cast<char>(0x81 + random() % 0x7E));
                    break;
                case 2: // ASCII, line ends among it
                    text.push_back("ab\r\n 1h"[random() % 8]);
                    break;
                default: // a dictionary character
                    text += keys[random() % keys.size()];
                }
            }
            for (const TStyle style : {TStyle::Plain, TStyle::Spaced, TStyle::Annotated}) {
                const TPreparedDictionary& one = *prepared[std::size_t(style)];
                if (!one.Qualifies())
                    continue; // the plain reading "h" + lead byte, which the walk alone converts
                QCOMPARE(Hex(one.Convert(text)), Hex(Walk(dictionary, text, style)));
                ++compared;
            }
        }
        QVERIFY(compared >= 80);
    }

    void everyCharacterComesBackFromTheWindow() {
        // The one pass copies a character without entry as it is; the window narrows and widens it.
        // Those that GB18030 has no code for are refused, as the window would turn them into "?".
        QString accepted;
        int refused = 0;
        for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
            if (cp >= 0xD800 && cp <= 0xDFFF)
                continue;
            const char32_t one[] = {cp};
            const QString c = QString::fromUcs4(one, 1);
            if (TextCodec::HasGb18030Code(cp)) {
                accepted.append(c);
            } else {
                QCOMPARE(CodePage::Narrow(c), AnsiString("?"));
                ++refused;
            }
        }
        QVERIFY(CodePage::Widen(CodePage::Narrow(accepted)) == accepted);
        QCOMPARE(refused, 24);
    }

    void dictionaryLinesAsTheWindowSplitsThem_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("CR LF, an empty line, a final line end") << QByteArray("a\r\n\nb\r\n");
        QTest::newRow("lone CR and lone LF") << QByteArray("a\rb\nc\r\rd");
        QTest::newRow("no final line end") << QByteArray("abc");
        QTest::newRow("only line ends") << QByteArray("\r\n\r\n\n\r");
        QTest::newRow("a zero byte ends the text") << QByteArray("a\nb\0c\nd", 7);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("the shipped dictionary") << ReadFile(QStringLiteral(MORVANE_DICLIST));
    }
    void dictionaryLinesAsTheWindowSplitsThem() {
        QFETCH(QByteArray, text);
        std::vector<AnsiString> lines;
        ForEachDictionaryLine(std::string_view(text.constData(), std::size_t(text.size())),
                              [&](std::string_view line) { lines.emplace_back(line); });
        QVERIFY(lines == AnsiText::SplitLines(Ansi(text)));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
