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
// stale when its holder is gone: on this host at once (no such process, or
// another boot), from another desk when it has not been rewritten for 50 s,
// judged by the file server's clock (the lock's time against that of a file
// just created beside it), never by the desk's. A stale lock is renamed aside
// before it is removed, both done on a closed file, and only after checking
// that what was renamed is the lock judged stale.
class RegisterLock
{
public:
    struct Holder
    {
        QString user;
        QString host;
        qint64 pid = 0;
        QString boot;
        QDateTime since;
    };
    enum class Result {
        Held,
        Busy,       // a live holder, named by holder()
        Unavailable // no lock file can be made here (a read-only folder, say)
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
    const std::optional<Holder>& holder() const { return holder_; }
    // "Иванов на ПК-3 с 18:02"
    static QString describe(const Holder& holder);

private:
    bool create();
    bool clearIfStale(const QByteArray& seen);
    void refreshUntilReleased();

    QString path_;
    QByteArray content_; // what this lock wrote
    bool held_ = false;
    std::optional<Holder> holder_;
    std::thread refresher_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool stopping_ = false;
};
