#include "storage/PosixIo.h"

#include <QFile>
#include <cerrno>
#include <unistd.h>

namespace PosixIo {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

} // namespace PosixIo
