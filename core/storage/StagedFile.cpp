#include "storage/StagedFile.h"

#include "storage/PosixIo.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <unistd.h>

namespace {

using PosixIo::native;

const QString marker = QStringLiteral(".palomet-new-");

} // namespace

StagedFile::StagedFile(QString target)
    : target_(std::move(target))
{
}

StagedFile::~StagedFile()
{
    cancel();
}

bool StagedFile::open(unsigned mode)
{
    const QFileInfo info(target_);
    temporary_ = info.absolutePath() + QStringLiteral("/.") + info.fileName() + marker + PosixIo::uniqueSuffix();
    fd_ = PosixIo::createExclusive(temporary_, mode);
    if (fd_ < 0)
        temporary_.clear();
    return fd_ >= 0;
}

bool StagedFile::write(QByteArrayView bytes)
{
    return fd_ >= 0 && PosixIo::writeAll(fd_, bytes.data(), bytes.size());
}

bool StagedFile::commit()
{
    if (fd_ < 0)
        return false;
    const int fd = std::exchange(fd_, -1);
    int error = ::fdatasync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(native(temporary_).constData(), native(target_).constData()) != 0)
        error = errno;
    if (error != 0) {
        cancel();
        errno = error;
        return false;
    }
    temporary_.clear();
    PosixIo::syncFolder(QFileInfo(target_).absolutePath());
    return true;
}

void StagedFile::cancel()
{
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    if (!temporary_.isEmpty())
        ::unlink(native(std::exchange(temporary_, QString())).constData());
}

bool StagedFile::isLeftover(const QString& fileName, const QString& targetName)
{
    static const QString pattern = QStringLiteral("^\\.%1%2[0-9a-f]{16}$");
    return QRegularExpression(pattern.arg(QRegularExpression::escape(targetName), QRegularExpression::escape(marker)))
        .match(fileName)
        .hasMatch();
}
