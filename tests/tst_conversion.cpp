#include "FakeForm1.h"
#include "Gbk.h"
#include "Models.h"

#include <QTest>

#include <random>
#include <stdexcept>

Q_DECLARE_METATYPE(AnsiString)
Q_DECLARE_METATYPE(std::vector<AnsiString>)

namespace {

/// A small dictionary with the straddle of the program's documentation: 殡 "bìn" holds AC 6E, the key
/// of 琻, which comes after it.
std::vector<AnsiString> Fixture() {
    std::vector<AnsiString> lines;
    for (const char* line : {"好hǎo", "青qīng", "石shí", "书shū", "院yuàn", "殡bìn", "琻jīn"})
        lines.push_back(Gbk(line));
    return lines;
}

AnsiString Convert(TFakeForm1& form) {
    ConvertWalk(form);
    return form.pinyin;
}

} // namespace

class TestConversion : public QObject {
    Q_OBJECT

private slots:
    void styles_data() {
        QTest::addColumn<AnsiString>("input");
        QTest::addColumn<bool>("spaced");
        QTest::addColumn<bool>("annotated");
        QTest::addColumn<AnsiString>("output");
        QTest::newRow("spaced, default options") << Gbk("好") << true << false << Gbk(" hǎo ");
        QTest::newRow("spaced, two spaces between readings")
            << Gbk("青石书院") << true << false << Gbk(" qīng  shí  shū  yuàn ");
        QTest::newRow("annotated") << Gbk("青石书院") << true << true
                                   << Gbk(" 青(qīng)  石(shí)  书(shū)  院(yuàn) ");
        QTest::newRow("plain") << Gbk("青石书院") << false << false << Gbk("qīngshíshūyuàn");
        QTest::newRow("annotated ticked, spaced not: plain")
            << Gbk("青石书院") << false << true << Gbk("qīngshíshūyuàn");
        QTest::newRow("line breaks pass through") << Gbk("好\r\n1") << true << false << Gbk(" hǎo \r\n1");
        QTest::newRow("empty input") << AnsiString() << true << false << AnsiString();
        QTest::newRow("no dictionary character")
            << Gbk("abc，123。中") << true << false << Gbk("abc，123。中");
        QTest::newRow("straddling tone byte") << Gbk("殡琻") << true << false << Gbk(" bìn  jīn ");
        QTest::newRow("straddling tone byte, plain") << Gbk("殡琻") << false << false << Gbk("bìnjīn");
        QTest::newRow("characters GBK lacks pass through")
            << Gbk("好😀한") << true << false << Gbk(" hǎo 😀한");
        QTest::newRow("malformed bytes pass through")
            << AnsiString("\xBA\xC3\x81") << true << false << Gbk(" hǎo ") + "\x81";
    }
    void styles() {
        QFETCH(AnsiString, input);
        QFETCH(bool, spaced);
        QFETCH(bool, annotated);
        QFETCH(AnsiString, output);
        for (const int pumpEvery : {1, 0}) {
            TFakeForm1 form(Fixture(), input, spaced, annotated, pumpEvery);
            QCOMPARE(Hex(Convert(form)), Hex(output));
            QCOMPARE(Hex(Convert(form)), Hex(output)); // the output box is never the input
            QVERIFY(form.edithz.empty() && form.editpy.empty());
            QVERIFY(form.messages.empty());
        }
    }

    void unusualEntries_data() {
        QTest::addColumn<std::vector<AnsiString>>("dictionary");
        QTest::addColumn<AnsiString>("input");
        QTest::addColumn<bool>("spaced");
        QTest::addColumn<bool>("annotated");
        QTest::addColumn<AnsiString>("output");
        using D = std::vector<AnsiString>;
        QTest::newRow("empty dictionary list") << D{} << Gbk("好") << true << false << Gbk("好");
        QTest::newRow("empty line passes")
            << D{"", Gbk("好hǎo")} << Gbk("好") << true << false << Gbk(" hǎo ");
        QTest::newRow("key alone, plain") << D{Gbk("好")} << Gbk("a好b") << false << false << Gbk("ab");
        QTest::newRow("key alone, spaced") << D{Gbk("好")} << Gbk("a好b") << true << false << Gbk("a  b");
        QTest::newRow("key alone, annotated")
            << D{Gbk("好")} << Gbk("a好b") << true << true << Gbk("a 好() b");
        QTest::newRow("one-byte key rewrites readings too")
            << D{Gbk("好hǎo"), "ox"} << Gbk("好o") << true << false << Gbk(" hǎ x   x ");
        QTest::newRow("key repeated in its line loses its first copy")
            << D{Gbk("好好x")} << Gbk("好") << false << false << Gbk("好x");
        QTest::newRow("duplicate key, first reading wins")
            << D{Gbk("好hǎo"), Gbk("好hào")} << Gbk("好") << true << false << Gbk(" hǎo ");
        QTest::newRow("duplicate key, annotated nests")
            << D{Gbk("好hǎo"), Gbk("好hào")} << Gbk("好") << true << true << Gbk("  好(hào) (hǎo) ");
        QTest::newRow("reading holding a later key")
            << D{Gbk("好青"), Gbk("青qīng")} << Gbk("好青") << false << false << Gbk("qīngqīng");
    }
    void unusualEntries() {
        QFETCH(std::vector<AnsiString>, dictionary);
        QFETCH(AnsiString, input);
        QFETCH(bool, spaced);
        QFETCH(bool, annotated);
        QFETCH(AnsiString, output);
        for (const int pumpEvery : {1, 0}) {
            TFakeForm1 form(dictionary, input, spaced, annotated, pumpEvery);
            QCOMPARE(Hex(Convert(form)), Hex(output));
        }
    }

