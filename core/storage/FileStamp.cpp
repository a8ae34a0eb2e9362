#include "storage/FileStamp.h"

#include <QFile>
#include <sys/stat.h>

std::optional<FileStamp> FileStamp::of(const QString& path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    constexpr long long perSecond = 1'000'000'000;
    FileStamp stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = info.st_mtim.tv_sec * perSecond + info.st_mtim.tv_nsec;
    stamp.changedNs = info.st_ctim.tv_sec * perSecond + info.st_ctim.tv_nsec;
    return stamp;
}
