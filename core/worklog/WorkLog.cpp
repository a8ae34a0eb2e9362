#include "worklog/WorkLog.h"

#include "grid/GridModel.h"
#include "grid/GridSnapshot.h"
#include "storage/ContentHash.h"
#include "storage/FileStamp.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <limits>
#include <memory>
#include <utility>

namespace {

constexpr int batchDelayMs = 200;
const QString suffix = QStringLiteral(".worklog");
// What earlier versions named their logs: still found and offered.
const QString oldSuffix = QStringLiteral(".journal");

} // namespace

WorkLog::WorkLog(GridModel& grid, QString folder, std::function<WorkLogFormat::Origin()> origin, qint64 restartAfter)
    : grid_(grid)
    , folder_(std::move(folder))
    , origin_(std::move(origin))
    , restartAfter_(restartAfter)
{
    timer_.setSingleShot(true);
    timer_.setInterval(batchDelayMs);
    connect(&timer_, &QTimer::timeout, this, [this] { writeSteps(false); });
    grid_.addRecorder(this);
}

WorkLog::~WorkLog()
{
    grid_.removeRecorder(this);
    flush();
}

QString WorkLog::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/palomet");
}

QStringList WorkLog::logsIn(const QString& folder)
{
    QStringList paths;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({u'*' + suffix, u'*' + oldSuffix}, QDir::Files | QDir::Hidden, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

void WorkLog::setRecording(bool on)
{
    recording_ = on;
}

void WorkLog::record(const GridChange& change)
{
    if (!recording_)
        return;
    if (!file_.isOpen() && !failed_)
        begin();
    if (!file_.isOpen())
        return;
    WorkLogFormat::appendChange(pending_, change);
    if (!timer_.isActive())
        timer_.start();
}

namespace {

// The start of a log, written on the writing thread from a snapshot that
// shares the grid's rows: hashed in one pass, written in a second, never
// held whole. A FileHash frame follows where the register is the one loaded
// or saved, untouched: hashed there too, off the window's thread.
WorkLogFile::Writer startWriter(const WorkLogFormat::Origin& origin, GridSnapshot snapshot, int steps, bool withHeader)
{
    return [origin, steps, withHeader, snapshot = std::make_shared<GridSnapshot>(std::move(snapshot))](
               const WorkLogFile::Sink& sink) {
        ContentHash hash;
        qint64 length = 0;
        WorkLogFormat::startPayload(origin, *snapshot, [&](QByteArrayView piece) {
            hash.add(piece);
            length += piece.size();
        });
        if (length > std::numeric_limits<quint32>::max())
            return false; // no frame holds it
        bool ok = (!withHeader || sink(WorkLogFormat::fileHeader())) &&
                  sink(WorkLogFormat::frameHeader(WorkLogFormat::FrameKind::Start, quint32(steps),
                      QDateTime::currentMSecsSinceEpoch(), quint32(length), hash.result()));
        WorkLogFormat::startPayload(origin, *snapshot, [&](QByteArrayView piece) { ok = ok && sink(piece); });
        return ok && sink(WorkLog::fileHashFrame(origin));
    };
}

} // namespace

QByteArray WorkLog::fileHashFrame(const WorkLogFormat::Origin& origin)
{
    if (!origin.stamped)
        return {};
    const auto stampedAsLoaded = [&] {
        const std::optional<FileStamp> now = FileStamp::of(origin.registerPath);
        return now && qint64(now->inode) == origin.inode && qint64(now->device) == origin.device &&
               now->size == origin.size && now->modifiedNs == origin.modifiedNs && now->changedNs == origin.changedNs;
    };
    if (!stampedAsLoaded())
        return {};
    const quint64 hash = fileHash(origin.registerPath);
    if (!stampedAsLoaded())
        return {};
    const QByteArray payload = WorkLogFormat::hashPayload(hash);
    return WorkLogFormat::frameHeader(
               WorkLogFormat::FrameKind::FileHash, 0, QDateTime::currentMSecsSinceEpoch(), payload) +
           payload;
}

void WorkLog::begin()
{
    // A snapshot of the grid as it is before its first change: what the
    // changes are replayed on.
    if (!QDir().mkpath(folder_)) {
        failed_ = true;
        tell();
        return;
    }
    QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString name = QStringLiteral("work-%1-%2")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")))
                             .arg(QCoreApplication::applicationPid());
    if (!file_.create(QDir(folder_).filePath(name + suffix))) {
        failed_ = true;
        tell();
        return;
    }
    startOrigin_ = origin_();
    steps_ = 0;
    sinceStart_ = 0;
    file_.appendWritten(startWriter(startOrigin_, grid_.snapshot(), 0, true));
}

void WorkLog::restartIfLong()
{
    // A log grows by every change (a sort of a million entries adds
    // 4 MB): once what follows the start outweighs the grid itself, it begins
    // again from the grid as it is, on the writing thread. Only between
    // steps: the snapshot must hold no change that is still to be written.
    if (!pending_.isEmpty() || sinceStart_ < std::max<qint64>(restartAfter_, 2 * grid_.rowBytes()))
        return;
    file_.restart(startWriter(startOrigin_, grid_.snapshot(), steps_, true));
    sinceStart_ = 0;
}

quint64 WorkLog::fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    ContentHash hasher;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(block.data(), block.size());
        if (got <= 0)
            break;
        hasher.add(QByteArrayView(block).first(got));
    }
    return hasher.result();
}

void WorkLog::appendFrame(WorkLogFormat::FrameKind kind, int steps, QByteArray payload)
{
    // The frame's checksum is taken on the writing thread, off the window's.
    const qint64 timeMs = QDateTime::currentMSecsSinceEpoch();
    sinceStart_ += payload.size();
    file_.appendWritten([=, payload = std::move(payload)](const WorkLogFile::Sink& sink) {
        return sink(WorkLogFormat::frameHeader(kind, quint32(steps), timeMs, payload)) && sink(payload);
    });
}

void WorkLog::stepEnded()
{
    if (!file_.isOpen())
        return;
    stepEnd_ = pending_.size();
    ++pendingSteps_;
    if (!timer_.isActive())
        timer_.start();
}

void WorkLog::writeSteps(bool all)
{
    const qsizetype end = all ? pending_.size() : stepEnd_;
    if (!file_.isOpen() || (end == 0 && pendingSteps_ == 0))
        return;
    if (!file_.healthy())
        tell();
    QByteArray batch = end == pending_.size() ? std::exchange(pending_, QByteArray()) : pending_.first(end);
    pending_.remove(0, end);
    appendFrame(WorkLogFormat::FrameKind::Changes, pendingSteps_, std::move(batch));
    steps_ += pendingSteps_;
    stepEnd_ = 0;
    pendingSteps_ = 0;
    if (!pending_.isEmpty())
        timer_.start(); // part of a step still being made
    else
        restartIfLong();
}

void WorkLog::flush()
{
    writeSteps(true);
    file_.flush();
}

void WorkLog::tell()
{
    if (!std::exchange(told_, true))
        emit troubled();
}

void WorkLog::end()
{
    told_ = false;
    timer_.stop();
    pending_.clear();
    stepEnd_ = 0;
    pendingSteps_ = 0;
    failed_ = false;
    file_.remove();
}

bool WorkLog::adopt(int fd, const QString& path, qint64 length, const WorkLogFormat::Origin& origin, int steps)
{
    end();
    startOrigin_ = origin;
    steps_ = steps;
    sinceStart_ = length;
    return file_.adopt(fd, path, length);
}
