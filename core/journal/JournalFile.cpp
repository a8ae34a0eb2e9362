#include "journal/JournalFile.h"

#include "storage/PosixIo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using PosixIo::native;
using PosixIo::writeAll;

} // namespace

JournalFile::~JournalFile()
{
    stop();
}

bool JournalFile::create(const QString& path)
{
    stop();
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    start(fd, path);
    return true;
}

int JournalFile::lockIfOrphaned(const QString& path)
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

bool JournalFile::adopt(int fd, const QString& path, qint64 length)
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

void JournalFile::start(int fd, const QString& path)
{
    fd_ = fd;
    path_ = path;
    length_ = ::lseek(fd, 0, SEEK_END);
    stopping_ = false;
    healthy_ = true;
    thread_ = std::thread([this] { run(); });
}

void JournalFile::stop()
{
    if (fd_ < 0)
        return;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}

void JournalFile::append(QByteArray bytes)
{
    appendMade([bytes = std::move(bytes)] { return bytes; });
}

void JournalFile::appendMade(std::function<QByteArray()> make)
{
    if (fd_ < 0)
        return;
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(make));
    }
    wake_.notify_all();
}

void JournalFile::flush()
{
    std::unique_lock lock(mutex_);
    drained_.wait(lock, [this] { return (queue_.empty() && !writing_) || fd_ < 0; });
}

bool JournalFile::healthy()
{
    const std::lock_guard lock(mutex_);
    return healthy_;
}

void JournalFile::remove()
{
    if (fd_ < 0)
        return;
    flush();
    ::unlink(native(path_).constData());
    stop();
}

void JournalFile::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return !queue_.empty() || stopping_; });
        if (queue_.empty())
            return; // stopping, all written
        // Everything queued goes out in one batch, with one sync.
        std::deque<std::function<QByteArray()>> batch;
        batch.swap(queue_);
        writing_ = true;
        lock.unlock();
        bool ok = healthy_;
        for (const std::function<QByteArray()>& make : batch) {
            if (!ok)
                break;
            const QByteArray bytes = make();
            ok = writeAll(fd_, bytes.constData(), bytes.size());
            if (ok)
                length_ += bytes.size();
            else if (::ftruncate(fd_, length_) == 0)
                ::lseek(fd_, 0, SEEK_END);
        }
        ok = ok && ::fdatasync(fd_) == 0;
        lock.lock();
        writing_ = false;
        healthy_ = healthy_ && ok;
        drained_.notify_all();
    }
}
