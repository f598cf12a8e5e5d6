// The program's errors. Each class builds its message the way the framework words it (English); the
// program's own messages are Chinese. Errors escaping a handler reach the standard report (Dialogs.h).
#pragma once

#include <stdexcept>
#include <string>

/// Base of every error the program raises itself; what() is the UTF-8 message shown to the user.
class EMorvaneError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The silent abort: the standard report drops it without a message.
class EAbort : public EMorvaneError {
public:
    EAbort() : EMorvaneError("Operation aborted") {}
};

/// A resource missing from the program.
class EResNotFound : public EMorvaneError {
public:
    explicit EResNotFound(const std::string& name) : EMorvaneError("Resource " + name + " not found") {}
};

/// A file that cannot be created or truncated for writing.
class EFCreateError : public EMorvaneError {
public:
    EFCreateError(const std::string& path, const std::string& reason)
        : EMorvaneError("Cannot create file \"" + path + "\". " + reason) {}
};

/// A file that cannot be opened for reading.
class EFOpenError : public EMorvaneError {
public:
    EFOpenError(const std::string& path, const std::string& reason)
        : EMorvaneError("Cannot open file \"" + path + "\". " + reason) {}
};

/// A write that fell short, as on a full disk.
class EWriteError : public EMorvaneError {
public:
    EWriteError() : EMorvaneError("Stream write error") {}
};

/// A read that fell short or failed after the file was opened.
class EReadError : public EMorvaneError {
public:
    EReadError() : EMorvaneError("Stream read error") {}
};

/// Memory ran out.
class EOutOfMemory : public EMorvaneError {
public:
    EOutOfMemory() : EMorvaneError("Out of memory") {}
};

/// A list control that refused an item.
class EStringListError : public EMorvaneError {
public:
    EStringListError() : EMorvaneError("Unable to insert a line") {}
};

/// A per-user folder that cannot be found or made.
class EFolderError : public EMorvaneError {
public:
    explicit EFolderError(const std::string& reason) : EMorvaneError(reason) {}
};

/// A picture of an unknown kind or with bad data.
class EInvalidGraphic : public EMorvaneError {
public:
    explicit EInvalidGraphic(const std::string& message) : EMorvaneError(message) {}
};
