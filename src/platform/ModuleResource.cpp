#include "ModuleResource.h"

#include "Errors.h"

#include <QDir>
#include <QResource>

#include <algorithm>
#include <cstring>

namespace ModuleResource {

namespace {

QString FindEntry(const QString& folder, const QString& name) {
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder + u'/' + entry;
    return {};
}

} // namespace

QString Find(const QString& name, const QString& type) {
    if (name.isEmpty() || type.isEmpty())
        return {};
    const QString folder = FindEntry(QStringLiteral(":"), type);
    return folder.isEmpty() ? QString() : FindEntry(folder, name);
}

} // namespace ModuleResource

TResourceStream::TResourceStream(const QString& name, const QString& type) {
    const QString path = ModuleResource::Find(name, type);
    const QResource resource(path);
    if (path.isEmpty() || !resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression)
        throw EResNotFound(name.toStdString());
    data = reinterpret_cast<const char*>(resource.data());
    size = std::size_t(resource.size());
}

std::size_t TResourceStream::Read(char* buffer, std::size_t count) {
    const std::size_t n = std::min(count, size - position);
    std::memcpy(buffer, data + position, n);
    position += n;
    return n;
}
