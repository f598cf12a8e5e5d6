// The data built into the program, found by name and type as resources of the program's module:
// the file resources/<name> is built in under ":/<TYPE>/<NAME>" (see src/CMakeLists.txt), and names
// and types compare without regard to case.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

/// A read-only stream over one resource's bytes, which stay in the program's image.
class TResourceStream {
public:
    /// Finds and loads the resource; throws EResNotFound(name) when there is none.
    TResourceStream(const QString& name, const QString& type);

    const char* Data() const { return data; }
    std::size_t Size() const { return size; }

    /// Copies up to count bytes from the current position; returns how many it copied.
    std::size_t Read(char* buffer, std::size_t count);

private:
    const char* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
};

namespace ModuleResource {

/// The resource path of name/type, or an empty string when the program has no such resource.
QString Find(const QString& name, const QString& type);

} // namespace ModuleResource
