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

// Opens path for writing with flags (O_CREAT, O_EXCL, O_TRUNC ...), writes
// bytes and closes it at once: a file server will neither remove nor rename
// a file held open. False on any failure, errno telling why.
bool writeClosed(const QString& path, QByteArrayView bytes, int flags);

// The file's modification time in nanoseconds, as its file system keeps it.
std::optional<qint64> modifiedNs(const QString& path);

} // namespace PosixIo