    void handsEventsOverOncePerEntryAndShowsEachEntry() {
        TFakeForm1 form;
        form.dictionary = Fixture();
        form.hanzi = ""; // the walk runs over every entry all the same
        ConvertWalk(form);
        QCOMPARE(form.pumps, int(form.dictionary.size()));
        QCOMPARE(form.boxesAtEvents.front(), std::make_pair(AnsiString(), AnsiString()));
        QCOMPARE(form.boxesAtEvents.back(), std::make_pair(Gbk("殡"), Gbk("bìn")));
        QVERIFY(form.edithz.empty() && form.editpy.empty());

        // A window that paces its events still shows the entry the walk is at when they come.
        TFakeForm1 paced;
        paced.dictionary = Fixture();
        paced.hanzi = Gbk("青石");
        paced.pumpEvery = 3;
        ConvertWalk(paced);
        QCOMPARE(paced.pumps, 3);
        QCOMPARE(paced.boxesAtEvents[1], std::make_pair(Gbk("石"), Gbk("shí")));
        QCOMPARE(paced.boxesAtEvents[2], std::make_pair(Gbk("殡"), Gbk("bìn")));
    }

    void liveWalk_data() {
        // At the round of events before the given entry, something happens in the window.
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("action");
        QTest::addColumn<AnsiString>("output");
        enum { UntickSpaced, TickAnnotated, DropFromInput, EditOutput, NestedPlain };
        QTest::newRow("option unticked applies to the entries that follow")
            << 1 << int(UntickSpaced) << Gbk(" hǎo qīng");
        QTest::newRow("option ticked applies to the entries that follow")
            << 1 << int(TickAnnotated) << Gbk(" hǎo  青(qīng) ");
        QTest::newRow("input edited: later presence tests only") << 1 << int(DropFromInput) << Gbk(" hǎo 青");
        QTest::newRow("output edited: the walk goes on from the edit")
            << 1 << int(EditOutput) << Gbk("[ qīng ]");
        QTest::newRow("second Convert runs a nested conversion") << 1 << int(NestedPlain) << Gbk("hǎoqīng");
    }
    void liveWalk() {
        QFETCH(int, entry);
        QFETCH(int, action);
        QFETCH(AnsiString, output);
        TFakeForm1 form;
        form.dictionary = {Gbk("好hǎo"), Gbk("青qīng")};
        form.hanzi = Gbk("好青");
        bool fired = false;
        form.onEvents = [&](TFakeForm1& f, int next) {
            if (next != entry || fired)
                return;
            fired = true;
            switch (action) {
            case 0:
                f.spaced = false;
                break;
            case 1:
                f.annotated = true;
                break;
            case 2:
                f.hanzi = Gbk("好");
                break;
            case 3:
                f.pinyin = Gbk("[青]");
                break;
            case 4:
                f.spaced = false;
                ConvertWalk(f);
                QVERIFY(f.edithz.empty() && f.editpy.empty());
                break;
            }
        };
        QCOMPARE(Hex(Convert(form)), Hex(output));
        QVERIFY(fired);
        QVERIFY(form.messages.empty());
    }

    void typedIntoTheEntryBoxesIsUsed() {
        TFakeForm1 form;
        form.dictionary = {Gbk("青qīng")};
        form.hanzi = Gbk("好青");
        form.onEdithzSet = [](AnsiString& box) { box = Gbk("好"); };
        QCOMPARE(Hex(Convert(form)), Hex(Gbk(" qīng 青")));
    }

