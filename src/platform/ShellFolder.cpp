#include "ShellFolder.h"

#include "Errors.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ShellFolder {

namespace {

QString HomeFolder() {
    if (const QByteArray home = qgetenv("HOME"); !home.isEmpty() && home.startsWith('/'))
        return QString::fromLocal8Bit(home);
    if (const passwd* user = getpwuid(getuid()); user && user->pw_dir && user->pw_dir[0] == '/')
        return QString::fromLocal8Bit(user->pw_dir);
    return {};
}

/// Makes each missing folder of path, the last with mode 0700, like mkdir -p.
void MakeFolder(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    for (qsizetype slash = 1; slash <= bytes.size(); ++slash) {
        if (slash < bytes.size() && bytes[slash] != '/')
            continue;
        const QByteArray part = bytes.left(slash);
        if (::mkdir(part.constData(), slash == bytes.size() ? 0700 : 0755) == 0 || errno == EEXIST) {
            struct stat info {};
            if (::stat(part.constData(), &info) == 0 && S_ISDIR(info.st_mode))
                continue;
            errno = ENOTDIR;
        }
        throw EFolderError("Cannot create folder \"" + path.toStdString() + "\". " + std::strerror(errno));
    }
}

} // namespace

QString StateFolder() {
    QString base = QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME"));
    if (!base.startsWith(u'/')) {
        const QString home = HomeFolder();
        if (home.isEmpty())
            throw EFolderError("Cannot find the home folder: HOME is not set");
        // The folders below the home are made as needed, but never the home itself.
        if (struct stat info{}; ::stat(QFile::encodeName(home).constData(), &info) != 0)
            throw EFolderError("Cannot find the home folder \"" + home.toStdString() + "\". " +
                               std::strerror(errno));
        base = home + QStringLiteral("/.local/state");
    }
    const QString folder = QDir::cleanPath(base + QStringLiteral("/morvane"));
    MakeFolder(folder);
    return folder;
}

void OpenWebAddress(const QUrl& address) {
    QDesktopServices::openUrl(address);
}

} // namespace ShellFolder
