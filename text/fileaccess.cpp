// Reading files that users name: regular files only, never more than they hold.
#include "text/fileaccess.h"

#include "text/errors.h"

#include <QFile>
#include <QIODevice>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

namespace fileaccess {

namespace {

[[noreturn]] void cannotOpen(const QString &path)
{
    throw FileError(QStringLiteral("Cannot open file %1").arg(path));
}

// Whether the user may write the file. Root passes every access() check whatever the mode, so for root a
// file without any write permission is refused as it would be for everyone else.
bool mayWrite(const QByteArray &native, const struct stat &status)
{
    if (::faccessat(AT_FDCWD, native.constData(), W_OK, AT_EACCESS) != 0) {
        return false;
    }
    return ::geteuid() != 0 || (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// The new file takes the old one's owner and group where the process may set them (only root gives a file
// away; a user may set a group it belongs to), then the old mode, which a change of owner may have cut.
// What the process may not set (EPERM) stays as the process made it.
void keepModeAndOwner(QFileDevice &file, const struct stat &old, const QString &path)
{
    const int fd = file.handle();
    const uid_t owner = ::geteuid() == 0 ? old.st_uid : uid_t(-1);
    if ((::fchown(fd, owner, old.st_gid) != 0 && errno != EPERM) ||
        (::fchmod(fd, old.st_mode & 07777) != 0 && errno != EPERM)) {
        throw FileError(
            QStringLiteral("Cannot write file %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
}

} // namespace

void openRegularFile(QFile &file, const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty()) {
        cannotOpen(path);
    }
    // Non-blocking, so opening a pipe returns at once instead of waiting for a writer; the type is then
    // checked on what was opened, not on a name that could change in between.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        cannotOpen(path);
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        cannotOpen(path);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        cannotOpen(path);
    }
}

QByteArray allocateFor(const QString &path, qint64 size)
{
    try {
        if (size < 0 || size > std::numeric_limits<qsizetype>::max() / 2) {
            throw std::bad_alloc();
        }
        return QByteArray(size, Qt::Uninitialized);
    } catch (const std::bad_alloc &) {
        throw FileError(QStringLiteral("Cannot open file %1: the file is too large to load").arg(path));
    }
}

QByteArray readRegularFile(const QString &path)
{
    QFile file;
    openRegularFile(file, path);
    const qint64 size = file.size();
    QByteArray bytes = allocateFor(path, size);
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(bytes.data() + done, size - done);
        if (got < 0) {
            cannotOpen(path);
        }
        if (got == 0) {
            break;  // the file shrank since it was opened
        }
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

void writeAll(QIODevice &out, const char *data, qint64 size, const QString &name)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 n = out.write(data + done, size - done);
        if (n <= 0) {
            QString reason = out.errorString();
            if (reason.isEmpty() || reason == QLatin1String("Unknown error")) {
                reason = QStringLiteral("the device accepted no more bytes");
            }
            throw FileError(QStringLiteral("Cannot write file %1: %2").arg(name, reason));
        }
        done += n;
    }
}

void saveAtomically(const QString &path, const std::function<void(QIODevice &)> &write)
{
    // The new file is put in place of the old one: the old one's mode and owner are carried over, and a
    // file the user may not write is not replaced at all. stat() follows a link, as the save does.
    const QByteArray native = QFile::encodeName(path);
    struct stat old {};
    const bool exists = !native.isEmpty() && ::stat(native.constData(), &old) == 0;
    if (exists && (S_ISDIR(old.st_mode) || !mayWrite(native, old))) {
        throw FileError(QStringLiteral("Cannot create file %1").arg(path));
    }
    // Unbuffered, so that a full disk shows at write() and not as an empty committed file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw FileError(QStringLiteral("Cannot create file %1").arg(path));
    }
    try {
        write(file);
        if (exists) {
            keepModeAndOwner(file, old, path);
        }
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    // The reason must be read before commit(), which resets it.
    QString reason = file.errorString();
    if (!file.commit()) {
        if (reason.isEmpty() || reason == QLatin1String("Unknown error")) {
            reason = QStringLiteral("the finished file could not be put in place of the old one");
        }
        throw FileError(QStringLiteral("Cannot write file %1: %2").arg(path, reason));
    }
}

void saveAtomically(const QString &path, const QByteArray &bytes)
{
    saveAtomically(path, [&](QIODevice &out) { writeAll(out, bytes.constData(), bytes.size(), path); });
}

} // namespace fileaccess
