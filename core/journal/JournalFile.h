#pragma once

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// A journal file held by this process: locked (flock) for as long as it is
// open, so that another start sees whether its program is still there, and
// written on a thread of its own, each batch appended whole and ended by
// fdatasync, so that the window never waits on the disk.
class JournalFile
{
public:
    JournalFile() = default;
    ~JournalFile();
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    // Creates path, which must not exist, and locks it.
    bool create(const QString& path);
    // Takes over a journal opened and locked by lockIfOrphaned, keeping its
    // first length bytes; fd is this object's from then on, even on failure.
    bool adopt(int fd, const QString& path, qint64 length);
    bool isOpen() const { return fd_ >= 0; }
    QString path() const { return path_; }

    // Queued; written and synced on the writing thread.
    void append(QByteArray bytes);
    // Queued likewise; what to write is made on the writing thread, in turn.
    void appendMade(std::function<QByteArray()> make);
    // Returns once everything appended so far is on disk (or failed).
    void flush();
    // Whether every write so far went to disk. After the first that did
    // not, what it left is cut off and nothing more is written: the file
    // keeps the work up to there, whole, rather than steps with a gap.
    bool healthy();
    // Waits for the queue, then removes the file and lets it go.
    void remove();

    // Opens and locks path when no other process holds it: its program is
    // gone. The descriptor is the caller's to close; -1 when held or missing.
    static int lockIfOrphaned(const QString& path);

private:
    void start(int fd, const QString& path);
    void stop();
    void run();

    QString path_;
    int fd_ = -1;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable drained_;
    std::deque<std::function<QByteArray()>> queue_;
    bool writing_ = false;
    bool stopping_ = false;
    bool healthy_ = true;
    qint64 length_ = 0; // what has gone to disk whole
};
