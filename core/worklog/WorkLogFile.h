#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// A log file held by this process: locked (flock) for as long as it is
// open, so that another start sees whether its program is still there, and
// written on a thread of its own, each batch appended whole and ended by
// fdatasync, so that the window never waits on the disk.
class WorkLogFile {
public:
    // Takes bytes to write; answers false once writing failed.
    using Sink = std::function<bool(QByteArrayView bytes)>;
    // Writes a piece of the log through the sink, on the writing thread.
    using Writer = std::function<bool(const Sink& sink)>;

    WorkLogFile() = default;
    ~WorkLogFile();
    WorkLogFile(const WorkLogFile&) = delete;
    WorkLogFile& operator=(const WorkLogFile&) = delete;

    // Creates path, which must not exist, and locks it.
    bool create(const QString& path);
    // Takes over a log opened and locked by lockIfOrphaned, keeping its
    // first length bytes; fd is this object's from then on, even on failure.
    bool adopt(int fd, const QString& path, qint64 length);
    bool isOpen() const { return open_; }
    QString path() const { return path_; }

    // Queued; written and synced on the writing thread, in turn.
    void append(QByteArray bytes);
    void appendWritten(Writer write);
    // Queued likewise: the log begins again with what start writes, in a
    // file of its own that takes this one's name (and lock) only once whole
    // and synced, so that a crash on the way leaves the old log as it was.
    // What the old one holds is all in the new start, and the file stops
    // growing with every change made since the first.
    void restart(Writer start);
    // Returns once everything appended so far is on disk (or failed).
    void flush();
    // Whether every write so far went to disk. After the first that did
    // not, what its batch left is cut off and nothing more is written: the
    // file keeps the work up to there, whole, rather than steps with a gap.
    bool healthy();
    // Waits for the queue, then removes the file and lets it go.
    void remove();

    // Opens and locks path when no other process holds it: its program is
    // gone. The descriptor is the caller's to close; -1 when held or missing.
    static int lockIfOrphaned(const QString& path);

private:
    struct Item {
        Writer write;
        bool restart = false;
    };
    void start(int fd, const QString& path);
    void stop();
    void run();
    bool writeAll(const Writer& write);
    // Answers whether the new file took the old one's place.
    bool restartWith(const Writer& start);

    QString path_;
    bool open_ = false;
    int fd_ = -1; // the writing thread's while it runs
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable drained_;
    std::deque<Item> queue_;
    bool writing_ = false;
    bool stopping_ = false;
    bool healthy_ = true;
    qint64 length_ = 0; // what has gone to disk whole
};
