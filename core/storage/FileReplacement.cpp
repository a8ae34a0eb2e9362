#include "storage/FileReplacement.h"

#include "storage/FileStamp.h"
#include "storage/KeptVersions.h"
#include "storage/PosixIo.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileReplacement {

namespace {

using PosixIo::native;
using PosixIo::writeAll;

constexpr int lockWaitMs = 10000;

// The file a save writes: the end of a chain of symbolic links, existing or not.
QString resolved(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// Saves by Palomet windows on one file take turns: a lock file beside it
// where the folder can be written (QLockFile sees through a lock left by a
// killed program), an advisory lock on the file itself where it cannot.
class SaveLock
{
public:
    bool acquire(const QString& target, bool folderWritable)
    {
        if (folderWritable) {
            lockFile_ = std::make_unique<QLockFile>(target + QStringLiteral(".lock"));
            // A lock that cannot even be made (a name too long, say) is no
            // other window's: the write then tells the real cause.
            return lockFile_->tryLock(lockWaitMs) || lockFile_->error() != QLockFile::LockFailedError;
        }
        fd_ = ::open(native(target).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0)
            return true; // nothing to lock; the write says why it fails
        const QDeadlineTimer deadline(lockWaitMs);
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK || deadline.hasExpired())
                return errno != EWOULDBLOCK; // a file system without locks
            QThread::msleep(20);
        }
        return true;
    }
    ~SaveLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

private:
    std::unique_ptr<QLockFile> lockFile_;
    int fd_ = -1;
};

SaveOutcome failed(SaveOutcome::Kind kind, int error = 0)
{
    SaveOutcome outcome;
    outcome.kind = kind;
    outcome.systemError = error;
    return outcome;
}

