#include "journal/WorkJournal.h"

#include "grid/FlexGrid.h"
#include "storage/ContentHash.h"
#include "storage/FileStamp.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <memory>
#include <utility>

namespace {

constexpr int batchDelayMs = 200;
const QString suffix = QStringLiteral(".journal");

} // namespace

WorkJournal::WorkJournal(FlexGrid& grid, QString folder, std::function<JournalFormat::Origin()> origin)
    : grid_(grid)
    , folder_(std::move(folder))
    , origin_(std::move(origin))
{
    timer_.setSingleShot(true);
    timer_.setInterval(batchDelayMs);
    connect(&timer_, &QTimer::timeout, this, [this] { writeSteps(false); });
    grid_.setRecorder(this);
}

WorkJournal::~WorkJournal()
{
    grid_.setRecorder(nullptr);
    flush();
}

QString WorkJournal::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/palomet");
}

QStringList WorkJournal::journalsIn(const QString& folder)
{
    QStringList paths;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({u'*' + suffix}, QDir::Files | QDir::Hidden, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

void WorkJournal::setRecording(bool on)
{
    recording_ = on;
}

void WorkJournal::record(const GridChange& change)
{
    if (!recording_)
        return;
    if (!file_.isOpen() && !failed_)
        begin();
    if (!file_.isOpen())
        return;
    JournalFormat::appendChange(pending_, change);
    if (!timer_.isActive())
        timer_.start();
}

void WorkJournal::begin()
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
    const JournalFormat::Origin origin = origin_();
    appendFrame(JournalFormat::FrameKind::Start, 0, JournalFormat::startPayload(origin, grid_),
                JournalFormat::fileHeader());
    if (origin.stamped) {
        // Hashed on the writing thread, and only when the file is the one
        // loaded or saved, untouched while it was read.
        file_.appendMade([origin] {
            const auto stampedAsLoaded = [&] {
                const std::optional<FileStamp> now = FileStamp::of(origin.registerPath);
                return now && qint64(now->inode) == origin.inode && qint64(now->device) == origin.device &&
                       now->size == origin.size && now->modifiedNs == origin.modifiedNs &&
                       now->changedNs == origin.changedNs;
            };
            if (!stampedAsLoaded())
                return QByteArray();
            const quint64 hash = fileHash(origin.registerPath);
            if (!stampedAsLoaded())
                return QByteArray();
            const QByteArray payload = JournalFormat::hashPayload(hash);
            return JournalFormat::frameHeader(JournalFormat::FrameKind::FileHash, 0,
                                              QDateTime::currentMSecsSinceEpoch(), payload) +
                   payload;
        });
    }
}

quint64 WorkJournal::fileHash(const QString& path)
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

void WorkJournal::appendFrame(JournalFormat::FrameKind kind, int steps, QByteArray payload, QByteArray before)
{
    // The frame's checksum is taken on the writing thread, off the window's.
    const qint64 timeMs = QDateTime::currentMSecsSinceEpoch();
    const auto shared = std::make_shared<QByteArray>(std::move(payload));
    file_.appendMade([=] { return before + JournalFormat::frameHeader(kind, quint32(steps), timeMs, *shared); });
    file_.appendMade([shared] { return *shared; });
}

void WorkJournal::stepEnded()
{
    if (!file_.isOpen())
        return;
    stepEnd_ = pending_.size();
    ++pendingSteps_;
    if (!timer_.isActive())
        timer_.start();
}

void WorkJournal::writeSteps(bool all)
{
    const qsizetype end = all ? pending_.size() : stepEnd_;
    if (!file_.isOpen() || (end == 0 && pendingSteps_ == 0))
        return;
    if (!file_.healthy())
        tell();
    QByteArray batch = end == pending_.size() ? std::exchange(pending_, QByteArray()) : pending_.first(end);
    pending_.remove(0, end);
    appendFrame(JournalFormat::FrameKind::Changes, pendingSteps_, std::move(batch));
    stepEnd_ = 0;
    pendingSteps_ = 0;
    if (!pending_.isEmpty())
        timer_.start(); // part of a step still being made
}

void WorkJournal::flush()
{
    writeSteps(true);
    file_.flush();
}

void WorkJournal::tell()
{
    if (!std::exchange(told_, true))
        emit troubled();
}

void WorkJournal::end()
{
    told_ = false;
    timer_.stop();
    pending_.clear();
    stepEnd_ = 0;
    pendingSteps_ = 0;
    failed_ = false;
    file_.remove();
}

bool WorkJournal::adopt(int fd, const QString& path, qint64 length)
{
    end();
    return file_.adopt(fd, path, length);
}
