// Copying a resource built into the program out to a file.
#pragma once

#include <QString>

/// Writes the bytes of the resource ResName of type ResType, unchanged, to FileName, creating the file
/// or truncating it, in one piece. Throws EResNotFound, EFCreateError or EWriteError; the resource
/// stream and the file are released in every case.
void ExtractResourceToFile(const QString& ResName, const QString& ResType, const QString& FileName);
