#include "storage/PosixIo.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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

bool writeClosed(const QString& path, QByteArrayView bytes, int flags)
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | flags, 0644);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes.data(), bytes.size());
    return ::close(fd) == 0 && written;
}

int createExclusive(const QString& path, unsigned mode)
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 && ::fchmod(fd, mode_t(mode)) != 0) {
        // Kept at 0600: readable by its owner, which is what matters here.
    }
    return fd;
}

bool syncFolder(const QString& folder)
{
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

QString uniqueSuffix()
{
    return QStringLiteral("%1").arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}

std::optional<qint64> modifiedNs(const QString& path)
{
    struct stat info { };
    if (::stat(native(path).constData(), &info) != 0)
        return std::nullopt;
    return qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

} // namespace PosixIo
