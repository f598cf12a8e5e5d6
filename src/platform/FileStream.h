// Files opened the way the program needs them, closed when the stream goes out of scope.
#pragma once

#include "AnsiText.h"

#include <QString>

#include <cstddef>

class TFileStream {
public:
    enum TMode {
        /// Creates the file or truncates it, held exclusively while open (other lockers are kept out).
        Create,
        /// Opens the file for reading while other writers that lock it are kept out.
        OpenReadDenyWrite,
    };

    /// Throws EFCreateError or EFOpenError with the path and the system's text for the error.
    TFileStream(const QString& path, TMode mode);
    ~TFileStream();
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    /// Writes all of count bytes; throws EWriteError when the write falls short (a full disk).
    void WriteBuffer(const char* data, std::size_t count);
    /// Reads the whole file; throws EOutOfMemory when memory runs out, EReadError on a read error.
    AnsiString ReadAll();
    /// Closes the file, reporting a failed close of a written file as EWriteError.
    void Close();

private:
    int fd = -1;
    bool written = false;
};
