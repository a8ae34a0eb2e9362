#include "journal/OrphanedJournal.h"

#include "journal/JournalFile.h"
#include "journal/WorkJournal.h"

#include <QDateTime>
#include <QFile>
#include <unistd.h>

std::vector<OrphanedJournal> OrphanedJournal::findIn(const QString& folder)
{
    std::vector<OrphanedJournal> found;
    // The names begin with the time the journal began.
    for (const QString& path : WorkJournal::journalsIn(folder)) {
        const int fd = JournalFile::lockIfOrphaned(path);
        if (fd >= 0)
            found.push_back(OrphanedJournal(path, fd));
    }
    return found;
}

OrphanedJournal::OrphanedJournal(QString path, int fd)
    : path_(std::move(path))
    , fd_(fd)
    , file_(std::make_unique<QFile>())
{
    if (file_->open(fd_, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        contents_ = JournalFormat::read(*file_);
        cutWhileBeginning_ = !contents_ && JournalFormat::cutWhileBeginning(*file_);
    }
}

OrphanedJournal::OrphanedJournal(OrphanedJournal&& other) noexcept
    : path_(std::move(other.path_))
    , fd_(std::exchange(other.fd_, -1))
    , file_(std::move(other.file_))
    , contents_(std::move(other.contents_))
    , leftOut_(other.leftOut_)
    , cutWhileBeginning_(other.cutWhileBeginning_)
{
}

bool OrphanedJournal::rebuild(FlexGrid& grid)
{
    if (!contents_)
        return false;
    const std::optional<size_t> applied = JournalFormat::rebuild(*contents_, *file_, grid);
    leftOut_ = applied ? contents_->batches.size() - *applied : 0;
    return applied.has_value();
}

qint64 OrphanedJournal::rebuiltLength() const
{
    if (!contents_)
        return 0;
    if (leftOut_ == 0)
        return contents_->wholeLength;
    return contents_->batches[contents_->batches.size() - leftOut_].start;
}

OrphanedJournal::~OrphanedJournal()
{
    if (fd_ >= 0)
        ::close(fd_);
}

QString OrphanedJournal::moveAside()
{
    const QString aside = path_ + QStringLiteral(".unreadable-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return QFile::rename(path_, aside) ? aside : path_;
}

void OrphanedJournal::remove()
{
    QFile::remove(path_);
}

int OrphanedJournal::release()
{
    file_.reset();
    return std::exchange(fd_, -1);
}
