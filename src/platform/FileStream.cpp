#include "FileStream.h"

#include "Errors.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

TFileStream::TFileStream(const QString& path, TMode mode) {
    const QByteArray name = QFile::encodeName(path);
    const bool create = mode == Create;
    // The file is locked before it is truncated, so a file in use elsewhere is never cut short.
    fd = create ? ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644)
                : ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    int error = fd < 0 ? errno : 0;
    if (!error && ::flock(fd, (create ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0)
        error = errno;
    struct stat info {};
    if (!error && ::fstat(fd, &info) != 0)
        error = errno;
    if (!error && create && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0)
        error = errno;
    if (error) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        const std::string reason = std::strerror(error);
        if (create)
            throw EFCreateError(path.toStdString(), reason);
        throw EFOpenError(path.toStdString(), reason);
    }
}

TFileStream::~TFileStream() {
    if (fd >= 0)
        ::close(fd);
}

void TFileStream::WriteBuffer(const char* data, std::size_t count) {
    written = true;
    while (count > 0) {
        const ssize_t n = ::write(fd, data, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw EWriteError();
        data += n;
        count -= std::size_t(n);
    }
}

AnsiString TFileStream::ReadAll() {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw EReadError();
    AnsiString text;
    try {
        text.reserve(std::size_t(info.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw EReadError();
            if (n == 0)
                return text;
            text.append(buffer, std::size_t(n));
        }
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    } catch (const std::length_error&) {
        throw EOutOfMemory();
    }
}

void TFileStream::Close() {
    if (fd < 0)
        return;
    const int rc = ::close(fd);
    fd = -1;
    if (rc != 0 && written)
        throw EWriteError();
}
