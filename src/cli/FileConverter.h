// The conversion of one input file, in blocks, so that memory stays bounded whatever the file's size.
//
// Each input is read twice: first to check that all of it is valid text, so that nothing of a file that
// is not gets written, then to convert it. The conversion is the one pass of Converter.h when the
// dictionary lets one pass stand for the walk; otherwise the walk of Conversion.h itself converts each
// block, on a small window that makes its presence tests those of the whole file.
#pragma once

#include "Converter.h"
#include "Files.h"

#include <memory>
#include <string>
#include <vector>

enum class TEncoding { Utf8, Gb18030 };

class TFileConverter {
public:
    /// dictionaryText: the text of a dictionary file, which the window splits into its list (it must
    /// stay while the converter does); block: the bytes read at a time.
    TFileConverter(std::string_view dictionaryText, TStyle style, TEncoding encoding, std::size_t block);
    ~TFileConverter();
    TFileConverter(const TFileConverter&) = delete;
    TFileConverter& operator=(const TFileConverter&) = delete;

    /// True when the one pass converts, false when the walk does; WhyWalk tells why.
    bool OnePass() const { return prepared->Qualifies(); }
    const std::string& WhyWalk() const { return prepared->WhyNot(); }

    /// Converts one input and writes the result. Throws TCliError (status 1) when the input cannot be
    /// read or is not valid text, having written nothing of it, and when the output cannot be written.
    void Convert(TInput& in, TOutput& out);

private:
    class TPresence;

    void Check(TInput& in, TPresence* presence) const;
    void ConvertInOnePass(TInput& in, TOutput& out) const;
    void ConvertByWalk(TInput& in, TOutput* out, const AnsiString& present) const;
    AnsiString Walk(const TInput& in, const AnsiString& text, const AnsiString& present) const;
    std::size_t LastCut(std::string_view text) const;

    std::vector<AnsiString> dictionary; // the list, made only for the walk
    TStyle style;
    TEncoding encoding;
    std::size_t block;
    std::unique_ptr<TPreparedDictionary> prepared;
    // For the walk: the one-byte characters after which a text can be cut without changing what the
    // walk makes of it, and whether its result may hold bytes that UTF-8 cannot carry.
    bool cutAfter[128] = {};
    bool mayLeaveGb18030 = false;
};
