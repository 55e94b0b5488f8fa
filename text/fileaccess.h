// Reading files that users name: regular files only, never more than they hold.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

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

class QIODevice;

namespace fileaccess {

// Writes every byte to the device. Throws FileError("Cannot write file %1: %2") with name and the
// device's reason when it refuses a write.
void writeAll(QIODevice &out, const char *data, qint64 size, const QString &name);

// Saves a file through a temporary file beside it, put in place only when write has returned, so a
// failed save leaves the old file intact. write fills the device it is given and throws on failure.
// The new file keeps the old one's mode, and its owner and group where the process may set them.
// A folder or a file the user may not write (for root too: one without any write permission) throws
// FileError("Cannot create file %1"), as does a file that cannot be created; a failed write or a file
// that cannot be put in place throws FileError("Cannot write file %1: %2").
void saveAtomically(const QString &path, const std::function<void(QIODevice &)> &write);
// The same for bytes in memory.
void saveAtomically(const QString &path, const QByteArray &bytes);

} // namespace fileaccess
