#include "storage/RegisterLock.h"

#include "storage/PosixIo.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
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

// Containers on one machine share its boot id, but not their processes.
QString thisProcesses()
{
    char target[64] = {};
    const ssize_t length = ::readlink("/proc/self/ns/pid", target, sizeof target - 1);
    return length > 0 ? QString::fromLatin1(target, length) : QString();
}

QByteArray contentFor(const RegisterLock::Holder& holder)
{
    QByteArray content(magic.data(), magic.size());
    content += "user=" + holder.user.toUtf8() + '\n';
    content += "host=" + holder.host.toUtf8() + '\n';
    content += "pid=" + QByteArray::number(holder.pid) + '\n';
    content += "boot=" + holder.boot.toUtf8() + '\n';
    content += "ns=" + holder.processes.toUtf8() + '\n';
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
        else if (key == "ns")
            holder.processes = value;
        else if (key == "since") {
            holder.since = QDateTime::fromMSecsSinceEpoch(value.toLongLong());
            complete = true;
        }
    }
    if (!complete)
        return std::nullopt; // being written
    return holder;
}

// The file server's time now: that of a file created beside the lock.
std::optional<qint64> serverNowNs(const QString& lockPath)
{
    const QString probe =
        lockPath + QStringLiteral(".clock-%1-%2").arg(::getpid()).arg(QRandomGenerator::global()->generate());
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

// What stands at a lock's name, looked at without following a link and
// without waiting on a FIFO.
struct RegisterLock::Seen {
    enum class State { Missing, Content, Unreadable, NotALock };
    State state = State::Missing;
    QByteArray content;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    static Seen at(const QString& path)
    {
        Seen seen;
        struct stat info { };
        if (::lstat(native(path).constData(), &info) != 0) {
            seen.state = errno == ENOENT ? State::Missing : State::Unreadable;
            return seen;
        }
        if (!S_ISREG(info.st_mode)) {
            seen.state = State::NotALock;
            return seen;
        }
        seen.size = info.st_size;
        seen.modifiedNs = qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
        const int fd = ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            seen.state = errno == ENOENT ? State::Missing : errno == ELOOP ? State::NotALock : State::Unreadable;
            return seen;
        }
        seen.state = State::Content;
        seen.content.resize(4096);
        const ssize_t got = ::read(fd, seen.content.data(), size_t(seen.content.size()));
        seen.content.truncate(std::max<ssize_t>(got, 0));
        ::close(fd);
        return seen;
    }

    // The same lock as this one, renamed: its contents, or where they cannot
    // be read, its size and time.
    bool sameAs(const Seen& other) const
    {
        if (state != other.state)
            return false;
        if (state == State::Content)
            return content == other.content;
        return size == other.size && modifiedNs == other.modifiedNs;
    }
};

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

QString RegisterLock::thisDesk()
{
    return describe({thisUser(), QSysInfo::machineHostName(), 0, QString(), QString(), QDateTime()});
}

bool RegisterLock::isLeftover(const QString& fileName, const QString& targetName)
{
    return QRegularExpression(
        QStringLiteral("^%1\\.lock\\.(stale|clock)-\\d+-\\d+$").arg(QRegularExpression::escape(targetName)))
        .match(fileName)
        .hasMatch();
}

RegisterLock::Result RegisterLock::acquire(const QString& target)
{
    release();
    path_ = target + QStringLiteral(".lock");
    holder_ = {};
    const Holder self {thisUser(), QSysInfo::machineHostName(), ::getpid(), thisBoot(), thisProcesses(),
        QDateTime::currentDateTimeUtc()};
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
        const Seen seen = Seen::at(path_);
        if (seen.state == Seen::State::NotALock)
            return Result::Blocked;
        if (seen.state == Seen::State::Missing)
            continue; // cleared meanwhile
        if (!clearIfStale(seen)) {
            if (const std::optional<Holder> holder = parse(seen.content))
                holder_ = *holder;
            return Result::Busy;
        }
    }
    return Result::Busy;
}

bool RegisterLock::create()
{
    // Readable by every desk's user whatever this one's umask, so that none
    // takes it for a lock its holder never wrote.
    const int fd = PosixIo::createExclusive(path_, 0644);
    if (fd < 0)
        return false;
    const bool written = PosixIo::writeAll(fd, content_.constData(), content_.size());
    const int error = errno;
    if (::close(fd) == 0 && written)
        return true;
    ::unlink(native(path_).constData());
    errno = written ? EIO : error;
    return false;
}

bool RegisterLock::clearIfStale(const Seen& seen)
{
    const std::optional<Holder> holder = parse(seen.content);
    const std::optional<qint64> now = serverNowNs(path_);
    // Only a lock of a desk that can read it can be one its holder never
    // wrote; another user's is whole, whatever this desk sees of it.
    const int limit = holder || seen.state == Seen::State::Unreadable ? staleSeconds : unwrittenSeconds;
    const bool unrefreshed = now && *now - seen.modifiedNs > qint64(limit) * 1'000'000'000;
    // Made in this very boot of this machine, among these processes: its
    // process tells at once. A live holder elsewhere rewrites its lock every
    // few seconds.
    const bool here =
        holder && !holder->boot.isEmpty() && holder->boot == thisBoot() && holder->processes == thisProcesses();
    const bool gone = here && processGone(holder->pid);
    if (!gone && !unrefreshed)
        return false;
    const QString aside =
        path_ + QStringLiteral(".stale-%1-%2").arg(::getpid()).arg(QRandomGenerator::global()->generate());
    if (::rename(native(path_).constData(), native(aside).constData()) != 0)
        return errno == ENOENT; // someone else cleared it
    if (!Seen::at(aside).sameAs(seen)) {
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
    while (!released_.wait_for(lock, std::chrono::seconds(refreshSeconds), [this] { return stopping_; }))
        refresh();
}

void RegisterLock::refresh()
{
    // Read and rewritten through one descriptor, over itself and never
    // emptied on the way, so that the file server stamps it with its own
    // time; a lock that took this one's place meanwhile is never written.
    const int fd = ::open(native(path_).constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    QByteArray current(content_.size() + 1, '\0');
    if (::pread(fd, current.data(), size_t(current.size()), 0) == content_.size() &&
        current.first(content_.size()) == content_) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, content_.constData(), size_t(content_.size()), 0);
    }
    ::close(fd);
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
    if (Seen::at(path_).content == content_)
        ::unlink(native(path_).constData());
    held_ = false;
}
