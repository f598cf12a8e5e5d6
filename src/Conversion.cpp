#include "Conversion.h"

#include <array>
#include <bitset>
#include <memory>
#include <vector>

using AnsiText::ByteFind;
using AnsiText::Delete;
using AnsiText::FirstChar;
using AnsiText::IsDoubleByteKey;
using AnsiText::IsLeadByte;
using AnsiText::KeepsBoundaries;

AnsiString StyledReading(std::string_view key, std::string_view reading, bool spaced, bool annotated) {
    AnsiString n;
    if (spaced && annotated) {
        n.reserve(key.size() + reading.size() + 4);
        n.append(" ").append(key).append("(").append(reading).append(") ");
    } else if (spaced) {
        n.reserve(reading.size() + 2);
        n.append(" ").append(reading).append(" ");
    } else {
        n.assign(reading);
    }
    return n;
}

namespace {

using TPairSet = std::bitset<65536>;

unsigned PairCode(unsigned char first, unsigned char second) {
    return unsigned(first) << 8 | second;
}

unsigned PairCode(std::string_view s, std::size_t i) {
    return PairCode(static_cast<unsigned char>(s[i]), static_cast<unsigned char>(s[i + 1]));
}

/// The walk of one Convert.
///
/// Each entry is done as if on its own, but nothing outside the walk can look at the window between two
/// rounds of event handling, so the entries in between are done together: the presence tests use an
/// index of the input's byte pairs, and the replacements of double-byte keys are collected in a group and
/// made in one left-to-right pass over the output. A group gives the same text as one replacement after
/// the other as long as no key of the group occurs on a character boundary inside a reading collected
/// before it and every reading keeps the boundaries of the text behind it. An entry that breaks either
/// rule (a one-byte key, a reading that holds a later key) ends the group and is replaced on its own.
class TWalk {
public:
    explicit TWalk(IConvertForm& form) : form(form) {}
    ~TWalk() {
        for (const unsigned code : groupKeys)
            groupReading[code] = 0;
    }
    TWalk(const TWalk&) = delete;
    TWalk& operator=(const TWalk&) = delete;

    void Run() {
        const int count = form.DictionaryCount();
        for (int i = 0; i < count; ++i) {
            const bool pumped = form.MessagesDue();
            if (pumped) {
                Publish(true);
                form.ProcessMessages();
                Forget();
            }
            const AnsiString line = form.DictionaryItem(i);
            AnsiString key = FirstChar(line);
            AnsiString reading = line;
            Delete(reading, ByteFind(key, reading), key.size());

            if (pumped) {
                // Right after a round of events, go through the boxes as a user would see them.
                form.SetEdithzText(key);
                form.SetEditpyText(reading);
                boxesShown = true;
                key = form.EdithzText();
                if (!InInput(key))
                    continue;
                reading = form.EditpyText();
            } else {
                boxesShown = false;
                if (!InInput(key)) {
                    shownKey = std::move(key);
                    shownReading = std::move(reading);
                    continue;
                }
            }
            if (!optionsKnown) {
                spaced = form.SpacedOption();
                annotated = spaced && form.AnnotatedOption();
                optionsKnown = true;
            }
            Replace(key, StyledReading(key, reading, spaced, annotated));
            if (!pumped) {
                shownKey = std::move(key);
                shownReading = std::move(reading);
            }
        }
        Publish(false);
    }

    /// Brings the window up to date after an error: the output as far as the walk got.
    void PublishAfterError() noexcept {
        try {
            Publish(false);
        } catch (...) {
            // The output keeps what it showed at the last round of events.
        }
    }

private:
    /// Forgets what was read from the window: events may have changed any of it.
    void Forget() {
        inputKnown = false;
        outputKnown = false;
        optionsKnown = false;
    }

    /// Byte-find of key in the input box, through the index of its bytes and byte pairs.
    bool InInput(std::string_view key) {
        if (key.size() != 1 && key.size() != 2)
            return ByteFind(key, Input()) != 0;
        Input();
        if (!indexBuilt)
            BuildIndex();
        if (key.size() == 1)
            return bytesOfInput.test(static_cast<unsigned char>(key[0]));
        return pairsOfInput.test(PairCode(key, 0));
    }

    /// The input box, read once after each round of events; the index stays while the text is the same.
    const AnsiString& Input() {
        if (!inputKnown) {
            AnsiString now = form.HanziText();
            inputKnown = true;
            if (!indexBuilt || now != input) {
                input = std::move(now);
                indexBuilt = false;
            }
        }
        return input;
    }

