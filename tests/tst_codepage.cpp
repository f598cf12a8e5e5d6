#include "Gbk.h"
#include "platform/CodePage.h"

#include <QTest>

using CodePage::Narrow;
using CodePage::Widen;

class TestCodePage : public QObject {
    Q_OBJECT

private slots:
    void codePage936Bytes() {
        QCOMPARE(Hex(Gbk("好hǎo")), QByteArray("BA C3 68 A8 A3 6F"));
        QCOMPARE(Hex(Gbk("琻")), QByteArray("AC 6E"));
        // The 23 tone letters of the readings, A8A1..A8B8 less ǖ's neighbours that readings never use.
        const QString tones = QStringLiteral("āáǎàēéěèīíǐìōóǒòūúǔùǖǘǚǜ");
        const AnsiString bytes = Narrow(tones);
        QCOMPARE(bytes.size(), std::size_t(2 * tones.size()));
        for (qsizetype i = 0; i < tones.size(); ++i) {
            QCOMPARE(static_cast<unsigned char>(bytes[2 * i]), 0xA8u);
            QCOMPARE(static_cast<unsigned char>(bytes[2 * i + 1]), 0xA1u + unsigned(i));
        }
        QCOMPARE(Widen(bytes), tones);
    }

    void everyCharacterSurvivesTheRoundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII and line ends") << QStringLiteral("abc 123\r\n\t~");
        QTest::newRow("GB2312 and punctuation") << QStringLiteral("青石书院，好！");
        QTest::newRow("GBK extension ideographs") << QStringLiteral("琻乲硛傱");
        QTest::newRow("characters GBK lacks") << QStringLiteral("한국어 ⅻ € ẞ");
        QTest::newRow("beyond the BMP") << QStringLiteral("😀𠀀𪚥");
        QTest::newRow("zero character") << QString(QChar(0)) + QStringLiteral("x");
    }
    void everyCharacterSurvivesTheRoundTrip() {
        QFETCH(QString, text);
        QCOMPARE(Widen(Narrow(text)), text);
    }

    void fourByteCodesNeverHoldADoubleByteKey() {
        // A GB18030 four-byte code is lead, digit, lead, digit: no key (lead, byte >= 0x40) starts on its
        // boundary and none can straddle it.
        const AnsiString han = Narrow(QStringLiteral("한"));
        QCOMPARE(han.size(), 4u);
        QVERIFY(han[1] >= '0' && han[1] <= '9' && han[3] >= '0' && han[3] <= '9');
    }

    void invalidBytesComeBackUnchanged() {
        const AnsiString samples[] = {
            AnsiString("\x81"), // lead byte at the very end
            AnsiString("a\x81\x0D"
                       "b"),                // lead byte before a control byte
            AnsiString("\x80\xFF"),         // bytes that start no code
            AnsiString("\xB0\xA1\x81\x30"), // a four-byte code cut short
        };
        for (const AnsiString& bytes : samples)
            QCOMPARE(Hex(Narrow(Widen(bytes))), Hex(bytes));
    }

    void everyDoubleByteCodeRoundTrips() {
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F)
                    continue;
                const AnsiString bytes{char(lead), char(trail)};
                QCOMPARE(Hex(Narrow(Widen(bytes))), Hex(bytes));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
