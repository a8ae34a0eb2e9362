#pragma once

#include <QDateTime>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// Saves of one register by Palomet windows take turns through a lock file
// beside it, NAME.lock, on this desk or on another desk sharing the folder
// on a file server. Taken only for the write itself, never while a question
// waits for the user.
//
// QLockFile does not serve here: its stale lock is judged by the desk's own
// clock after 30 s, so a desk whose clock runs ahead breaks a fresh lock and
// a save longer than that loses it; and it removes a stale lock by opening
// and then deleting it, which a file server refuses for an open file, so one
// killed save locks the register for good.
//
// So the lock file says who holds it (user, host, process, boot and since
// when), and the holder rewrites it every 10 s while it holds it. A lock is
// stale when its holder is gone: at once when it was made in this very boot
// of this machine and its process is gone; otherwise, when it has not been
// rewritten for 50 s, judged by the file server's clock (the lock's time
// against that of a file just created beside it), never by the desk's. Host
// names are only for people: two desks cloned from one image, or left with
// the installer's name, share theirs, but never a boot id. A lock this desk
// cannot read is another user's, and is judged by the clock like any other.
// A stale lock is renamed aside before it is removed, both done on a closed
// file, and only after checking that what was renamed is the lock judged
// stale.
class RegisterLock {
public:
    struct Holder {
        QString user;
        QString host;
        qint64 pid = 0;
        QString boot;
        QString processes; // the pid namespace, where containers share a boot
        QDateTime since;
    };
    enum class Result {
        Held,
        Busy, // a live holder, named by holder() as far as it can be read
        Unavailable, // no lock file can be made here (a read-only folder, say)
        Blocked // something else stands at the lock's name: a link, a folder, a FIFO
    };

    static constexpr int refreshSeconds = 10;
    static constexpr int staleSeconds = 50;
    // A lock without a whole content: its holder died between creating the
    // file and writing it, which a live holder does within milliseconds.
    static constexpr int unwrittenSeconds = 5;

    RegisterLock() = default;
    ~RegisterLock();
    RegisterLock(const RegisterLock&) = delete;
    RegisterLock& operator=(const RegisterLock&) = delete;

    // Tries once, clearing a stale lock first; never waits for a live one.
    Result acquire(const QString& target);
    void release();
    // After Busy: who holds the lock, empty where it cannot be read.
    const Holder& holder() const { return holder_; }
    // After Blocked: the path that is not a lock.
    const QString& path() const { return path_; }
    // "Иванов на ПК-3 с 18:02"
    static QString describe(const Holder& holder);
    // This desk as another one names it: "Иванов на ПК-3".
    static QString thisDesk();

    // Whether a file beside target is what a lock left: a stale lock renamed
    // aside or a clock probe.
    static bool isLeftover(const QString& fileName, const QString& targetName);

private:
    struct Seen;
    bool create();
    bool clearIfStale(const Seen& seen);
    void refreshUntilReleased();
    void refresh();

    QString path_;
    QByteArray content_; // what this lock wrote
    bool held_ = false;
    Holder holder_;
    std::thread refresher_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool stopping_ = false;
};
