#include "Unit1.h"

#include "res.h"
#include "ui_TForm1.h"

#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/FileStream.h"
#include "platform/Memo.h"
#include "platform/ShellFolder.h"

#include <QElapsedTimer>
#include <QFont>
#include <QIcon>
#include <QTextCursor>
#include <QUrl>

#include <algorithm>

namespace {

/// The boxes keep lines as LF; the program's text has CR LF between lines. Line ends are single bytes
/// that no multi-byte code contains, so they are changed in the bytes, in one pass.
QString ToBoxText(std::string_view bytes) {
    AnsiString lf;
    lf.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n')
            lf.push_back(bytes[i]);
    return CodePage::Widen(lf);
}

AnsiString FromBoxText(const QString& text) {
    const AnsiString lf = CodePage::Narrow(text);
    AnsiString crlf;
    crlf.reserve(lf.size() + lf.size() / 16);
    for (const char c : lf) {
        if (c == '\n')
            crlf.push_back('\r');
        crlf.push_back(c);
    }
    return crlf;
}

/// The end of the piece of text that starts at from and goes into the box next: right after a line end
/// at most piece bytes on, or else on the last character boundary there. A piece never ends between CR
/// and LF, so each piece changes its line ends and widens as the whole text would.
std::size_t PieceEnd(std::string_view text, std::size_t from, std::size_t piece) {
    if (text.size() - from <= piece)
        return text.size();
    const std::size_t lineEnd = text.rfind('\n', from + piece - 1);
    if (lineEnd != std::string_view::npos && lineEnd >= from + piece / 4)
        return lineEnd + 1;
    std::size_t to = from;
    while (to < from + piece)
        to += AnsiText::FirstChar(text.substr(to, 4)).size();
    if (text[to - 1] == '\r' && to < text.size() && text[to] == '\n')
        ++to;
    return to;
}

/// "宋体" is the window's face; Linux has none of that name, so it stands for an installed Song
/// (Ming) face, with CJK faces behind it for what that one lacks.
QFont SongFont(int pixels) {
    static const bool substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("宋体"),
                                   {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
                                    QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"),
                                    QStringLiteral("WenQuanYi Zen Hei"),
                                    QStringLiteral("Droid Sans Fallback")});
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixels);
    return font;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TForm1>()) {
    ui->setupUi(this);
    PageControl1 = ui->PageControl1;
    TabSheet1 = ui->TabSheet1;
    Buttonclose = ui->Buttonclose;
    MemoHanzi = ui->MemoHanzi;
    MemoPinyin = ui->MemoPinyin;
    Label3 = ui->Label3;
    Buttonhtop = ui->Buttonhtop;
    Edithz = ui->Edithz;
    Editpy = ui->Editpy;
    Label4 = ui->Label4;
    Label5 = ui->Label5;
    TabSheet2 = ui->TabSheet2;
    GroupBox1 = ui->GroupBox1;
    ListBoxdic = ui->ListBoxdic;
    CheckBoxpykg = ui->CheckBoxpykg;
    Image1 = ui->Image1;
    Buttonabout = ui->Buttonabout;
    CheckBoxallph = ui->CheckBoxallph;

    // Fixed size, minimise and close but no maximise, at the designed place.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(553, 380);
    move(271, 134);
    setWindowIcon(QIcon(QStringLiteral(":/Morvane.png")));
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);
    // Designer layouts carry point sizes only; the window's fonts are set in pixels.
    setFont(SongFont(12));
    MemoPinyin->setFont(SongFont(14));

    connect(Buttonclose, &QPushButton::clicked, this, Events::Guarded([this] { ButtoncloseClick(); }));
    connect(Buttonhtop, &QPushButton::clicked, this, Events::Guarded([this] { ButtonhtopClick(); }));
    connect(Buttonabout, &QPushButton::clicked, this, Events::Guarded([this] { ButtonaboutClick(); }));
    connect(CheckBoxallph, &QCheckBox::toggled, this, Events::Guarded([this] { CheckBoxallphClick(); }));
    connect(MemoHanzi, &QPlainTextEdit::textChanged, this, [this] { hanziStale = true; });
    connect(MemoPinyin, &QPlainTextEdit::textChanged, this, [this] { pinyinStale = settingPinyin == 0; });
    // A close asked for during Convert waits until the walk has finished.
    Events::Intercept(this, QEvent::Close, [this](QEvent* event) {
        if (walks == 0)
            return false;
        closeAsked = true;
        event->ignore();
        return true;
    });

    MemoHanzi->setFocus();
}

