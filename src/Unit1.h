// The main window, Form1 of class TForm1.
//
// The layout comes from resources/TForm1.ui: a banner (Image1), a tab control with the conversion page
// (TabSheet1: input box MemoHanzi, output box MemoPinyin, the entry boxes Edithz and Editpy, the
// options CheckBoxpykg and CheckBoxallph, the Convert button Buttonhtop) and the dictionary page
// (TabSheet2: the list ListBoxdic in GroupBox1), a footer line and the Exit and About buttons.
//
// FormCreate runs once after construction: it writes the built-in dictionary out to the per-user state
// folder and loads it back into ListBoxdic. Convert (ButtonhtopClick) runs the walk of Conversion.h on
// this window, which is its IConvertForm: the walk deals in code page 936 bytes, and only this class
// widens and narrows text for the widgets. Every handler is connected through Events::Guarded, so an
// error that escapes it goes to the standard report.
#pragma once

#include "Conversion.h"
#include "platform/Events.h"

#include <QWidget>

#include <memory>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class TImage;
class TMemo;

namespace Ui {
class TForm1;
}

class TForm1 : public QWidget, public IConvertForm {
    Q_OBJECT

public:
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QPushButton* Buttonclose;
    TMemo* MemoHanzi;
    TMemo* MemoPinyin;
    QLabel* Label3;
    QPushButton* Buttonhtop;
    QLineEdit* Edithz;
    QLineEdit* Editpy;
    QLabel* Label4;
    QLabel* Label5;
    QWidget* TabSheet2;
    QGroupBox* GroupBox1;
    QListWidget* ListBoxdic;
    QCheckBox* CheckBoxpykg;
    TImage* Image1;
    QPushButton* Buttonabout;
    QCheckBox* CheckBoxallph;

    void ButtoncloseClick();
    void FormCreate();
    void ButtonhtopClick();
    void ButtonaboutClick();
    void CheckBoxallphClick();

    /// The path of a per-user special folder; 34 is the folder that holds the dictionary file.
    QString SpecialFolderPath(int folder);

    /// Builds the window from its layout; the picture kinds must be registered before.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    /// The host of the home page that About opens (a reserved name until the project has a page).
    static constexpr const char* kHomePageHost = "morvane.example.org";
    /// The special folder of the dictionary file.
    static constexpr int kDictionaryFolder = 34;
    /// Texts longer than this many bytes go into the output box piece by piece.
    static constexpr qsizetype kFillPiece = 65536;

    // IConvertForm
    AnsiString HanziText() override;
    AnsiString PinyinText() override;
    void SetPinyinText(AnsiString text) override;
    AnsiString EdithzText() override;
    void SetEdithzText(const AnsiString& text) override;
    AnsiString EditpyText() override;
    void SetEditpyText(const AnsiString& text) override;
    int DictionaryCount() override;
    AnsiString DictionaryItem(int i) override;
    bool SpacedOption() override;
    bool AnnotatedOption() override;
    bool MessagesDue() override;
    void ProcessMessages() override;
    void ShowMessageDialog(std::string_view utf8Message) override;

    /// Loads the dictionary file at path into ListBoxdic, one item a line, and keeps a byte copy of the
    /// items beside it for the walk. The file is kept from other writers while it is read.
    void LoadDictionary(const QString& path);

private:
    void LoadDictionaryList(const AnsiString& text);
    /// A memo's text through its byte copy, narrowed again only when the box changed; the time it takes
    /// counts as a cost of the last round of events.
    AnsiString BoxText(const TMemo* box, AnsiString& bytes, bool& stale);
    /// Puts text into the output box, a large one piece by piece with the window repainting in between.
    void FillPinyinBox(AnsiString text);
    /// Fills the output box with the output that waited for the end of Convert.
    void CatchUpPinyinBox();

    std::unique_ptr<Ui::TForm1> ui;
    Events::TPacer pacer;

    // Byte copies of what the widgets hold, so that the walk does not narrow the same text again and
    // again; a user's edit marks a copy stale.
    std::vector<AnsiString> dictionaryLines;
    AnsiString hanziBytes;
    bool hanziStale = true;
    AnsiString pinyinBytes;
    bool pinyinStale = true;
    int settingPinyin = 0;          // SetPinyinText calls under way
    int pinyinGeneration = 0;       // counts the texts set, so that a fill sees when a later one took over
    bool pinyinBoxBehind = false;   // the box waits for the end of Convert to show pinyinBytes
    bool pinyinWasReadOnly = false; // the box's state before it waited

    int walks = 0;           // Convert walks running, nested ones included
    bool closeAsked = false; // a close that waits for the walk to finish
};
