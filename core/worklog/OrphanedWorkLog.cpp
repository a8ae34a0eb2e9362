#include "worklog/OrphanedWorkLog.h"

#include "worklog/WorkLog.h"
#include "worklog/WorkLogFile.h"

#include <QDateTime>
#include <QFile>
#include <unistd.h>

std::vector<OrphanedWorkLog> OrphanedWorkLog::findIn(const QString& folder)
{
    std::vector<OrphanedWorkLog> found;
    // The names begin with the time the log began.
    for (const QString& path : WorkLog::logsIn(folder)) {
        const int fd = WorkLogFile::lockIfOrphaned(path);
        if (fd >= 0)
            found.push_back(OrphanedWorkLog(path, fd));
    }
    return found;
}

OrphanedWorkLog::OrphanedWorkLog(QString path, int fd)
    : path_(std::move(path))
    , fd_(fd)
    , file_(std::make_unique<QFile>())
{
    if (file_->open(fd_, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        contents_ = WorkLogFormat::read(*file_);
        cutWhileBeginning_ = !contents_ && WorkLogFormat::cutWhileBeginning(*file_);
    }
}

OrphanedWorkLog::OrphanedWorkLog(OrphanedWorkLog&& other) noexcept
    : path_(std::move(other.path_))
    , fd_(std::exchange(other.fd_, -1))
    , file_(std::move(other.file_))
    , contents_(std::move(other.contents_))
    , leftOut_(other.leftOut_)
    , cutWhileBeginning_(other.cutWhileBeginning_)
{
}

bool OrphanedWorkLog::rebuild(GridModel& grid)
{
    if (!contents_)
        return false;
    const std::optional<size_t> applied = WorkLogFormat::rebuild(*contents_, *file_, grid);
    leftOut_ = applied ? contents_->batches.size() - *applied : 0;
    return applied.has_value();
}

qint64 OrphanedWorkLog::rebuiltLength() const
{
    if (!contents_)
        return 0;
    if (leftOut_ == 0)
        return contents_->wholeLength;
    return contents_->batches[contents_->batches.size() - leftOut_].start;
}

OrphanedWorkLog::~OrphanedWorkLog()
{
    if (fd_ >= 0)
        ::close(fd_);
}

QString OrphanedWorkLog::moveAside()
{
    const QString aside = path_ + QStringLiteral(".unreadable-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return QFile::rename(path_, aside) ? aside : path_;
}

void OrphanedWorkLog::remove()
{
    QFile::remove(path_);
}

int OrphanedWorkLog::release()
{
    file_.reset();
    return std::exchange(fd_, -1);
}
