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
{
    QFile file;
    if (file.open(fd_, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        bytes_ = file.readAll();
    contents_ = JournalFormat::read(bytes_);
}

OrphanedJournal::OrphanedJournal(OrphanedJournal&& other) noexcept
    : path_(std::move(other.path_))
    , fd_(std::exchange(other.fd_, -1))
    , bytes_(std::move(other.bytes_))
    , contents_(std::move(other.contents_))
{
    // The contents point into the bytes, which a move of a QByteArray keeps in place.
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
    return std::exchange(fd_, -1);
}
