#include "Files.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// A stream's first reading stays in memory up to this size, and goes to a temporary file beyond it.
constexpr std::size_t kKeepInMemory = std::size_t(16) << 20;
constexpr std::size_t kKeptBlock = std::size_t(2) << 20;

// The temporary output file, for the signal handler.
char temporaryPath[4096];
volatile std::sig_atomic_t haveTemporary = 0;

extern "C" void RemoveTemporaryAndEnd(int signal) {
    if (haveTemporary)
        ::unlink(temporaryPath);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void NoteTemporary(const std::string& path) {
    if (path.size() >= sizeof temporaryPath)
        return;
    std::memcpy(temporaryPath, path.c_str(), path.size() + 1);
    haveTemporary = 1;
}

void ForgetTemporary() {
    haveTemporary = 0;
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::string TemporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

} // namespace

std::string SystemReason(int error) {
    return std::strerror(error);
}

void InstallSignalHandlers() {
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void EndByBrokenPipe() {
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
    std::_Exit(128 + SIGPIPE);
}

TFileId IdOfPath(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return {};
    return {status.st_dev, status.st_ino, true, S_ISREG(status.st_mode), S_ISDIR(status.st_mode)};
}

TFileId IdOfDescriptor(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return {};
    return {status.st_dev, status.st_ino, true, S_ISREG(status.st_mode), S_ISDIR(status.st_mode)};
}

// ---- TInput

TInput::TInput(const std::string& name) {
    if (name == "-") {
        shownName = "standard input";
        fd = 0;
    } else {
        shownName = name;
        fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw TCliError(1, "cannot open " + name + ": " + SystemReason(errno));
        ownsFd = true;
    }
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        start = ::lseek(fd, 0, SEEK_CUR);
        seekable = start >= 0;
        if (!seekable)
            start = 0;
        opened = Stamp();
    }
}

bool TInput::TStamp::operator==(const TStamp& other) const {
    const auto same = [](const timespec& a, const timespec& b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    };
    return size == other.size && same(modified, other.modified);
}

TInput::TStamp TInput::Stamp() const {
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        throw TCliError(1, "cannot read " + shownName + ": " + SystemReason(errno));
    return {status.st_size, status.st_mtim};
}

// The file is read more than once and must be the same each time: a writer in between would make the
// check of its text and its conversion see different bytes. A file removed from its folder keeps its
// bytes and reads the same.
void TInput::CheckUnchanged(const char* consequence) const {
    if (seekable && !(Stamp() == opened))
        throw TCliError(1, shownName + " changed while it was read" + consequence);
}

TInput::~TInput() {
    if (ownsFd)
        ::close(fd);
    if (keptFd >= 0)
        ::close(keptFd);
}

std::size_t TInput::Read(TByteBuffer& buffer, std::size_t count) {
    const std::size_t used = buffer.Size();
    buffer.Reserve(used + count);
    std::size_t got = 0;
    while (got < count) {
        const std::size_t n = ReadSome(buffer.Data() + used + got, count - got);
        if (n == 0)
            break;
        got += n;
    }
    buffer.Resize(used + got);
    return got;
}

std::size_t TInput::ReadSome(char* to, std::size_t count) {
    if (firstReading) {
        ssize_t n;
        do
            n = ::read(fd, to, count);
        while (n < 0 && errno == EINTR);
        if (n < 0)
            throw TCliError(1, "cannot read " + shownName + ": " + SystemReason(errno));
        if (!seekable)
            Keep(to, std::size_t(n));
        size += std::size_t(n);
        return std::size_t(n);
    }
    const std::size_t n = std::min(count, size - position);
    if (n == 0) {
        CheckUnchanged("");
        return 0;
    }
    if (seekable || keptFd >= 0) {
        const int from = seekable ? fd : keptFd;
        const off_t at = (seekable ? start : 0) + off_t(position);
        ssize_t got;
        do
            got = ::pread(from, to, n, at);
        while (got < 0 && errno == EINTR);
        if (got < 0)
            throw TCliError(1, "cannot read " + shownName + ": " + SystemReason(errno));
        if (got == 0)
            throw TCliError(1, shownName + " changed while it was read");
        position += std::size_t(got);
        return std::size_t(got);
    }
    // From the kept blocks, as far as the block of the position goes.
    const std::size_t blockSize = kept.front()->Size();
    const std::size_t inBlock = std::min(n, blockSize - position % blockSize);
    std::memcpy(to, kept[position / blockSize]->Data() + position % blockSize, inBlock);
    position += inBlock;
    return inBlock;
}

void TInput::Keep(const char* data, std::size_t count) {
    if (keptFd < 0 && size + count <= kKeepInMemory) {
        // size counts the bytes kept before these
        for (std::size_t done = 0; done < count;) {
            const std::size_t at = size + done;
            if (kept.empty() || at == kept.size() * kept.front()->Size())
                kept.push_back(std::make_unique<TPages>(kKeptBlock));
            const std::size_t blockSize = kept.front()->Size();
            const std::size_t n = std::min(count - done, blockSize - at % blockSize);
            std::memcpy(kept[at / blockSize]->Data() + at % blockSize, data + done, n);
            done += n;
        }
        return;
    }
    const auto fail = [&](int error) {
        return TCliError(1,
                         "cannot keep " + shownName + " aside in a temporary file: " + SystemReason(error));
    };
    const auto writeAll = [&](const char* from, std::size_t n) {
        while (n > 0) {
            const ssize_t done = ::write(keptFd, from, n);
            if (done < 0 && errno == EINTR)
                continue;
            if (done < 0)
                throw fail(errno);
            from += done;
            n -= std::size_t(done);
        }
    };
    if (keptFd < 0) {
        std::string name = TemporaryFolder() + "/morvane-convert-XXXXXX";
        keptFd = ::mkstemp(name.data());
        if (keptFd < 0)
            throw fail(errno);
        ::unlink(name.c_str());
        for (std::size_t done = 0; done < size;) {
            const std::size_t blockSize = kept.front()->Size();
            const std::size_t n = std::min(size - done, blockSize);
            writeAll(kept[done / blockSize]->Data(), n);
            done += n;
        }
        kept.clear();
    }
    writeAll(data, count);
}

void TInput::Rewind() {
    CheckUnchanged("; nothing written for this file");
    firstReading = false;
    position = 0;
}

// ---- TOutput

TOutput::TOutput(const std::string& target) {
    if (target.empty()) {
        shownName = "standard output";
        return;
    }
    shownName = target;
    if (const TFileId id = IdOfPath(target); id.known && !id.regular) {
        // A device or a pipe is written as it is: there is no file to put in its place.
        fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            throw TCliError(1, "cannot open " + target + ": " + SystemReason(errno));
        direct = true;
        return;
    }
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    path = folder + "/." + base + ".XXXXXX";
    fd = ::mkstemp(path.data());
    if (fd < 0) {
        const int error = errno;
        path.clear();
        throw TCliError(1, "cannot create a temporary file beside " + target + ": " + SystemReason(error));
    }
    NoteTemporary(path);
}

TOutput::~TOutput() {
    Abandon();
    if (direct)
        ::close(fd);
}

void TOutput::Write(const char* data, std::size_t count) {
    while (count > 0) {
        const ssize_t done = ::write(fd, data, count);
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0) {
            if (errno == EPIPE)
                throw TBrokenPipe();
            throw TWriteError(1, "cannot write " + shownName + ": " + SystemReason(errno));
        }
        data += done;
        count -= std::size_t(done);
    }
}

void TOutput::Commit() {
    if (direct) {
        direct = false;
        const int closing = ::close(fd);
        fd = -1;
        if (closing != 0)
            throw TWriteError(1, "cannot write " + shownName + ": " + SystemReason(errno));
        return;
    }
    if (path.empty())
        return;
    const auto fail = [&](const std::string& what, int error) {
        Abandon();
        return TWriteError(1, what + shownName + ": " + SystemReason(error));
    };
    // The new file gets the mode of the file it replaces, or that of a newly created file.
    struct stat status {};
    const mode_t mode =
        ::stat(shownName.c_str(), &status) == 0 ? status.st_mode & 07777 : 0666 & ~CurrentUmask();
    if (::fchmod(fd, mode) != 0)
        throw fail("cannot set the mode of ", errno);
    const int closing = ::close(fd);
    fd = -1;
    if (closing != 0)
        throw fail("cannot write ", errno);
    if (::rename(path.c_str(), shownName.c_str()) != 0)
        throw fail("cannot put the new file in place of ", errno);
    ForgetTemporary();
    path.clear();
}

void TOutput::Abandon() noexcept {
    if (path.empty())
        return;
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    ::unlink(path.c_str());
    ForgetTemporary();
    path.clear();
}
