// morvane-convert: the window's Convert for files and pipes.
//
//   morvane-convert [--style plain|spaced|annotated] [--encoding utf-8|gb18030] [--dictionary FILE]
//                   [-o OUT] [FILE...]
//
// The dictionary list is the built-in dictionary, or a file of the same format, split into lines as the
// window loads it; each file is converted as the window converts the same text with the same options.

#include "Converter.h"
#include "FileConverter.h"
#include "Files.h"
#include "TextCodec.h"

#include "platform/AnsiText.h"
#include "platform/ModuleResource.h"

#include <QString>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#ifndef MORVANE_VERSION
#define MORVANE_VERSION "unknown"
#endif

namespace {

constexpr const char* kProgram = "morvane-convert";
constexpr std::size_t kBlock = std::size_t(1) << 20;

constexpr const char* kHelp = R"(Usage: morvane-convert [OPTION]... [FILE]...
Convert Chinese text to Hanyu Pinyin with tone marks, as the Morvane window's Convert does.

Reads each FILE in turn, or standard input when no FILE is given or for "-", and writes
the converted text to standard output. Every character of the dictionary is replaced by
its reading; everything else (Latin letters, digits, punctuation, line ends, characters
the dictionary lacks) passes through unchanged.

  --style STYLE         plain: hǎo   spaced: " hǎo " (the default)   annotated: " 好(hǎo) "
  --encoding ENCODING   utf-8 (the default) or gb18030, for input and output alike;
                        GBK text is GB18030 text
  --dictionary FILE     another dictionary in the built-in one's format: GBK text, one
                        character and its reading a line, such as "好hǎo"
  -o, --output OUT      write to OUT instead; OUT is replaced only when every input
                        converted, and is left as it was otherwise
  -h, --help            show this help and end
      --version         show the version and end

A file that is not valid text in its encoding is reported with the byte offset (from 0)
of the first bad byte, and nothing of it is written. A file is read twice, to check it and
then to convert it; one that is written to in between is reported and not converted.

Exit status: 0 when everything converted, 1 when a file could not be read, converted or
written, 2 for a wrong command line.
)";

struct TOptions {
    TStyle style = TStyle::Spaced;
    TEncoding encoding = TEncoding::Utf8;
    std::string dictionary;
    bool builtInDictionary = true;
    std::string output;      // the file that -o writes: the target of a symbolic link
    std::string shownOutput; // as the command line gives it
    std::vector<std::string> inputs;
    bool help = false;
    bool version = false;
};

TCliError Usage(const std::string& message) {
    return TCliError(2, message + "\nTry '" + kProgram + " --help' for more information.");
}

TStyle ParseStyle(std::string_view value) {
    if (value == "plain")
        return TStyle::Plain;
    if (value == "spaced")
        return TStyle::Spaced;
    if (value == "annotated")
        return TStyle::Annotated;
    throw Usage("unknown style '" + std::string(value) + "' (plain, spaced or annotated)");
}

TEncoding ParseEncoding(std::string_view value) {
    std::string lower(value);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    if (lower == "utf-8" || lower == "utf8")
        return TEncoding::Utf8;
    if (lower == "gb18030" || lower == "gbk")
        return TEncoding::Gb18030;
    throw Usage("unknown encoding '" + std::string(value) + "' (utf-8 or gb18030)");
}

