// A window for the Convert walk without a display: the boxes are byte strings, the dictionary list a
// vector of lines. It can hand events over before every entry or never, and run a hook at a given entry
// (tick an option, press Convert again, throw) so that the live behaviour of the walk can be tested
// without timing.
#pragma once

#include "Conversion.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class TFakeForm1 : public IConvertForm {
public:
    TFakeForm1() = default;
    /// A window with this list, this input and these options, handing events over as pumpEvery says.
    TFakeForm1(std::vector<AnsiString> dictionary, AnsiString hanzi, bool spaced, bool annotated,
               int pumpEvery)
        : hanzi(std::move(hanzi)), dictionary(std::move(dictionary)), spaced(spaced), annotated(annotated),
          pumpEvery(pumpEvery) {}

    AnsiString hanzi;
    AnsiString pinyin;
    AnsiString edithz;
    AnsiString editpy;
    std::vector<AnsiString> dictionary;
    bool spaced = true;
    bool annotated = false;

    /// Events are handed over before every entry when 1, before every n-th when n, never when 0.
    int pumpEvery = 1;
    /// Run inside ProcessMessages, with the index of the entry that comes next.
    std::function<void(TFakeForm1&, int entry)> onEvents;
    /// Run when the walk reads item i, before it gets it (may throw).
    std::function<void(int item)> onItem;
    /// Run after a text is set in Edithz, as if the user typed there at once.
    std::function<void(AnsiString& edithz)> onEdithzSet;

    int pumps = 0;
    int itemsRead = 0;
    std::vector<std::string> messages;
    /// The entry boxes as each round of events saw them.
    std::vector<std::pair<AnsiString, AnsiString>> boxesAtEvents;

    AnsiString HanziText() override { return hanzi; }
    AnsiString PinyinText() override { return pinyin; }
    void SetPinyinText(AnsiString text) override { pinyin = std::move(text); }
    AnsiString EdithzText() override { return edithz; }
    void SetEdithzText(const AnsiString& text) override {
        edithz = text;
        if (onEdithzSet && !text.empty())
            onEdithzSet(edithz);
    }
    AnsiString EditpyText() override { return editpy; }
    void SetEditpyText(const AnsiString& text) override { editpy = text; }
    int DictionaryCount() override { return int(dictionary.size()); }
    AnsiString DictionaryItem(int i) override {
        if (onItem)
            onItem(i);
        ++itemsRead;
        return dictionary.at(std::size_t(i));
    }
    bool SpacedOption() override { return spaced; }
    bool AnnotatedOption() override { return annotated; }
    bool MessagesDue() override { return pumpEvery > 0 && itemsRead % pumpEvery == 0; }
    void ProcessMessages() override {
        ++pumps;
        boxesAtEvents.emplace_back(edithz, editpy);
        if (onEvents)
            onEvents(*this, itemsRead);
    }
    void ShowMessageDialog(std::string_view utf8Message) override { messages.emplace_back(utf8Message); }
};
