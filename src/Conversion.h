// The Convert walk, written against the few operations it needs of the main window, so that it runs
// the same on TForm1 and on the fake window of the tests.
//
// Texts are code page 936 byte strings (AnsiText.h); messages are UTF-8.
#pragma once

#include "platform/AnsiText.h"

#include <string_view>

/// What the walk needs of its window.
///
/// Between two calls of ProcessMessages nothing but the walk touches the window, so reading a box gives
/// back the text the walk last set in it, and the other texts and options stay as they are.
class IConvertForm {
public:
    virtual ~IConvertForm() = default;

    /// The input box MemoHanzi.
    virtual AnsiString HanziText() = 0;
    /// The output box MemoPinyin.
    virtual AnsiString PinyinText() = 0;
    /// Takes the text by value: the walk hands over an output that it reads again before it goes on.
    virtual void SetPinyinText(AnsiString text) = 0;
    /// The entry boxes: Edithz shows the current entry's character, Editpy its reading.
    virtual AnsiString EdithzText() = 0;
    virtual void SetEdithzText(const AnsiString& text) = 0;
    virtual AnsiString EditpyText() = 0;
    virtual void SetEditpyText(const AnsiString& text) = 0;

    /// The dictionary list ListBoxdic: its number of items, and item i (0-based), e.g. "好hǎo".
    virtual int DictionaryCount() = 0;
    virtual AnsiString DictionaryItem(int i) = 0;

    /// The spaced option CheckBoxpykg and the annotated option CheckBoxallph.
    virtual bool SpacedOption() = 0;
    virtual bool AnnotatedOption() = 0;

    /// Whether ProcessMessages would handle events now. A window that paces its events answers false
    /// between its rounds; the walk then lets the next entries run without a round in between.
    virtual bool MessagesDue() = 0;
    /// Handles every window event that is waiting (repaints, keys, clicks, a nested Convert).
    virtual void ProcessMessages() = 0;

    /// Shows a modal message dialog: the application title as caption, no icon, one OK button.
    virtual void ShowMessageDialog(std::string_view utf8Message) = 0;
};

/// The message of an error inside the walk.
inline constexpr std::string_view kConvertErrorMessage = "出现未知错误，请重新运行程序";

/// The reading of entry `key` + `reading` in the style the two options select:
/// plain "hǎo", spaced " hǎo ", annotated " 好(hǎo) " (annotated only while spaced is on too).
AnsiString StyledReading(std::string_view key, std::string_view reading, bool spaced, bool annotated);

/// Convert: copies the input box into the output box, then walks every entry of the dictionary list and
/// replaces each character of the input that has an entry by its styled reading, handling the window's
/// events once per entry. An error inside the walk stops it and shows kConvertErrorMessage; the entry
/// boxes are cleared in every case.
void ConvertWalk(IConvertForm& form);
