// A program built without the dictionary: the start reports the missing resource and the window
// still opens and converts nothing.
#include "FormFixture.h"
#include "platform/Memo.h"

#include <QGroupBox>
#include <QListWidget>
#include <QTest>

class TestNoResource : public QObject {
    Q_OBJECT

private slots:
    void missingDictionaryIsReported() {
        TFormFixture fixture;
        auto form = fixture.Start();
        QCOMPARE(fixture.boxes.size(), 1u);
        QCOMPARE(fixture.boxes[0].text, QStringLiteral("Resource diclist not found."));
        QVERIFY(!QFile::exists(fixture.DictionaryPath()));
        QCOMPARE(form->GroupBox1->title(), QStringLiteral("汉字拼音库："));
        form->ButtonhtopClick();
        QCOMPARE(form->MemoPinyin->toPlainText(), QStringLiteral("青石书院"));
    }
};

QTEST_MAIN(TestNoResource)
#include "tst_noresource.moc"