TOptions ParseArguments(int argc, char** argv) {
    TOptions options;
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (onlyFiles || arg == "-" || arg.empty() || arg[0] != '-') {
            options.inputs.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            continue;
        }
        if (arg == "--version") {
            options.version = true;
            continue;
        }
        // Options with a value: "--name VALUE" or "--name=VALUE", and "-o OUT" or "-oOUT".
        std::string_view name = arg;
        std::string_view value;
        bool valueGiven = false;
        if (arg.size() > 2 && arg.substr(0, 2) == "-o") {
            name = "-o";
            value = arg.substr(2);
            valueGiven = true;
        } else if (const std::size_t equals = arg.find('='); arg.substr(0, 2) == "--" && equals != arg.npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            valueGiven = true;
        }
        if (name != "--style" && name != "--encoding" && name != "--dictionary" && name != "-o" &&
            name != "--output")
            throw Usage("unknown option '" + std::string(name) + "'");
        if (!valueGiven) {
            if (i + 1 == argc)
                throw Usage("option '" + std::string(name) + "' needs a value");
            value = argv[++i];
        }
        if (name == "--style") {
            options.style = ParseStyle(value);
        } else if (name == "--encoding") {
            options.encoding = ParseEncoding(value);
        } else if (name == "--dictionary") {
            if (value.empty())
                throw Usage("option '--dictionary' needs a file name");
            options.dictionary = value;
            options.builtInDictionary = false;
        } else {
            if (value.empty())
                throw Usage("option '-o' needs a file name");
            options.output = value == "-" ? std::string() : std::string(value);
            options.shownOutput = options.output;
        }
    }
    if (options.inputs.empty())
        options.inputs.emplace_back("-");
    // A symbolic link stays: the file it leads to is the one replaced.
    if (!options.output.empty())
        if (char* target = ::realpath(options.output.c_str(), nullptr)) {
            struct stat status {};
            if (::lstat(options.output.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
                options.output = target;
            std::free(target);
        }
    return options;
}

/// The text of the dictionary: the built-in one where it lies in the program, or a file's.
struct TDictionaryText {
    std::string_view text;
    std::string fileText;
};

void LoadDictionary(const TOptions& options, TDictionaryText& dictionary) {
    if (options.builtInDictionary) {
        const TResourceStream resource(QStringLiteral("diclist"), QStringLiteral("txt"));
        dictionary.text = std::string_view(resource.Data(), resource.Size());
        return;
    }
    TInput file(options.dictionary);
    TByteBuffer buffer;
    while (file.Read(buffer, kBlock) == kBlock) {
    }
    dictionary.fileText.assign(buffer.Data(), buffer.Size());
    dictionary.text = dictionary.fileText;
    // The dictionary's format is GBK; a UTF-8 file would be taken apart into wrong characters.
    bool multiByte = false;
    for (const char c : dictionary.text)
        multiByte = multiByte || static_cast<unsigned char>(c) >= 0x80;
    if (multiByte && TextCodec::CheckUtf8(dictionary.text).stop == TextCodec::TCheck::End)
        throw TCliError(1, options.dictionary +
                               ": the dictionary is UTF-8 text, but dictionaries are GBK text "
                               "(convert it with: iconv -f UTF-8 -t GB18030)");
    // Only the text before a zero byte is read as lines. Control bytes there, or no line that starts
    // with a double-byte character, mean that the file is no dictionary (binary data, an empty file):
    // converting with it would pass every character through unnoticed.
    const std::string_view text = dictionary.text.substr(0, dictionary.text.find('\0'));
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n')
            throw TCliError(1, options.dictionary + ": not a dictionary: control byte " + std::to_string(c) +
                                   " at byte offset " + std::to_string(i));
    }
    bool entries = false;
    for (const std::string& line : AnsiText::SplitLines(text))
        entries = entries || AnsiText::IsDoubleByteKey(AnsiText::FirstChar(line).substr(0, 2));
    if (!entries)
        throw TCliError(1,
                        options.dictionary + ": not a dictionary: no line starts with a Chinese character");
}

/// Refuses an output that is one of the inputs: it would be replaced by the conversion of itself.
void CheckOutput(const TOptions& options) {
    TFileId output;
    if (options.output.empty()) {
        output = IdOfDescriptor(1);
        if (!output.regular)
            return;
    } else {
        output = IdOfPath(options.output);
        if (!output.known)
            return;
        if (output.directory)
            throw Usage("the output " + options.shownOutput + " is a folder");
        if (!output.regular)
            return; // a device or a pipe, written as it is
    }
    for (const std::string& input : options.inputs) {
        const TFileId id = input == "-" ? IdOfDescriptor(0) : IdOfPath(input);
        if (id == output) {
            const std::string shown = input == "-" ? "standard input" : input;
            if (options.output.empty())
                throw Usage("standard output is the input file " + shown + "; write to another file");
            throw Usage("the output file " + options.shownOutput + " is also an input (" + shown +
                        "); write to another file");
        }
    }
}

std::size_t BlockSize() {
    // For tests: a small block puts block ends inside lines and characters.
    if (const char* value = std::getenv("MORVANE_CONVERT_BLOCK_SIZE")) {
        const long long size = std::atoll(value);
        if (size > 0 && size <= (1ll << 30))
            return std::size_t(size);
    }
    return kBlock;
}

void Report(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
}

int Run(int argc, char** argv) {
    const TOptions options = ParseArguments(argc, argv);
    if (options.help) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s (墨韵通 Morvane) %s\n", kProgram, MORVANE_VERSION);
        return 0;
    }
    CheckOutput(options);
    TDictionaryText dictionary;
    LoadDictionary(options, dictionary);
    TFileConverter converter(dictionary.text, options.style, options.encoding, BlockSize());
    if (std::getenv("MORVANE_CONVERT_TELL_PASS"))
        Report(converter.OnePass() ? "one pass" : "walk: " + converter.WhyWalk());

    TOutput out(options.output);
    int status = 0;
    for (const std::string& name : options.inputs) {
        try {
            TInput in(name);
            converter.Convert(in, out);
        } catch (const TWriteError&) {
            throw;
        } catch (const TCliError& error) {
            Report(error.what());
            status = 1;
        } catch (const std::bad_alloc&) {
            Report(name + ": out of memory");
            status = 1;
        }
    }
    if (status != 0) {
        const bool replacing = out.ReplacesFile();
        out.Abandon();
        if (replacing)
            Report(options.shownOutput + " left as it was");
        return status;
    }
    out.Commit();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    InstallSignalHandlers();
    try {
        return Run(argc, argv);
    } catch (const TBrokenPipe&) {
        EndByBrokenPipe();
    } catch (const TCliError& error) {
        Report(error.what());
        return error.status;
    } catch (const std::bad_alloc&) {
        Report("out of memory");
        return 1;
    } catch (const std::exception& error) {
        Report(error.what());
        return 1;
    }
}