    void errorInTheWalkShowsTheFixedMessage_data() {
        QTest::addColumn<int>("pumpEvery");
        QTest::newRow("events before every entry") << 1;
        QTest::newRow("no events during the walk") << 0;
    }
    void errorInTheWalkShowsTheFixedMessage() {
        QFETCH(int, pumpEvery);
        TFakeForm1 form;
        form.dictionary = Fixture();
        form.hanzi = Gbk("青石书院");
        form.pumpEvery = pumpEvery;
        form.onItem = [](int item) {
            if (item == 3)
                throw std::bad_alloc();
        };
        ConvertWalk(form);
        QCOMPARE(form.messages, std::vector<std::string>{std::string(kConvertErrorMessage)});
        QCOMPARE(Hex(form.pinyin), Hex(Gbk(" qīng  shí 书院"))); // as far as the walk got
        QVERIFY(form.edithz.empty() && form.editpy.empty());
        QCOMPARE(form.itemsRead, 3);
    }

    void errorsOutsideTheWalkEscape() {
        struct TBrokenOutput : TFakeForm1 {
            void SetPinyinText(AnsiString) override { throw std::runtime_error("output box gone"); }
        } form;
        form.dictionary = Fixture();
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ConvertWalk(form));
        QVERIFY(form.messages.empty());
    }

    void matchesEntryByEntryOnRandomText_data() {
        QTest::addColumn<bool>("wellFormed");
        QTest::newRow("unique double-byte keys, pinyin readings") << true;
        QTest::newRow("any keys and readings") << false;
    }
    void matchesEntryByEntryOnRandomText() {
        QFETCH(bool, wellFormed);
        std::mt19937 random(wellFormed ? 1223 : 2006);
        auto byte = [&](unsigned lo, unsigned hi) { return char(lo + random() % (hi - lo + 1)); };
        const std::vector<AnsiString> tones = {Gbk("ā"), Gbk("ì"), Gbk("ǚ"), Gbk("ò")};
        for (int iteration = 0; iteration < 400; ++iteration) {
            // Keys from a narrow range so that they meet each other's bytes and the readings' bytes.
            std::vector<AnsiString> dictionary;
            std::vector<AnsiString> keys;
            for (int e = 0, entries = 1 + int(random() % 12); e < entries; ++e) {
                AnsiString key = {byte(0xA8, 0xAD), byte(0x6E, 0xB0)};
                if (!wellFormed && random() % 4 == 0)
                    key = AnsiString(1, byte(0x61, 0x63)); // a one-byte key
                const bool toneLetter = key[0] == '\xA8' && static_cast<unsigned char>(key[1]) >= 0xA1;
                if (wellFormed && (toneLetter || std::find(keys.begin(), keys.end(), key) != keys.end()))
                    continue;
                keys.push_back(key);
                AnsiString reading;
                for (int l = 0, letters = int(random() % 4); l < letters; ++l) {
                    if (random() % 3 == 0)
                        reading += tones[random() % tones.size()];
                    else if (!wellFormed && random() % 3 == 0)
                        reading += byte(0x81, 0xFE); // a stray lead byte
                    else
                        reading += byte(0x61, 0x6F);
                }
                dictionary.push_back(key + reading);
            }
            AnsiString input;
            for (int c = 0, length = int(random() % 30); c < length; ++c) {
                switch (random() % 6) {
                case 0:
                    if (!keys.empty())
                        input += keys[random() % keys.size()];
                    break;
                case 1:
                    input += tones[random() % tones.size()];
                    break;
                case 2:
                    input += "\r\n";
                    break;
                case 3:
                    input += Gbk("한");
                    break;
                case 4:
                    input += byte(0x61, 0x6F);
                    break;
                default:
                    input += {byte(0xA8, 0xAD), byte(0x40, 0xFE)};
                    break;
                }
            }
            if (!wellFormed && random() % 3 == 0)
                input += byte(0x81, 0xFE); // a lead byte at the very end
            const bool spaced = random() % 3 != 0;
            const bool annotated = random() % 2 == 0;
            const AnsiString expected = Models::EntryByEntry(dictionary, input, spaced, annotated);
            if (wellFormed)
                QCOMPARE(Hex(Models::OnePass(dictionary, input, spaced, annotated)), Hex(expected));
            for (const int pumpEvery : {0, 1, 2, 5}) {
                TFakeForm1 form(dictionary, input, spaced, annotated, pumpEvery);
                const AnsiString output = Convert(form);
                if (output != expected)
                    QFAIL(
                        qPrintable(QStringLiteral("iteration %1, events every %2: input %3 gave %4, not %5")
                                       .arg(iteration)
                                       .arg(pumpEvery)
                                       .arg(QString::fromLatin1(Hex(input)), QString::fromLatin1(Hex(output)),
                                            QString::fromLatin1(Hex(expected)))));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
