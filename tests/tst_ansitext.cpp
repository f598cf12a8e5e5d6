#include "Gbk.h"
#include "Models.h"
#include "platform/AnsiText.h"

#include <QTest>

#include <random>

using namespace AnsiText;

Q_DECLARE_METATYPE(AnsiString)
Q_DECLARE_METATYPE(std::vector<AnsiString>)

class TestAnsiText : public QObject {
    Q_OBJECT

private slots:
    void firstChar_data() {
        QTest::addColumn<AnsiString>("line");
        QTest::addColumn<AnsiString>("first");
        QTest::newRow("empty line") << AnsiString() << AnsiString();
        QTest::newRow("dictionary entry") << Gbk("好hǎo") << Gbk("好");
        QTest::newRow("one-byte key") << AnsiString("a1") << AnsiString("a");
        QTest::newRow("key alone") << Gbk("中") << Gbk("中");
        QTest::newRow("tone letter first") << Gbk("āb") << Gbk("ā");
        QTest::newRow("lead byte at the very end") << AnsiString("\x81") << AnsiString("\x81");
        QTest::newRow("lead byte before a control byte") << AnsiString("\x81\x0Dz") << AnsiString("\x81\x0D");
        QTest::newRow("four-byte sequence") << Gbk("한글") << Gbk("한");
        QTest::newRow("emoji") << Gbk("😀x") << Gbk("😀");
    }
    void firstChar() {
        QFETCH(AnsiString, line);
        QFETCH(AnsiString, first);
        QCOMPARE(Hex(FirstChar(line)), Hex(first));
    }

    void byteFindAndDelete() {
        QCOMPARE(ByteFind("b", "abc"), 2u);
        QCOMPARE(ByteFind("", "abc"), 0u);
        QCOMPARE(ByteFind("a", ""), 0u);
        QCOMPARE(ByteFind("abcd", "abc"), 0u);
        // Byte-wise: the second byte of 殡 (E9 EB) and the first of the next one match "\xEB\xE9".
        QCOMPARE(ByteFind("\xEB\xE9", Gbk("殡殡")), 2u);

        struct Row {
            const char* tag;
            AnsiString s;
            std::size_t k, n;
            AnsiString after;
        };
        const Row rows[] = {
            {"first two bytes", Gbk("好hǎo"), 1, 2, Gbk("hǎo")},
            {"position 0 does nothing", "abc", 0, 2, "abc"},
            {"past the end does nothing", "abc", 4, 1, "abc"},
            {"zero length does nothing", "abc", 2, 0, "abc"},
            {"cut at the end", "abc", 2, 9, "a"},
        };
        for (const Row& row : rows) {
            AnsiString s = row.s;
            Delete(s, row.k, row.n);
            QVERIFY2(s == row.after, row.tag);
        }
    }

    void replaceAll_data() {
        QTest::addColumn<AnsiString>("text");
        QTest::addColumn<AnsiString>("pattern");
        QTest::addColumn<AnsiString>("replacement");
        QTest::addColumn<AnsiString>("result");
        QTest::newRow("every occurrence") << Gbk("好,好") << Gbk("好") << Gbk(" hǎo ") << Gbk(" hǎo , hǎo ");
        QTest::newRow("replacement not searched again")
            << Gbk("好") << Gbk("好") << Gbk(" 好(hǎo) ") << Gbk(" 好(hǎo) ");
        // 殡 as "bìn" holds AC 6E, the bytes of 琻, right after the lead byte of ì.
        QTest::newRow("straddling tone byte") << Gbk("bìn 琻") << Gbk("琻") << Gbk("jīn") << Gbk("bìn jīn");
        QTest::newRow("second byte of a character") << AnsiString("\xB0\xA1\xA1") << AnsiString("\xA1\xA1")
                                                    << AnsiString("X") << AnsiString("\xB0\xA1\xA1");
        QTest::newRow("after an even run") << AnsiString("\xB0\xA1\xA1\xA1") << AnsiString("\xA1\xA1")
                                           << AnsiString("X") << AnsiString("\xB0\xA1X");
        QTest::newRow("empty text") << AnsiString() << Gbk("好") << AnsiString("x") << AnsiString();
        QTest::newRow("one-byte key inside readings")
            << Gbk(" hǎo  a ") << AnsiString("a") << AnsiString("[a]") << Gbk(" hǎo  [a] ");
        // After a replacement the boundary is judged in the text that follows it alone.
        QTest::newRow("lone lead-byte pattern")
            << AnsiString("\x81\x81\x81") << AnsiString("\x81") << AnsiString("-") << AnsiString("---");
        QTest::newRow("lead byte at the very end")
            << AnsiString("ab\xB0") << AnsiString("\xB0") << AnsiString("!") << AnsiString("ab!");
    }
    void replaceAll() {
        QFETCH(AnsiString, text);
        QFETCH(AnsiString, pattern);
        QFETCH(AnsiString, replacement);
        QFETCH(AnsiString, result);
        QCOMPARE(Hex(ReplaceAll(text, pattern, replacement)), Hex(result));
        QCOMPARE(Hex(Models::ReplaceAll(text, pattern, replacement)), Hex(result));
    }

