// Reading files that users name: regular files only, never more than they hold.
#pragma once

#include <QByteArray>
#include <QString>

class QFile;

namespace fileaccess {

// Opens path for reading when it names a regular file (or a link to one). A folder, a device, a pipe
// or a file that cannot be opened throws FileError("Cannot open file %1"); a pipe never blocks.
void openRegularFile(QFile &file, const QString &path);

// The whole of a regular file, read through openRegularFile: at most the size it had when opened,
// so a file that grows meanwhile cannot make the read run on. A file too large for memory throws
// FileError("Cannot open file %1: the file is too large to load"), never an abort.
QByteArray readRegularFile(const QString &path);

// A buffer of size bytes, or FileError(the too-large message above) when memory cannot hold it.
QByteArray allocateFor(const QString &path, qint64 size);

} // namespace fileaccess
