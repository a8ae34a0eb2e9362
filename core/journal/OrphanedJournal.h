#pragma once

#include "journal/JournalFormat.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class FlexGrid;

// A journal whose program is gone (its lock is free), held locked and read,
// so that no other start offers the same work while it is offered here.
class OrphanedJournal
{
public:
    // Every such journal in folder, oldest first.
    static std::vector<OrphanedJournal> findIn(const QString& folder);

    OrphanedJournal(OrphanedJournal&& other) noexcept;
    OrphanedJournal& operator=(OrphanedJournal&&) = delete;
    ~OrphanedJournal();

    QString path() const { return path_; }
    // nullopt when it holds no journal that can be read.
    const std::optional<JournalFormat::Contents>& contents() const { return contents_; }
    bool rebuild(FlexGrid& grid) const { return contents_ && JournalFormat::rebuild(*contents_, grid); }

    // Renamed so that it is never offered again, and never deleted: answers
    // where it is now (its own path still, when it could not be renamed).
    QString moveAside();
    void remove();
    // Hands the locked descriptor on (for WorkJournal::adopt).
    int release();

private:
    OrphanedJournal(QString path, int fd);

    QString path_;
    int fd_ = -1;
    QByteArray bytes_;
    std::optional<JournalFormat::Contents> contents_;
};