    void replaceAllMatchesTheBoundaryRuleOnRandomText() {
        std::mt19937 random(20061223);
        const unsigned char alphabet[] = {'a',  ' ',  '\r', '\n', 0x30, 0x40, 0x7F, 0x81,
                                          0xA1, 0xA8, 0xAC, 0xB0, 0xBA, 0xC3, 0xFE, 0xFF};
        auto pick = [&](std::size_t length) {
            AnsiString s;
            for (std::size_t i = 0; i < length; ++i)
                s.push_back(char(alphabet[random() % sizeof alphabet]));
            return s;
        };
        for (int iteration = 0; iteration < 20000; ++iteration) {
            const AnsiString text = pick(random() % 24);
            const AnsiString pattern = pick(1 + random() % 3);
            const AnsiString replacement = pick(random() % 4);
            const AnsiString fast = ReplaceAll(text, pattern, replacement);
            const AnsiString slow = Models::ReplaceAll(text, pattern, replacement);
            if (fast != slow)
                QFAIL(qPrintable(QStringLiteral("iteration %1: text %2 pattern %3: %4 vs %5")
                                     .arg(iteration)
                                     .arg(QString::fromLatin1(Hex(text)), QString::fromLatin1(Hex(pattern)),
                                          QString::fromLatin1(Hex(fast)), QString::fromLatin1(Hex(slow)))));
        }
    }

    void splitLines_data() {
        QTest::addColumn<AnsiString>("text");
        QTest::addColumn<std::vector<AnsiString>>("lines");
        using L = std::vector<AnsiString>;
        QTest::newRow("CR LF, none after the last") << AnsiString("a\r\nb") << L{"a", "b"};
        QTest::newRow("final CR LF adds no item") << AnsiString("a\r\nb\r\n") << L{"a", "b"};
        QTest::newRow("lone LF") << AnsiString("a\nb\n") << L{"a", "b"};
        QTest::newRow("lone CR") << AnsiString("a\rb") << L{"a", "b"};
        QTest::newRow("empty line between line ends") << AnsiString("a\r\n\r\nb") << L{"a", "", "b"};
        QTest::newRow("LF CR is two line ends") << AnsiString("a\n\rb") << L{"a", "", "b"};
        QTest::newRow("zero byte ends the text") << AnsiString("a\r\nb\0c\r\nd", 10) << L{"a", "b"};
        QTest::newRow("empty text") << AnsiString() << L{};
        QTest::newRow("only a line end") << AnsiString("\r\n") << L{""};
    }
    void splitLines() {
        QFETCH(AnsiString, text);
        QFETCH(std::vector<AnsiString>, lines);
        QCOMPARE(SplitLines(text), lines);
        QCOMPARE(Models::SplitLines(text), lines);
    }
};

QTEST_GUILESS_MAIN(TestAnsiText)
#include "tst_ansitext.moc"
