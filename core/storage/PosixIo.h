#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

// The few system calls the storage makes itself, where Qt's classes cannot
// say or do enough (locks, links, syncing, writing in place).
namespace PosixIo {

// A path as the system takes it.
QByteArray native(const QString& path);

// Writes all of it, again after an interrupted or partial write; false on
// any failure, errno telling why.
bool writeAll(int fd, const char* data, qint64 size);

// Opens path for writing with flags (O_CREAT, O_EXCL, O_TRUNC ...), never
// through a symbolic link, writes bytes and closes it at once: a file server
// will neither remove nor rename a file held open. False on any failure,
// errno telling why.
bool writeClosed(const QString& path, QByteArrayView bytes, int flags);

// Creates a file that must not exist yet, not even as a link, open for
// writing with mode's permission bits whatever the umask: in a folder others
// can write, nothing they planted there receives what is written. The
// descriptor, or -1 with errno.
int createExclusive(const QString& path, unsigned mode);

// Syncs a folder's entries (a rename or a new name in it) to disk; false
// where the file system refuses, which some file servers do.
bool syncFolder(const QString& folder);

// Sixteen hex digits no other process picks: the part of a temporary name
// that keeps two desks on one share apart.
QString uniqueSuffix();

// The file's modification time in nanoseconds, as its file system keeps it.
std::optional<qint64> modifiedNs(const QString& path);

} // namespace PosixIo
