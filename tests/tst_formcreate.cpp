#include "FormFixture.h"
#include "Gbk.h"
#include "TestFiles.h"
#include "platform/Errors.h"
#include "platform/FileStream.h"
#include "platform/Memo.h"
#include "platform/ModuleResource.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QTest>

#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <unistd.h>

namespace {

QByteArray BuiltInDictionary() {
    const TResourceStream resource(QStringLiteral("diclist"), QStringLiteral("txt"));
    return QByteArray(resource.Data(), qsizetype(resource.Size()));
}

/// Holds an exclusive lock on a file, as another program writing it would.
class TLockHolder {
public:
    explicit TLockHolder(const QString& path)
        : fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT, 0644)) {
        locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    }
    ~TLockHolder() {
        if (fd >= 0)
            ::close(fd);
    }
    bool locked = false;

private:
    int fd;
};

} // namespace

class TestFormCreate : public QObject {
    Q_OBJECT

    std::unique_ptr<TFormFixture> fixture;

private slots:
    void init() { fixture = std::make_unique<TFormFixture>(); }
    void cleanup() { fixture.reset(); }

    void startWritesTheDictionaryAndListsEveryLine() {
        // Lines of the shipped file, counted from its own bytes: CR LF between lines, none after the last.
        QFile shipped(QStringLiteral(MORVANE_DICLIST));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        const QByteArray bytes = shipped.readAll();
        QCOMPARE(BuiltInDictionary(), bytes);
        const int lines = int(bytes.count("\r\n")) + 1;

        auto form = fixture->Start();
        QVERIFY(fixture->boxes.empty());
        QCOMPARE(ReadFile(fixture->DictionaryPath()), bytes);
        QCOMPARE(QFile::permissions(QFileInfo(fixture->DictionaryPath()).path()),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser |
                     QFile::ExeUser);
        QCOMPARE(form->ListBoxdic->count(), lines);
        QCOMPARE(form->GroupBox1->title(), QStringLiteral("汉字拼音库：共%1条").arg(lines));
        QCOMPARE(form->ListBoxdic->item(0)->text(),
                 QString::fromUtf8(CodePage::Widen(bytes.left(bytes.indexOf('\r')).toStdString()).toUtf8()));
        QCOMPARE(Hex(form->DictionaryItem(lines - 1)),
                 Hex(bytes.mid(bytes.lastIndexOf('\n') + 1).toStdString()));

        form->MemoHanzi->setPlainText(QStringLiteral("中的了吧"));
        form->ButtonhtopClick();
        QCOMPARE(form->MemoPinyin->toPlainText(), QStringLiteral(" zhōng  de  le  ba "));
    }

    void editedFileIsReplacedAtTheNextStart() {
        fixture->Start();
        WriteFile(fixture->DictionaryPath(), Gbk("好hào\r\n").c_str());
        auto form = fixture->Start();
        QCOMPARE(ReadFile(fixture->DictionaryPath()), BuiltInDictionary());
        QVERIFY(form->ListBoxdic->count() > 20000);
    }

