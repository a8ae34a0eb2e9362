#include "worklog/WorkLogFile.h"

#include "storage/PosixIo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using PosixIo::native;

// Created and locked; -1 when it exists or cannot be locked.
int createLocked(const QString& path)
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

WorkLogFile::~WorkLogFile()
{
    stop();
}

bool WorkLogFile::create(const QString& path)
{
    stop();
    const int fd = createLocked(path);
    if (fd < 0)
        return false;
    start(fd, path);
    return true;
}

int WorkLogFile::lockIfOrphaned(const QString& path)
{
    const int fd = ::open(native(path).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool WorkLogFile::adopt(int fd, const QString& path, qint64 length)
{
    stop();
    // Whatever follows the last whole frame is cut off, so that new frames
    // follow it directly.
    if (::ftruncate(fd, length) != 0 || ::lseek(fd, 0, SEEK_END) < 0) {
        ::close(fd);
        return false;
    }
    start(fd, path);
    return true;
}

void WorkLogFile::start(int fd, const QString& path)
{
    fd_ = fd;
    path_ = path;
    open_ = true;
    length_ = ::lseek(fd, 0, SEEK_END);
    stopping_ = false;
    healthy_ = true;
    thread_ = std::thread([this] { run(); });
}

void WorkLogFile::stop()
{
    if (!open_)
        return;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    ::close(fd_);
    fd_ = -1;
    open_ = false;
    path_.clear();
}

void WorkLogFile::append(QByteArray bytes)
{
    appendWritten([bytes = std::move(bytes)](const Sink& sink) { return sink(bytes); });
}

void WorkLogFile::appendWritten(Writer write)
{
    if (!open_)
        return;
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back({std::move(write), false});
    }
    wake_.notify_all();
}

void WorkLogFile::restart(Writer start)
{
    if (!open_)
        return;
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back({std::move(start), true});
    }
    wake_.notify_all();
}

void WorkLogFile::flush()
{
    std::unique_lock lock(mutex_);
    drained_.wait(lock, [this] { return (queue_.empty() && !writing_) || !open_; });
}

bool WorkLogFile::healthy()
{
    const std::lock_guard lock(mutex_);
    return healthy_;
}

void WorkLogFile::remove()
{
    if (!open_)
        return;
    flush();
    ::unlink(native(path_).constData());
    stop();
}

bool WorkLogFile::writeAll(const Writer& write)
{
    return write([this](QByteArrayView bytes) {
        if (!PosixIo::writeAll(fd_, bytes.data(), bytes.size()))
            return false;
        length_ += bytes.size();
        return true;
    });
}

bool WorkLogFile::restartWith(const Writer& start)
{
    const QString next = path_ + QStringLiteral(".new");
    const int fd = createLocked(next);
    if (fd < 0)
        return false; // the old log goes on
    const int old = std::exchange(fd_, fd);
    const qint64 oldLength = std::exchange(length_, 0);
    if (writeAll(start) && ::fdatasync(fd) == 0 && ::rename(native(next).constData(), native(path_).constData()) == 0) {
        PosixIo::syncFolder(path_.section(u'/', 0, -2));
        ::close(old);
        return true;
    }
    ::unlink(native(next).constData());
    ::close(fd);
    fd_ = old;
    length_ = oldLength;
    return false;
}

void WorkLogFile::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return !queue_.empty() || stopping_; });
        if (queue_.empty())
            return; // stopping, all written
        // Everything queued goes out in one batch, with one sync.
        std::deque<Item> batch;
        batch.swap(queue_);
        writing_ = true;
        bool ok = healthy_;
        lock.unlock();
        qint64 whole = length_;
        for (const Item& item : batch) {
            if (!ok)
                break;
            if (item.restart) {
                // What was queued before goes to the old file first: the new
                // start holds it.
                ok = ::fdatasync(fd_) == 0;
                if (ok && restartWith(item.write))
                    whole = length_;
            } else {
                ok = writeAll(item.write);
            }
        }
        ok = ok && ::fdatasync(fd_) == 0;
        if (!ok && ::ftruncate(fd_, whole) == 0) {
            ::lseek(fd_, 0, SEEK_END);
            length_ = whole;
        }
        lock.lock();
        writing_ = false;
        healthy_ = healthy_ && ok;
        drained_.notify_all();
    }
}
