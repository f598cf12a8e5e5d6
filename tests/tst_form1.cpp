#include "FormFixture.h"
#include "Gbk.h"
#include "platform/Errors.h"
#include "platform/Memo.h"
#include "platform/Picture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

/// Stands in for the desktop's browser: records the web addresses it is asked to open.
class TUrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

class TestForm1 : public QObject {
    Q_OBJECT

    std::unique_ptr<TFormFixture> fixture;
    std::unique_ptr<TForm1> form;

    void Convert(const QString& input) {
        form->MemoHanzi->setPlainText(input);
        QTest::mouseClick(form->Buttonhtop, Qt::LeftButton);
    }

private slots:
    void init() {
        fixture = std::make_unique<TFormFixture>();
        form = fixture->Start();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup() {
        form.reset();
        fixture.reset();
    }

    void windowIsFixedAndPlacedAsDesigned() {
        QCOMPARE(form->windowTitle(), QStringLiteral("墨韵通V1.0 20061223 FOR：Windows XP 2000 2003"));
        QCOMPARE(form->size(), QSize(553, 380));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QCOMPARE(form->pos(), QPoint(271, 134));
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!form->windowIcon().isNull());
        QCOMPARE(form->windowIcon().availableSizes().value(0), QSize(24, 24));
        QCOMPARE(form->Image1->pixmap().size(), QSize(553, 65));
        QCOMPARE(form->PageControl1->currentWidget(), form->TabSheet1);
        QCOMPARE(QApplication::focusWidget(), form->MemoHanzi);
    }

    void controlsAsDesigned() {
        struct Row {
            QWidget* widget;
            QWidget* parent;
            QRect geometry;
            QString text;
        };
        const Row rows[] = {
            {form->Label3,
             form.get(),
             {8, 360, 360, 12},
             "本字典可以识别二万多汉字（包括繁简体）的拼音，并能标出声调。"},
            {form->Image1, form.get(), {0, 0, 553, 65}, {}},
            {form->PageControl1, form.get(), {0, 68, 553, 281}, {}},
            {form->Label4, form->TabSheet1, {0, 104, 36, 12}, "汉字："},
            {form->Label5, form->TabSheet1, {168, 104, 36, 12}, "拼音："},
            {form->MemoHanzi, form->TabSheet1, {0, 0, 545, 97}, "青石书院"},
            {form->MemoPinyin, form->TabSheet1, {0, 120, 545, 97}, ""},
            {form->Buttonhtop, form->TabSheet1, {0, 222, 75, 25}, "转换"},
            {form->Edithz, form->TabSheet1, {38, 99, 121, 20}, ""},
            {form->Editpy, form->TabSheet1, {206, 99, 121, 20}, ""},
            {form->CheckBoxpykg, form->TabSheet1, {88, 227, 121, 17}, "拼音之间加个空格"},
            {form->CheckBoxallph, form->TabSheet1, {208, 227, 177, 17}, "左汉字右拼音如：好(hǎo)"},
            {form->GroupBox1, form->TabSheet2, {0, 0, 545, 225}, {}},
            {form->ListBoxdic, form->GroupBox1, {8, 16, 153, 201}, {}},
            {form->Buttonclose, form.get(), {477, 353, 75, 25}, "退出"},
            {form->Buttonabout, form.get(), {392, 353, 75, 25}, "关于"},
        };
        for (const Row& row : rows) {
            const QByteArray name = row.widget->objectName().toUtf8();
            QVERIFY2(row.widget->parentWidget() == row.parent, name);
            QVERIFY2(row.widget->geometry() == row.geometry, name);
            QString text;
            if (auto* label = qobject_cast<QLabel*>(row.widget); label && !qobject_cast<TImage*>(label))
                text = label->text();
            else if (auto* button = qobject_cast<QAbstractButton*>(row.widget))
                text = button->text();
            else if (auto* memo = qobject_cast<QPlainTextEdit*>(row.widget))
                text = memo->toPlainText();
            else if (auto* edit = qobject_cast<QLineEdit*>(row.widget))
                text = edit->text();
            QVERIFY2(text == row.text, name);
            QVERIFY2(!text.contains(u'&'), name);
        }
        QCOMPARE(form->PageControl1->tabText(0), QStringLiteral("批量汉字拼音查询"));
        QCOMPARE(form->PageControl1->tabText(1), QStringLiteral("汉字拼音库"));
        QVERIFY(form->CheckBoxpykg->isChecked());
        QVERIFY(!form->CheckBoxallph->isChecked());
        QCOMPARE(form->ListBoxdic->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(!form->ListBoxdic->isSortingEnabled());
        for (QPlainTextEdit* memo : {form->MemoHanzi, form->MemoPinyin}) {
            QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
            QVERIFY(memo->tabChangesFocus());
            QVERIFY(!memo->isReadOnly());
        }
    }

    void tabGoesThroughTheControlsInOrder() {
        const QList<QWidget*> order = {form->MemoHanzi,     form->MemoPinyin,  form->Buttonhtop,
                                       form->Edithz,        form->Editpy,      form->CheckBoxpykg,
                                       form->CheckBoxallph, form->Buttonclose, form->Buttonabout,
                                       form->PageControl1,  form->MemoHanzi};
        form->MemoHanzi->setFocus();
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(order[i]->hasFocus(), // the tab control takes it through its tab bar
                     qPrintable(order[i]->objectName() + u' ' + QApplication::focusWidget()->objectName()));
        }
    }