    void BuildIndex() {
        bytesOfInput.reset();
        pairsOfInput.reset();
        const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
        for (std::size_t i = 0; i < input.size(); ++i) {
            bytesOfInput.set(bytes[i]);
            if (i + 1 < input.size())
                pairsOfInput.set(PairCode(bytes[i], bytes[i + 1]));
        }
        indexBuilt = true;
    }

    AnsiString& Output() {
        if (!outputKnown) {
            output = form.PinyinText();
            outputKnown = true;
            outputChanged = false;
        }
        return output;
    }

    void Replace(const AnsiString& key, AnsiString n) {
        Output();
        if (!IsDoubleByteKey(key) || !KeepsBoundaries(n)) {
            ApplyGroup();
            output = AnsiText::ReplaceAll(output, key, n);
            outputChanged = true;
            return;
        }
        const unsigned code = PairCode(key, 0);
        if (inReadings.test(code))
            ApplyGroup();
        if (groupReading[code] == 0) {
            // A key already in the group has no occurrence left to replace.
            groupReadings.push_back(std::move(n));
            groupReading[code] = static_cast<std::uint32_t>(groupReadings.size());
            groupKeys.push_back(code);
            NoteBoundaryPairs(groupReadings.back());
        }
    }

    /// Marks the double-byte characters that start on a boundary inside reading n.
    void NoteBoundaryPairs(std::string_view n) {
        for (std::size_t i = 0; i < n.size();) {
            if (IsLeadByte(static_cast<unsigned char>(n[i])) && i + 1 < n.size()) {
                inReadings.set(PairCode(n, i));
                i += 2;
            } else {
                ++i;
            }
        }
    }

    /// Makes the group's replacements in one pass, walking the output character by character.
    void ApplyGroup() {
        if (groupKeys.empty())
            return;
        const std::string_view text = output;
        AnsiString result;
        result.reserve(text.size() + text.size() / 2 * 6);
        std::size_t copied = 0;
        for (std::size_t i = 0; i < text.size();) {
            if (!IsLeadByte(static_cast<unsigned char>(text[i])) || i + 1 == text.size()) {
                ++i;
                continue;
            }
            if (const std::uint32_t slot = groupReading[PairCode(text, i)]) {
                result.append(text, copied, i - copied);
                result.append(groupReadings[slot - 1]);
                copied = i + 2;
            }
            i += 2;
        }
        result.append(text, copied);
        output = std::move(result);
        outputChanged = true;
        for (const unsigned code : groupKeys)
            groupReading[code] = 0;
        groupKeys.clear();
        groupReadings.clear();
        inReadings.reset();
    }

    /// Shows the walk's state in the window: the output, and the entry boxes unless they already show
    /// the current entry.
    void Publish(bool boxes) {
        ApplyGroup();
        if (outputKnown && outputChanged) {
            // The output is read again after the round (or the walk is done): it can go over whole.
            outputKnown = false;
            outputChanged = false;
            form.SetPinyinText(std::move(output));
        }
        if (boxes && !boxesShown) {
            form.SetEdithzText(shownKey);
            form.SetEditpyText(shownReading);
            boxesShown = true;
        }
    }

    IConvertForm& form;

    AnsiString input;
    bool inputKnown = false;
    bool indexBuilt = false;
    std::bitset<256> bytesOfInput;
    TPairSet pairsOfInput;

    AnsiString output;
    bool outputKnown = false;
    bool outputChanged = false;

    bool spaced = false;
    bool annotated = false;
    bool optionsKnown = false;

    AnsiString shownKey;
    AnsiString shownReading;
    bool boxesShown = true;

    // The pending group: readings by key pair code (slot + 1, 0 for none), and the pairs that start on
    // a boundary inside its readings. The table is large and mostly empty, so it is made once per thread
    // and handed back clean; a nested walk finds it clean too, as the group is applied before events.
    using TSlotTable = std::array<std::uint32_t, 65536>;
    static TSlotTable& SlotTable() {
        thread_local const std::unique_ptr<TSlotTable> table = std::make_unique<TSlotTable>();
        return *table;
    }
    TSlotTable& groupReading = SlotTable();
    std::vector<unsigned> groupKeys;
    std::vector<AnsiString> groupReadings;
    TPairSet inReadings;
};

} // namespace

void ConvertWalk(IConvertForm& form) {
    form.SetPinyinText(form.HanziText());
    {
        std::unique_ptr<TWalk> walk;
        try {
            walk = std::make_unique<TWalk>(form);
            walk->Run();
        } catch (...) {
            if (walk)
                walk->PublishAfterError();
            form.ShowMessageDialog(kConvertErrorMessage);
        }
    }
    form.SetEdithzText({});
    form.SetEditpyText({});
}
