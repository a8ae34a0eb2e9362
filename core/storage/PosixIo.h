#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The few system calls the storage makes itself, where Qt's classes cannot
// say or do enough (locks, links, syncing, writing in place).
namespace PosixIo {

// A path as the system takes it.
QByteArray native(const QString& path);

// Writes all of it, again after an interrupted or partial write; false on
// any failure, errno telling why.
bool writeAll(int fd, const char* data, qint64 size);

} // namespace PosixIo