    void textsShowRealChineseGlyphs() {
        for (QWidget* widget :
             {static_cast<QWidget*>(form->Label3), static_cast<QWidget*>(form->MemoPinyin)}) {
            const QFontInfo info(widget->font());
            QVERIFY2(info.family() != QStringLiteral("宋体"), qPrintable(info.family()));
            const QFontMetrics metrics(widget->font());
            for (const QChar c : QStringLiteral("汉字拼音库转换退出关于ǎ"))
                QVERIFY2(metrics.inFont(c), qPrintable(info.family() + u' ' + c));
        }
        QCOMPARE(form->Label3->font().pixelSize(), 12);
        QCOMPARE(form->MemoPinyin->font().pixelSize(), 14);
    }

    void optionsAreCoupled() {
        form->CheckBoxpykg->setChecked(false);
        QTest::mouseClick(form->CheckBoxallph, Qt::LeftButton);
        QVERIFY(form->CheckBoxallph->isChecked() && form->CheckBoxpykg->isChecked());
        QTest::mouseClick(form->CheckBoxpykg, Qt::LeftButton);
        QVERIFY(form->CheckBoxallph->isChecked() && !form->CheckBoxpykg->isChecked());
        QTest::mouseClick(form->CheckBoxallph, Qt::LeftButton);
        QVERIFY(!form->CheckBoxallph->isChecked() && !form->CheckBoxpykg->isChecked());
        form->CheckBoxpykg->setChecked(true);
        form->CheckBoxallph->setChecked(true);
        form->CheckBoxallph->setChecked(false);
        QVERIFY(form->CheckBoxpykg->isChecked());
    }

    void convertInEachStyle_data() {
        QTest::addColumn<bool>("spaced");
        QTest::addColumn<bool>("annotated");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::newRow("spaced") << true << false << "青石书院"
                                << " qīng  shí  shū  yuàn ";
        QTest::newRow("annotated") << true << true << "青石书院"
                                   << " 青(qīng)  石(shí)  书(shū)  院(yuàn) ";
        QTest::newRow("plain") << false << false << "青石书院"
                               << "qīngshíshūyuàn";
        QTest::newRow("annotated, spaced unticked afterwards") << false << true << "好"
                                                               << "hǎo";
        QTest::newRow("line breaks and other text") << true << false << "好\n1, 中😀한\n"
                                                    << " hǎo \n1,  zhōng 😀한\n";
        QTest::newRow("straddling tone byte") << true << false << "殡琻"
                                              << " bìn  jīn ";
        QTest::newRow("empty input") << true << false << ""
                                     << "";
    }
    void convertInEachStyle() {
        QFETCH(bool, spaced);
        QFETCH(bool, annotated);
        QFETCH(QString, input);
        QFETCH(QString, output);
        form->CheckBoxallph->setChecked(annotated);
        form->CheckBoxpykg->setChecked(spaced);
        Convert(input);
        QCOMPARE(form->MemoPinyin->toPlainText(), output);
        QVERIFY(form->Edithz->text().isEmpty() && form->Editpy->text().isEmpty());
        QVERIFY(fixture->boxes.empty());
        Convert(input);
        QCOMPARE(form->MemoPinyin->toPlainText(), output);
    }