// Puts the kept version's contents back into the file open as fd.
bool restore(const QString& kept, int fd)
{
    QFile source(kept);
    if (!source.open(QIODevice::ReadOnly) || ::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    qint64 total = 0;
    QByteArray block;
    while (!(block = source.read(1 << 20)).isEmpty()) {
        if (!writeAll(fd, block.constData(), block.size()))
            return false;
        total += block.size();
    }
    return source.error() == QFileDevice::NoError && ::ftruncate(fd, total) == 0 && ::fdatasync(fd) == 0;
}

struct Target
{
    QString path;
    QString folder;
    bool exists = false;
    struct stat info {};
    std::optional<FileStamp> agreed; // as it was when the user was asked
};

SaveOutcome writeInPlace(const Target& target, const Guards& guards, const Producer& produce)
{
    SaveOutcome outcome;
    outcome.inPlace = true;
    if (!guards.backupFolder.isEmpty())
        outcome.keptVersion = KeptVersions::keep(target.path, guards.backupFolder, guards.keptName, false);
    if (outcome.keptVersion.isEmpty() && guards.mayWriteWithoutCopy && !guards.mayWriteWithoutCopy())
        return failed(SaveOutcome::Kind::Declined);
    if (FileStamp::of(target.path) != target.agreed)
        return failed(SaveOutcome::Kind::ChangedMeanwhile);
    const int fd = ::open(native(target.path).constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        SaveOutcome notOpened = failed(SaveOutcome::Kind::CannotOpen, errno);
        notOpened.keptVersion = outcome.keptVersion;
        return notOpened;
    }
    qint64 written = 0;
    bool ok = true;
    const std::optional<SaveOutcome> stop = produce([&](const QByteArray& block) {
        ok = writeAll(fd, block.constData(), block.size());
        written += block.size();
        return ok;
    });
    ok = ok && !stop && ::ftruncate(fd, written) == 0 && ::fdatasync(fd) == 0;
    if (!ok) {
        const int error = errno;
        const QString kept = outcome.keptVersion;
        outcome = stop ? *stop : failed(SaveOutcome::Kind::WriteFailed, error);
        outcome.inPlace = true;
        outcome.keptVersion = kept;
        outcome.restored = !kept.isEmpty() && restore(kept, fd);
    }
    if (::close(fd) != 0 && outcome.saved())
        outcome = failed(SaveOutcome::Kind::WriteFailed, errno);
    return outcome;
}

SaveOutcome replaceByRename(const Target& target, const Guards& guards, const Producer& produce)
{
    QSaveFile file(target.path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return failed(SaveOutcome::Kind::CannotOpen, errno);
    if (target.exists) {
        // The new file is the old one's heir: its mode, group and owner.
        ::fchmod(file.handle(), target.info.st_mode & 07777);
        const uid_t owner = ::geteuid() == 0 ? target.info.st_uid : static_cast<uid_t>(-1);
        if (::fchown(file.handle(), owner, target.info.st_gid) != 0) {
            // Not a member of the group, or not allowed to give the file away.
        }
    }
    int error = 0;
    const std::optional<SaveOutcome> stop = produce([&](const QByteArray& block) {
        const bool ok = file.write(block) == block.size();
        if (!ok)
            error = errno;
        return ok;
    });
    if (stop) {
        file.cancelWriting();
        return *stop;
    }
    if (error != 0 || !file.flush()) {
        file.cancelWriting();
        return failed(SaveOutcome::Kind::WriteFailed, error != 0 ? error : errno);
    }
    if (FileStamp::of(target.path) != target.agreed) {
        file.cancelWriting();
        return failed(SaveOutcome::Kind::ChangedMeanwhile);
    }
    SaveOutcome outcome;
    if (target.exists && !guards.backupFolder.isEmpty())
        outcome.keptVersion = KeptVersions::keep(target.path, guards.backupFolder, guards.keptName, true);
    if (target.exists && outcome.keptVersion.isEmpty() && guards.mayWriteWithoutCopy &&
        !guards.mayWriteWithoutCopy()) {
        file.cancelWriting();
        return failed(SaveOutcome::Kind::Declined);
    }
    if (!file.commit()) {
        const QString kept = outcome.keptVersion;
        outcome = failed(SaveOutcome::Kind::WriteFailed, errno);
        outcome.keptVersion = kept;
    }
    return outcome;
}

} // namespace

SaveOutcome write(const QString& path, const Guards& guards, const Producer& produce)
{
    Target target;
    target.path = resolved(path);
    target.folder = QFileInfo(target.path).absolutePath();
    target.exists = ::stat(native(target.path).constData(), &target.info) == 0;
    if (target.exists && S_ISDIR(target.info.st_mode))
        return failed(SaveOutcome::Kind::CannotOpen, EISDIR);
    if (target.exists && !S_ISREG(target.info.st_mode))
        return failed(SaveOutcome::Kind::NotRegularFile);
    const bool folderWritable = ::access(native(target.folder).constData(), W_OK) == 0;
    SaveLock lock;
    if (!lock.acquire(target.path, folderWritable))
        return failed(SaveOutcome::Kind::Busy);
    target.agreed = FileStamp::of(target.path);
    if (guards.mayWrite && !guards.mayWrite())
        return failed(SaveOutcome::Kind::Declined);
    // Other names of the file see its new contents only when it is written
    // in place; a kept version left by a killed save is not such a name.
    const auto otherNames = target.exists ? static_cast<qint64>(target.info.st_nlink) - 1 -
                                                KeptVersions::linksTo(guards.backupFolder, guards.keptName,
                                                                      target.path)
                                          : 0;
    const bool inPlace = target.exists && (!folderWritable || otherNames > 0);
    SaveOutcome outcome = inPlace ? writeInPlace(target, guards, produce)
                                  : replaceByRename(target, guards, produce);
    if (!outcome.keptVersion.isEmpty())
        KeptVersions::prune(guards.backupFolder, guards.keptName);
    return outcome;
}

} // namespace FileReplacement
