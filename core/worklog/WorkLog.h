#pragma once

#include "grid/GridChange.h"
#include "worklog/WorkLogFile.h"
#include "worklog/WorkLogFormat.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class GridModel;

// The work done on a grid since its last load or save, kept on disk so that a
// crash, a kill, a power cut or a logout loses at most the last second.
//
// The log begins with the grid's first change: a snapshot of the grid as
// it was, with where it came from, then every change the grid reports. The
// changes are batched and handed to the file's own thread a fifth of a
// second after the first of them was made, each batch ending on a whole undo
// step and synced with one fdatasync, so that the disk has the rest of the
// second. A save, or dropping the work, ends the log
// and removes its file; the next change begins a new one.
class WorkLog : public QObject, public GridRecorder {
    Q_OBJECT
public:
    // folder is where logs live (created when needed); origin tells,
    // when a log begins, where the grid came from. Once the changes
    // after its start take more than restartAfter bytes, and more than twice
    // the grid's texts, the log begins again from the grid as it is.
    static constexpr qint64 restartAfterBytes = 32 * 1024 * 1024;
    WorkLog(GridModel& grid, QString folder, std::function<WorkLogFormat::Origin()> origin,
        qint64 restartAfter = restartAfterBytes);
    ~WorkLog() override;

    // Changes are recorded while on: never while a load fills the grid.
    void setRecording(bool on);
    // An undo step ended: what was recorded so far may be written.
    void stepEnded();
    // Writes all that is recorded and waits for the disk: the session or
    // the program ends.
    void flush();
    // The grid was saved or its work dropped: the log is removed.
    void end();
    // Carries on a log left by a program that is gone (fd as
    // WorkLogFile::lockIfOrphaned gave it), whose first length bytes hold
    // the work now in the grid: steps of it, begun on a grid from origin.
    bool adopt(int fd, const QString& path, qint64 length, const WorkLogFormat::Origin& origin, int steps);

    bool active() const { return file_.isOpen(); }
    QString path() const { return file_.path(); }

    void record(const GridChange& change) override;

    // The hash of the file at path as WorkLogFormat takes it; 0 when it
    // cannot be read.
    static quint64 fileHash(const QString& path);
    // The FileHash frame for a log begun on a grid from origin, or
    // nothing when the register is no longer as it was loaded or saved.
    static QByteArray fileHashFrame(const WorkLogFormat::Origin& origin);
    // Every log file in folder.
    static QStringList logsIn(const QString& folder);
    // $XDG_STATE_HOME/palomet, or ~/.local/state/palomet when that is unset
    // or relative.
    static QString defaultFolder();

signals:
    // The log cannot be begun or written (no room, no permission): the
    // work since the last save is not kept. Once until the log ends.
    void troubled();

private:
    void begin();
    void writeSteps(bool all);
    void restartIfLong();
    void tell();
    void appendFrame(WorkLogFormat::FrameKind kind, int steps, QByteArray payload);

    GridModel& grid_;
    const QString folder_;
    std::function<WorkLogFormat::Origin()> origin_;
    WorkLogFile file_;
    QTimer timer_;
    QByteArray pending_;
    qsizetype stepEnd_ = 0; // pending_ up to here ends on a whole step
    int pendingSteps_ = 0;
    WorkLogFormat::Origin startOrigin_;
    int steps_ = 0; // written since the log began
    qint64 sinceStart_ = 0; // bytes of changes after the start in the file
    const qint64 restartAfter_;
    bool recording_ = false;
    bool failed_ = false; // the log could not be created: not tried again until it ends
    bool told_ = false;
};