    void largeTextGoesIntoTheOutputWhole() {
        // Long enough to be set in many pieces, with lines of every length around the cut.
        QString input, output;
        for (int i = 0; i < 30000; ++i) {
            const int n = i % 7;
            input += QString(n, u'好') + QStringLiteral("a青\n");
            output += QStringLiteral(" hǎo ").repeated(n) + QStringLiteral("a qīng \n");
        }
        input += QStringLiteral("中");
        output += QStringLiteral(" zhōng ");
        Convert(input);
        QCOMPARE(form->MemoPinyin->toPlainText(), output);
        QVERIFY(!form->MemoPinyin->isReadOnly());
        QVERIFY(!form->MemoPinyin->document()->isUndoAvailable()); // as after setPlainText
        Convert(input);
        QCOMPARE(form->MemoPinyin->toPlainText(), output);
    }

    void longLinesGoIntoTheOutputWhole_data() {
        // Lines too long to be cut at a line end: the pieces end on a character boundary instead, and
        // never between CR and LF. The text before the middle puts it across the end of the first piece.
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("middle");
        QTest::addColumn<QString>("middleOut");
        QTest::newRow("CR LF across the cut") << 65535 << QStringLiteral("\n") << QStringLiteral("\n");
        QTest::newRow("two-byte character across the cut")
            << 65535 << QStringLiteral("，") << QStringLiteral("，");
        QTest::newRow("four-byte character across the cut")
            << 65533 << QStringLiteral("a\U00020000") << QStringLiteral("a\U00020000");
        QTest::newRow("converted character across the cut")
            << 65535 << QStringLiteral("好") << QStringLiteral(" hǎo ");
    }
    void longLinesGoIntoTheOutputWhole() {
        QFETCH(int, before);
        QFETCH(QString, middle);
        QFETCH(QString, middleOut);
        const QString head(before, u'a');
        const QString tail = QString(70000, u'b') + QStringLiteral("\n青");
        Convert(head + middle + tail);
        QCOMPARE(form->MemoPinyin->toPlainText(),
                 head + middleOut + QString(70000, u'b') + QStringLiteral("\n qīng "));
    }

    void pasteGoesInAsQtPastesIt_data() {
        // A large text goes into a memo piece by piece: the result, the cursor and the undo step must be
        // those of Qt's own box. The text before the middle puts the middle across the end of a piece.
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selected"); // characters of the box's text selected before the paste
        const QString line = QStringLiteral("青石书院，好中的了吧。\n");
        const QString longLine(70000, u'b');
        const QString head = QString(65535, u'a');
        QTest::newRow("small") << QStringLiteral("好\r\n中") << 0;
        QTest::newRow("many lines") << line.repeated(20000) << 0;
        QTest::newRow("many lines over a selection") << line.repeated(20000) << 3;
        QTest::newRow("CR LF across a piece's end") << head + QStringLiteral("\r\n") + longLine << 0;
        QTest::newRow("lone CRs") << QStringLiteral("x\ry").repeated(40000) << 0;
        QTest::newRow("surrogate pair across a piece's end")
            << head + QStringLiteral("\U00020000") + longLine << 0;
    }
    void pasteGoesInAsQtPastesIt() {
        QFETCH(QString, text);
        QFETCH(int, selected);
        const QString before = QStringLiteral("石青\n书院");
        QPlainTextEdit qts;
        for (QPlainTextEdit* box : {static_cast<QPlainTextEdit*>(form->MemoHanzi), &qts}) {
            box->setPlainText(before);
            QTextCursor cursor = box->textCursor();
            cursor.setPosition(1);
            cursor.setPosition(1 + selected, QTextCursor::KeepAnchor);
            box->setTextCursor(cursor);
            QApplication::clipboard()->setText(text);
            box->paste();
        }
        QCOMPARE(form->MemoHanzi->toPlainText(), qts.toPlainText());
        QCOMPARE(form->MemoHanzi->textCursor().position(), qts.textCursor().position());
        QCOMPARE(form->MemoHanzi->document()->blockCount(), qts.document()->blockCount());
        form->MemoHanzi->undo();
        QCOMPARE(form->MemoHanzi->toPlainText(), before);
    }