TForm1::~TForm1() = default;

void TForm1::ButtoncloseClick() {
    close();
}

void TForm1::FormCreate() {
    const QString path = SpecialFolderPath(kDictionaryFolder) + QStringLiteral("/diclist.txt");
    ExtractResourceToFile(QStringLiteral("diclist"), QStringLiteral("txt"), path);
    LoadDictionary(path);
    GroupBox1->setTitle(QStringLiteral("汉字拼音库：共%1条").arg(ListBoxdic->count()));
}

void TForm1::LoadDictionary(const QString& path) {
    TFileStream file(path, TFileStream::OpenReadDenyWrite);
    LoadDictionaryList(file.ReadAll());
    file.Close();
}

void TForm1::LoadDictionaryList(const AnsiString& text) {
    const auto lines = AnsiText::SplitLines(text);
    // Widen the file once and split it the same way: line ends are single bytes that no multi-byte
    // code contains, so the two splits agree line for line.
    const QString wide = CodePage::Widen(text.substr(0, text.find('\0')));
    const auto wideLines = AnsiText::SplitLineViews(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.utf16()), std::size_t(wide.size())));
    QStringList items;
    items.reserve(qsizetype(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (wideLines.size() == lines.size())
            items.append(
                QString(reinterpret_cast<const QChar*>(wideLines[i].data()), qsizetype(wideLines[i].size())));
        else
            items.append(CodePage::Widen(lines[i]));
    }

    ListBoxdic->setUpdatesEnabled(false);
    ListBoxdic->clear();
    dictionaryLines.clear();
    try {
        ListBoxdic->addItems(items);
        dictionaryLines = lines;
    } catch (const std::bad_alloc&) {
        // The list keeps the items it took; the byte copy follows it.
        dictionaryLines.assign(
            lines.begin(),
            lines.begin() + std::min<std::ptrdiff_t>(ListBoxdic->count(), std::ptrdiff_t(lines.size())));
        ListBoxdic->setUpdatesEnabled(true);
        throw EStringListError();
    }
    ListBoxdic->setUpdatesEnabled(true);
}

void TForm1::ButtonhtopClick() {
    if (walks == 0)
        pacer.Begin();
    ++walks;
    try {
        ConvertWalk(*this);
    } catch (...) {
        if (--walks == 0)
            CatchUpPinyinBox();
        throw;
    }
    if (--walks > 0)
        return;
    CatchUpPinyinBox();
    if (closeAsked) {
        closeAsked = false;
        close();
    }
}

void TForm1::ButtonaboutClick() {
    QUrl address;
    address.setScheme(QStringLiteral("https"));
    address.setHost(QString::fromLatin1(kHomePageHost));
    address.setPath(QStringLiteral("/"));
    address.setQuery(QStringLiteral("Morvane=Morvane"));
    ShellFolder::OpenWebAddress(address);
}

void TForm1::CheckBoxallphClick() {
    if (CheckBoxallph->isChecked())
        CheckBoxpykg->setChecked(true);
}

QString TForm1::SpecialFolderPath(int folder) {
    if (folder != kDictionaryFolder)
        throw EFolderError("No per-user folder stands for special folder " + std::to_string(folder));
    return ShellFolder::StateFolder();
}

AnsiString TForm1::BoxText(const TMemo* box, AnsiString& bytes, bool& stale) {
    QElapsedTimer clock;
    clock.start();
    if (stale) {
        bytes = FromBoxText(box->toPlainText());
        stale = false;
    }
    AnsiString text = bytes;
    pacer.AddCost(clock.elapsed());
    return text;
}

AnsiString TForm1::HanziText() {
    return BoxText(MemoHanzi, hanziBytes, hanziStale);
}

AnsiString TForm1::PinyinText() {
    return BoxText(MemoPinyin, pinyinBytes, pinyinStale);
}