    void lineEnds_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("items");
        const QStringList two = {QStringLiteral("好hǎo"), QStringLiteral("青qīng")};
        const QByteArray hao = Gbk("好hǎo").c_str(), qing = Gbk("青qīng").c_str();
        QTest::newRow("CR LF between lines") << hao + "\r\n" + qing << two;
        QTest::newRow("lone LF") << hao + "\n" + qing + "\n" << two;
        QTest::newRow("CR LF after the last line") << hao + "\r\n" + qing + "\r\n" << two;
        QTest::newRow("lone CR") << hao + "\r" + qing << two;
        QTest::newRow("empty line is an empty item")
            << hao + "\r\n\r\n" + qing << QStringList{two[0], QString(), two[1]};
        QTest::newRow("zero byte ends the text") << hao + "\r\n" + qing + QByteArray("\0\r\nx", 4) << two;
        QTest::newRow("empty file") << QByteArray() << QStringList();
    }
    void lineEnds() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, items);
        TForm1 form;
        const QString path = fixture->stateHome.filePath(QStringLiteral("variant.txt"));
        WriteFile(path, file);
        form.LoadDictionary(path);
        QStringList shown;
        for (int i = 0; i < form.ListBoxdic->count(); ++i) {
            shown << form.ListBoxdic->item(i)->text();
            QCOMPARE(CodePage::Widen(form.DictionaryItem(i)), shown.back());
        }
        QCOMPARE(shown, items);
    }

    void failures_data() {
        // Each way to break the start, and the message it must show. $S is the state folder.
        QTest::addColumn<std::function<void(const QString&)>>("breakIt");
        QTest::addColumn<QString>("message");
        using Setup = std::function<void(const QString&)>;
        QTest::newRow("state folder is a regular file") << Setup([](const QString& state) {
            WriteFile(state + "/file", "x");
            qputenv("XDG_STATE_HOME", QFile::encodeName(state + "/file"));
        }) << "Cannot create folder \"$S/file/morvane\". Not a directory.";
        QTest::newRow("home folder is a regular file") << Setup([](const QString& state) {
            WriteFile(state + "/home", "x");
            qunsetenv("XDG_STATE_HOME");
            qputenv("HOME", QFile::encodeName(state + "/home"));
        }) << "Cannot create folder \"$S/home/.local/state/morvane\". Not a directory.";
        QTest::newRow("home folder missing") << Setup([](const QString& state) {
            qunsetenv("XDG_STATE_HOME");
            qputenv("HOME", QFile::encodeName(state + "/gone"));
        }) << "Cannot find the home folder \"$S/gone\". No such file or directory.";
        // File modes do not stop root, but a file system that takes no new folder does.
        if (::geteuid() == 0)
            QTest::newRow("home folder unwritable") << Setup([](const QString&) {
                qunsetenv("XDG_STATE_HOME");
                qputenv("HOME", "/sys");
            }) << "Cannot create folder \"/sys/.local/state/morvane\". Operation not permitted.";
        else
            QTest::newRow("home folder unwritable") << Setup([](const QString& state) {
                QVERIFY(QDir().mkpath(state + "/locked"));
                QVERIFY(QFile::setPermissions(state + "/locked", QFile::ReadOwner | QFile::ExeOwner));
                qunsetenv("XDG_STATE_HOME");
                qputenv("HOME", QFile::encodeName(state + "/locked"));
            }) << "Cannot create folder \"$S/locked/.local/state/morvane\". Permission denied.";
        QTest::newRow("dictionary file cannot be created")
            << Setup([](const QString& state) { QVERIFY(QDir().mkpath(state + "/morvane/diclist.txt")); })
            << "Cannot create file \"$S/morvane/diclist.txt\". Is a directory.";
        QTest::newRow("disk full") << Setup([](const QString& state) {
            QVERIFY(QDir().mkpath(state + "/morvane"));
            QVERIFY(QFile::link(QStringLiteral("/dev/full"), state + "/morvane/diclist.txt"));
        }) << "Stream write error.";
    }
    void failures() {
        QFETCH(std::function<void(const QString&)>, breakIt);
        QFETCH(QString, message);
        const QString state = fixture->stateHome.path();
        const QByteArray home = qgetenv("HOME");
        breakIt(state);
        auto form = fixture->Start();
        qputenv("HOME", home);
        QCOMPARE(fixture->boxes.size(), 1u);
        QCOMPARE(fixture->boxes[0].kind, Dialogs::TKind::ErrorBox);
        QCOMPARE(fixture->boxes[0].text, QString(message).replace(QStringLiteral("$S"), state));
        // The window still works, with an empty list.
        QCOMPARE(form->GroupBox1->title(), QStringLiteral("汉字拼音库："));
        QCOMPARE(form->ListBoxdic->count(), 0);
        form->ButtonhtopClick();
        QCOMPARE(form->MemoPinyin->toPlainText(), QStringLiteral("青石书院"));
    }

    void fileLockedByAnotherWriter() {
        QVERIFY(QDir().mkpath(fixture->stateHome.path() + "/morvane"));
        const QString path = fixture->DictionaryPath();
        WriteFile(path, "kept");
        {
            const TLockHolder other(path);
            QVERIFY(other.locked);
            auto form = fixture->Start();
            QCOMPARE(fixture->boxes.size(), 1u);
            QCOMPARE(fixture->boxes[0].text,
                     "Cannot create file \"" + path + "\". Resource temporarily unavailable.");
            QCOMPARE(ReadFile(path), QByteArray("kept")); // not truncated under the other writer
            QVERIFY_THROWS_EXCEPTION(EFOpenError, TFileStream(path, TFileStream::OpenReadDenyWrite));
        }
        try {
            TFileStream missing(path + ".gone", TFileStream::OpenReadDenyWrite);
            QFAIL("a missing file opened");
        } catch (const EFOpenError& e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     "Cannot open file \"" + path + ".gone\". No such file or directory");
        }
    }

    void resourcesAreFoundWithoutRegardToCase() {
        const TResourceStream upper(QStringLiteral("DICLIST"), QStringLiteral("TXT"));
        const TResourceStream mixed(QStringLiteral("DicList"), QStringLiteral("tXt"));
        QCOMPARE(upper.Size(), mixed.Size());
        QVERIFY(upper.Size() > 100000);
        QVERIFY_THROWS_EXCEPTION(EResNotFound,
                                 TResourceStream(QStringLiteral("diclist"), QStringLiteral("bin")));
    }
};

QTEST_MAIN(TestFormCreate)
#include "tst_formcreate.moc"
