#pragma once

#include "worklog/WorkLogFormat.h"

#include <QFile>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class GridModel;

// A log whose program is gone (its lock is free), held locked and read,
// so that no other start offers the same work while it is offered here.
class OrphanedWorkLog {
public:
    // Every such log in folder, oldest first.
    static std::vector<OrphanedWorkLog> findIn(const QString& folder);

    OrphanedWorkLog(OrphanedWorkLog&& other) noexcept;
    OrphanedWorkLog& operator=(OrphanedWorkLog&&) = delete;
    ~OrphanedWorkLog();

    QString path() const { return path_; }
    // nullopt when it holds no log that can be read.
    const std::optional<WorkLogFormat::Contents>& contents() const { return contents_; }
    // It holds nothing of the work: cut off while its start was written.
    bool cutWhileBeginning() const { return cutWhileBeginning_; }
    // Rebuilds the work into grid from the file; false when even its start
    // cannot be. Batches that do not replay are left out, and counted.
    bool rebuild(GridModel& grid);
    // After rebuild: how many batches of changes were left out, and how much
    // of the file holds what was rebuilt (the rest is cut off when the
    // log is carried on).
    size_t batchesLeftOut() const { return leftOut_; }
    qint64 rebuiltLength() const;

    // Renamed so that it is never offered again, and never deleted: answers
    // where it is now (its own path still, when it could not be renamed).
    QString moveAside();
    void remove();
    // Hands the locked descriptor on (for WorkLog::adopt).
    int release();

private:
    OrphanedWorkLog(QString path, int fd);

    QString path_;
    int fd_ = -1;
    std::unique_ptr<QFile> file_; // read through fd_, never holding it whole
    std::optional<WorkLogFormat::Contents> contents_;
    size_t leftOut_ = 0;
    bool cutWhileBeginning_ = false;
};