void TForm1::SetPinyinText(AnsiString text) {
    if (!pinyinStale && text == pinyinBytes)
        return;
    // During Convert a large output waits in its byte copy, and the box is filled once when the walk is
    // done; the box is read-only meanwhile, so what it shows is never edited.
    if (walks > 0 && (pinyinBoxBehind || text.size() > std::size_t(kFillPiece))) {
        if (!pinyinBoxBehind) {
            pinyinBoxBehind = true;
            pinyinWasReadOnly = MemoPinyin->isReadOnly();
            MemoPinyin->setReadOnly(true);
        }
        ++pinyinGeneration;
        pinyinBytes = std::move(text);
        pinyinStale = false;
        return;
    }
    FillPinyinBox(std::move(text));
}

void TForm1::CatchUpPinyinBox() {
    if (!pinyinBoxBehind)
        return;
    pinyinBoxBehind = false;
    MemoPinyin->setReadOnly(pinyinWasReadOnly);
    AnsiString text = std::move(pinyinBytes);
    pinyinStale = true;
    FillPinyinBox(std::move(text));
}

void TForm1::FillPinyinBox(AnsiString text) {
    const int generation = ++pinyinGeneration;
    ++settingPinyin;
    const bool wasReadOnly = MemoPinyin->isReadOnly();
    try {
        if (text.size() <= std::size_t(kFillPiece)) {
            MemoPinyin->setPlainText(ToBoxText(text));
        } else {
            // Setting a megabyte takes a tenth of a second, so a large text goes in piece by piece, each
            // piece widened on its own, cut at line ends, with the window repainting in between; input
            // waits until the box is full. Like setPlainText, the fill leaves nothing to undo.
            MemoPinyin->setReadOnly(true);
            MemoPinyin->setUndoRedoEnabled(false);
            MemoPinyin->clear();
            TMemo::EnsureRoomFor(qsizetype(text.size()), std::count(text.begin(), text.end(), '\n'));
            pacer.Begin();
            QTextCursor end(MemoPinyin->document());
            for (std::size_t from = 0; from < text.size();) {
                const std::size_t to = PieceEnd(text, from, std::size_t(kFillPiece));
                end.movePosition(QTextCursor::End);
                end.insertText(ToBoxText(std::string_view(text).substr(from, to - from)));
                from = to;
                if (from < text.size() && pacer.Due()) {
                    pacer.ProcessMessagesButInput();
                    if (generation != pinyinGeneration)
                        break; // a later text took the box over
                }
            }
            MemoPinyin->setUndoRedoEnabled(true);
            MemoPinyin->setReadOnly(wasReadOnly);
            MemoPinyin->moveCursor(QTextCursor::Start);
        }
    } catch (...) {
        MemoPinyin->setUndoRedoEnabled(true);
        MemoPinyin->setReadOnly(wasReadOnly);
        --settingPinyin;
        pinyinStale = true;
        throw;
    }
    --settingPinyin;
    if (generation == pinyinGeneration) {
        pinyinBytes = std::move(text);
        pinyinStale = false;
    }
}

AnsiString TForm1::EdithzText() {
    return CodePage::Narrow(Edithz->text());
}
void TForm1::SetEdithzText(const AnsiString& text) {
    Edithz->setText(CodePage::Widen(text));
}
AnsiString TForm1::EditpyText() {
    return CodePage::Narrow(Editpy->text());
}
void TForm1::SetEditpyText(const AnsiString& text) {
    Editpy->setText(CodePage::Widen(text));
}

int TForm1::DictionaryCount() {
    return ListBoxdic->count();
}

AnsiString TForm1::DictionaryItem(int i) {
    // The list and its byte copy are filled together and the user cannot change the list.
    if (i < 0 || i >= ListBoxdic->count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(i) + ")");
    return dictionaryLines.at(std::size_t(i));
}

bool TForm1::SpacedOption() {
    return CheckBoxpykg->isChecked();
}
bool TForm1::AnnotatedOption() {
    return CheckBoxallph->isChecked();
}
bool TForm1::MessagesDue() {
    return pacer.Due();
}
void TForm1::ProcessMessages() {
    pacer.ProcessMessages();
}

void TForm1::ShowMessageDialog(std::string_view utf8Message) {
    Dialogs::ShowMessageDialog(QString::fromUtf8(utf8Message.data(), qsizetype(utf8Message.size())));
}
