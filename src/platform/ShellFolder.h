// The desktop's per-user folders and its handler for web addresses.
#pragma once

#include <QString>
#include <QUrl>

namespace ShellFolder {

/// The program's own per-user state folder, made (mode 0700, parents as needed) if it is missing:
/// $XDG_STATE_HOME/morvane, where an unset or relative XDG_STATE_HOME means ~/.local/state.
/// Throws EFolderError when there is no home folder or the folder cannot be made.
QString StateFolder();

/// Asks the desktop to open a web address in the user's browser; the result is not reported.
void OpenWebAddress(const QUrl& address);

} // namespace ShellFolder
