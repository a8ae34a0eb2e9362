#include "storage/RegisterLock.h"

#include "storage/PosixIo.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

namespace {

using PosixIo::modifiedNs;
using PosixIo::native;

constexpr QByteArrayView magic = "palomet-lock 1\n";

QString thisUser()
{
    const passwd* entry = ::getpwuid(::geteuid());
    if (!entry)
        return QString::number(::geteuid());
    // The name from the account's full name where it has one: "Иванов", not "ivanov".
    const QString fullName = QString::fromLocal8Bit(entry->pw_gecos).section(u',', 0, 0).trimmed();
    return fullName.isEmpty() ? QString::fromLocal8Bit(entry->pw_name) : fullName;
}

QString thisBoot()
{
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed()) : QString();
}

QByteArray contentFor(const RegisterLock::Holder& holder)
{
    QByteArray content(magic.data(), magic.size());
    content += "user=" + holder.user.toUtf8() + '\n';
    content += "host=" + holder.host.toUtf8() + '\n';
    content += "pid=" + QByteArray::number(holder.pid) + '\n';
    content += "boot=" + holder.boot.toUtf8() + '\n';
    content += "since=" + QByteArray::number(holder.since.toMSecsSinceEpoch()) + '\n';
    return content;
}

std::optional<RegisterLock::Holder> parse(const QByteArray& content)
{
    if (!content.startsWith(magic))
        return std::nullopt;
    RegisterLock::Holder holder;
    bool complete = false;
    for (const QByteArray& line : content.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        const QByteArray key = line.left(equals);
        const QString value = QString::fromUtf8(line.mid(equals + 1));
        if (key == "user")
            holder.user = value;
        else if (key == "host")
            holder.host = value;
        else if (key == "pid")
            holder.pid = value.toLongLong();
        else if (key == "boot")
            holder.boot = value;
        else if (key == "since") {
            holder.since = QDateTime::fromMSecsSinceEpoch(value.toLongLong());
            complete = true;
        }
    }
    if (!complete)
        return std::nullopt; // being written
    return holder;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4096) : QByteArray();
}

// The file server's time now: that of a file created beside the lock.
std::optional<qint64> serverNowNs(const QString& lockPath)
{
    const QString probe = lockPath + QStringLiteral(".clock-%1-%2")
                                         .arg(::getpid())
                                         .arg(QRandomGenerator::global()->generate());
    if (!PosixIo::writeClosed(probe, {}, O_CREAT | O_EXCL))
        return std::nullopt;
    const std::optional<qint64> now = modifiedNs(probe);
    ::unlink(native(probe).constData());
    return now;
}

bool processGone(qint64 pid)
{
    return pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH);
}

} // namespace

RegisterLock::~RegisterLock()
{
    release();
}

QString RegisterLock::describe(const Holder& holder)
{
    QString text = holder.user.isEmpty() ? QStringLiteral("другой пользователь") : holder.user;
    if (!holder.host.isEmpty())
        text += QStringLiteral(" на ") + holder.host;
    if (holder.since.isValid())
        text += QStringLiteral(" с ") + holder.since.toLocalTime().toString(QStringLiteral("HH:mm"));
    return text;
}

RegisterLock::Result RegisterLock::acquire(const QString& target)
{
    release();
    path_ = target + QStringLiteral(".lock");
    holder_.reset();
    Holder self{thisUser(), QSysInfo::machineHostName(), ::getpid(), thisBoot(), QDateTime::currentDateTimeUtc()};
    content_ = contentFor(self);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (create()) {
            held_ = true;
            stopping_ = false;
            refresher_ = std::thread([this] { refreshUntilReleased(); });
            return Result::Held;
        }
        if (errno != EEXIST)
            return Result::Unavailable;
        const QByteArray seen = readAll(path_);
        if (!clearIfStale(seen)) {
            holder_ = parse(seen);
            if (!holder_)
                holder_ = Holder{};
            return Result::Busy;
        }
    }
    return Result::Busy;
}

bool RegisterLock::create()
{
    return PosixIo::writeClosed(path_, content_, O_CREAT | O_EXCL);
}

bool RegisterLock::clearIfStale(const QByteArray& seen)
{
    const std::optional<Holder> holder = parse(seen);
    const std::optional<qint64> lockTime = modifiedNs(path_);
    if (!lockTime)
        return true; // gone meanwhile: try again
    const std::optional<qint64> now = serverNowNs(path_);
    const int limit = holder ? staleSeconds : unwrittenSeconds;
    const bool unrefreshed = now && *now - *lockTime > qint64(limit) * 1'000'000'000;
    const bool here = holder && holder->host == QSysInfo::machineHostName();
    // On this host the process tells at once; a live holder rewrites its lock
    // every few seconds wherever it is.
    const bool gone = here && (holder->boot != thisBoot() || processGone(holder->pid));
    if (!gone && !unrefreshed)
        return false;
    const QString aside = path_ + QStringLiteral(".stale-%1-%2").arg(::getpid()).arg(QRandomGenerator::global()->generate());
    if (::rename(native(path_).constData(), native(aside).constData()) != 0)
        return errno == ENOENT; // someone else cleared it
    if (readAll(aside) != seen) {
        // A new holder's lock took the stale one's place meanwhile: it goes back.
        ::rename(native(aside).constData(), native(path_).constData());
        return false;
    }
    ::unlink(native(aside).constData());
    return true;
}

void RegisterLock::refreshUntilReleased()
{
    std::unique_lock lock(mutex_);
    while (!released_.wait_for(lock, std::chrono::seconds(refreshSeconds), [this] { return stopping_; })) {
        // Rewritten over itself (never emptied on the way), so that the file
        // server stamps it with its own time.
        if (readAll(path_) == content_)
            PosixIo::writeClosed(path_, content_, 0);
    }
}

void RegisterLock::release()
{
    if (!held_)
        return;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    released_.notify_all();
    refresher_.join();
    // Only our own: a lock judged stale and taken over is another's now.
    if (readAll(path_) == content_)
        ::unlink(native(path_).constData());
    held_ = false;
}
