// The files of the batch converter: inputs that can be read more than once (a stream is kept aside on
// its first reading), and the output, either standard output or a temporary file beside the output file
// that takes its place only when everything succeeded.
#pragma once

#include "Pages.h"

#include <sys/types.h>
#include <time.h>

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

/// An error that the program reports on standard error; status 1 for a file that cannot be read,
/// converted or written, 2 for a wrong command line.
class TCliError : public std::runtime_error {
public:
    TCliError(int status, const std::string& message) : std::runtime_error(message), status(status) {}
    int status;
};

/// A failed write: the program stops at once.
class TWriteError : public TCliError {
public:
    using TCliError::TCliError;
};

/// The reader of standard output went away (EPIPE): the program ends quietly.
class TBrokenPipe {};

/// The system's text for an errno value.
std::string SystemReason(int error);

/// An input file, or standard input for "-".
class TInput {
public:
    explicit TInput(const std::string& name);
    ~TInput();
    TInput(const TInput&) = delete;
    TInput& operator=(const TInput&) = delete;

    /// The name in messages: the file name, or "standard input".
    const std::string& Name() const { return shownName; }

    /// Appends up to count bytes of the current reading to buffer; fewer only at the end.
    std::size_t Read(TByteBuffer& buffer, std::size_t count);

    /// Starts another reading from the beginning: a regular file is read again (only as far as the first
    /// reading went), anything else gives back what its first reading kept aside. Throws TCliError when
    /// a regular file was written, truncated or otherwise changed since it was opened.
    void Rewind();

private:
    /// What tells that a regular file was written: its size and the time of its last write. (Not the
    /// time of the inode's last change, which also moves when the file is only removed from its folder.)
    struct TStamp {
        off_t size = 0;
        timespec modified{};
        bool operator==(const TStamp& other) const;
    };
    TStamp Stamp() const;
    void CheckUnchanged(const char* consequence) const;
    std::size_t ReadSome(char* to, std::size_t count);
    void Keep(const char* data, std::size_t count);

    std::string shownName;
    int fd = -1;
    bool ownsFd = false;
    bool seekable = false;
    off_t start = 0;
    TStamp opened; // of a regular file
    bool firstReading = true;
    std::size_t size = 0;     // bytes of the first reading
    std::size_t position = 0; // of the current reading
    // A stream's first reading, kept in memory up to a limit and in an unnamed temporary file beyond it.
    std::vector<std::unique_ptr<TPages>> kept;
    int keptFd = -1;
};

/// Where the converted text goes.
class TOutput {
public:
    /// Standard output for an empty path; otherwise a new temporary file in path's folder, or, for a
    /// path that names no regular file but a device or a pipe, that itself.
    explicit TOutput(const std::string& path);
    ~TOutput();
    TOutput(const TOutput&) = delete;
    TOutput& operator=(const TOutput&) = delete;

    /// Writes all of count bytes; TBrokenPipe when standard output's reader has gone.
    void Write(const char* data, std::size_t count);
    /// Puts the output file in place (or does nothing for standard output).
    void Commit();
    /// Removes the temporary file.
    void Abandon() noexcept;
    /// Whether Commit would put a new file in place of the output file.
    bool ReplacesFile() const { return !path.empty(); }

private:
    std::string path; // of the temporary file
    std::string shownName;
    int fd = 1;
    bool direct = false; // a device or a pipe, written as it is
};

/// Identity of a file (device and inode), to tell whether two names are one file.
struct TFileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool known = false;
    bool regular = false;   ///< a regular file
    bool directory = false; ///< a folder
    bool operator==(const TFileId& other) const {
        return known && other.known && device == other.device && inode == other.inode;
    }
};
TFileId IdOfPath(const std::string& path);
TFileId IdOfDescriptor(int fd);

/// Removes the temporary output file when SIGINT, SIGTERM or SIGHUP ends the program, and turns
/// SIGPIPE into EPIPE from write.
void InstallSignalHandlers();

/// Ends the program the way a closed pipe ends it, with SIGPIPE.
[[noreturn]] void EndByBrokenPipe();