    void textsTooLargeForTheMemoryLeftAreRefused() {
        QFile policy(QStringLiteral("/proc/sys/vm/overcommit_memory"));
        if (policy.open(QIODevice::ReadOnly) && policy.readAll().trimmed() == "1")
            QSKIP("the system grants any amount of memory");
        TMemo::EnsureRoomFor(1 << 20, 1 << 15);
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, TMemo::EnsureRoomFor(qsizetype(1) << 42, 1 << 15));
    }

    void errorInTheWalkShowsTheFixedMessage() {
        // The list empties while the walk hands events over: reading the next item fails.
        QTimer::singleShot(0, form.get(), [this] { form->ListBoxdic->clear(); });
        form->MemoPinyin->setPlainText(QStringLiteral("old"));
        Convert(QStringLiteral("青石书院"));
        QCOMPARE(fixture->boxes.size(), 1u);
        QCOMPARE(fixture->boxes[0].kind, Dialogs::TKind::MessageDialog);
        QCOMPARE(fixture->boxes[0].text, QStringLiteral("出现未知错误，请重新运行程序"));
        QCOMPARE(form->MemoPinyin->toPlainText(), QStringLiteral("青石书院"));
        QVERIFY(form->Edithz->text().isEmpty() && form->Editpy->text().isEmpty());
    }

    void secondConvertDuringTheWalkRunsNested() {
        QTimer::singleShot(0, form.get(), [this] { Convert(QStringLiteral("好")); });
        Convert(QStringLiteral("青石书院"));
        // The nested walk rewrote the output from the new input; the first then found nothing to do.
        QCOMPARE(form->MemoPinyin->toPlainText(), QStringLiteral(" hǎo "));
        QVERIFY(fixture->boxes.empty());
    }

    void closeDuringTheWalkWaitsForIt() {
        bool stillOpenInside = false;
        QTimer::singleShot(0, form.get(), [this, &stillOpenInside] {
            QTest::mouseClick(form->Buttonclose, Qt::LeftButton);
            stillOpenInside = form->isVisible();
        });
        Convert(QStringLiteral("青石书院"));
        QVERIFY(stillOpenInside);
        QCOMPARE(form->MemoPinyin->toPlainText(), QStringLiteral(" qīng  shí  shū  yuàn "));
        QVERIFY(!form->isVisible());
    }

    void aboutOpensTheHomePage() {
        TUrlRecorder browser;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
        QTest::mouseClick(form->Buttonabout, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(browser.opened,
                 QList<QUrl>{QUrl(QStringLiteral("https://morvane.example.org/?Morvane=Morvane"))});
        QVERIFY(fixture->boxes.empty());
    }

    void exitClosesTheWindow() {
        QTest::mouseClick(form->Buttonclose, Qt::LeftButton);
        QVERIFY(!form->isVisible());
    }
};

class TestStandardReport : public QObject {
    Q_OBJECT

private slots:
    void fullStopRule_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Stream write error"
                                << "Stream write error.";
        QTest::newRow("full stop already") << "Cannot open file \"a\". Is a directory."
                                           << "Cannot open file \"a\". Is a directory.";
        QTest::newRow("sorts before the full stop") << "done (x)"
                                                    << "done (x)";
        QTest::newRow("Chinese") << "出错"
                                 << "出错.";
        QTest::newRow("empty") << ""
                               << "";
    }
    void fullStopRule() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(Dialogs::ReportText(message), shown);
    }

    void escapingErrorsAreShownAndAbortIsSilent() {
        TFormFixture fixture;
        Events::Guarded([] { throw EAbort(); })();
        QVERIFY(fixture.boxes.empty());
        Events::Guarded([] { throw EWriteError(); })();
        Events::Guarded([] { throw std::bad_alloc(); })();
        QCOMPARE(fixture.boxes.size(), 2u);
        QCOMPARE(fixture.boxes[0].kind, Dialogs::TKind::ErrorBox);
        QCOMPARE(fixture.boxes[0].text, QStringLiteral("Stream write error."));
        QCOMPARE(fixture.boxes[1].text, QStringLiteral("Out of memory."));
    }
};

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    TestForm1 form;
    TestStandardReport report;
    return QTest::qExec(&form, argc, argv) | QTest::qExec(&report, argc, argv);
}

#include "tst_form1.moc"
