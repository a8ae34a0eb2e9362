#include "storage/FileReplacement.h"

#include "storage/ContentHash.h"
#include "storage/FileStamp.h"
#include "storage/KeptVersions.h"
#include "storage/PosixIo.h"
#include "storage/RegisterLock.h"
#include "storage/StagedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileReplacement {

namespace {

using PosixIo::modifiedNs;
using PosixIo::native;
using PosixIo::writeAll;

// Markers older than this, against the file's own time, no longer matter:
// every client's cache of the file's attributes has expired long since.
constexpr qint64 markerLifeNs = 10LL * 60 * 1'000'000'000;

// The file a save writes: the end of a chain of symbolic links, existing or not.
QString resolved(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// Saves take turns: through RegisterLock where the folder can be written,
// an advisory lock on the file itself where it cannot (no lock file can be
// made there).
class SaveLock {
public:
    // Saved when taken; otherwise Busy (holder() names who holds it, as far
    // as it can) or LockBlocked (blocker() names what stands there).
    SaveOutcome::Kind acquire(const QString& target, bool folderWritable)
    {
        if (folderWritable) {
            // A lock that cannot even be made (a name too long, say) is no
            // other window's: the write then tells the real cause.
            switch (lock_.acquire(target)) {
            case RegisterLock::Result::Busy:
                holder_ = RegisterLock::describe(lock_.holder());
                return SaveOutcome::Kind::Busy;
            case RegisterLock::Result::Blocked:
                return SaveOutcome::Kind::LockBlocked;
            case RegisterLock::Result::Held:
            case RegisterLock::Result::Unavailable:
                return SaveOutcome::Kind::Saved;
            }
        }
        fd_ = ::open(native(target).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0)
            return SaveOutcome::Kind::Saved; // nothing to lock; the write says why it fails
        return ::flock(fd_, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK ? SaveOutcome::Kind::Saved
                                                                            : SaveOutcome::Kind::Busy;
    }
    const QString& holder() const { return holder_; }
    const QString& blocker() const { return lock_.path(); }
    void release()
    {
        lock_.release();
        if (fd_ >= 0)
            ::close(std::exchange(fd_, -1));
    }
    ~SaveLock() { release(); }

private:
    RegisterLock lock_;
    QString holder_;
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

struct Target {
    QString path;
    QString folder;
    bool exists = false;
    struct stat info { };
    std::optional<FileStamp> agreed; // as it was when the user was asked
};

// Keeps the file in Backup; answers false when no version could be kept and
// the user has not yet agreed to go on without one (outcome says why).
bool keepReplaced(const Target& target, const Guards& guards, bool linkAllowed, bool withoutCopy, SaveOutcome& outcome)
{
    if (!target.exists || guards.backupFolder.isEmpty())
        return true;
    const KeptVersions::Kept kept = KeptVersions::keep(target.path, guards.backupFolder, guards.keptName, linkAllowed);
    outcome.keptVersion = kept.path;
    if (!kept.path.isEmpty() || withoutCopy || !guards.mayWriteWithoutCopy)
        return true;
    // Declined until asked: the caller asks with no lock held, and tries again.
    outcome = failed(SaveOutcome::Kind::Declined, kept.error != 0 ? kept.error : EIO);
    return false;
}

// The last check, right before the file is touched.
bool unchanged(const Target& target)
{
    return FileStamp::of(target.path) == target.agreed;
}

SaveOutcome writeInPlace(
    const Target& target, const Guards& guards, const Producer& produce, bool withoutCopy, ContentHash& written)
{
    SaveOutcome outcome;
    if (!keepReplaced(target, guards, false, withoutCopy, outcome))
        return outcome;
    outcome.inPlace = true;
    const QString kept = outcome.keptVersion;
    if (!unchanged(target)) {
        if (!kept.isEmpty())
            QFile::remove(kept);
        return failed(SaveOutcome::Kind::ChangedMeanwhile);
    }
    const int fd = ::open(native(target.path).constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        SaveOutcome notOpened = failed(SaveOutcome::Kind::CannotOpen, errno);
        notOpened.keptVersion = kept;
        return notOpened;
    }
    qint64 size = 0;
    bool ok = true;
    const std::optional<SaveOutcome> stop = produce([&](const QByteArray& block) {
        ok = writeAll(fd, block.constData(), block.size());
        size += block.size();
        written.add(block);
        return ok;
    });
    ok = ok && !stop && ::ftruncate(fd, size) == 0 && ::fdatasync(fd) == 0;
    if (!ok) {
        const int error = errno;
        outcome = stop ? *stop : failed(SaveOutcome::Kind::WriteFailed, error);
        outcome.inPlace = true;
        outcome.keptVersion = kept;
        outcome.restored = !kept.isEmpty() && restore(kept, fd);
    }
    if (::close(fd) != 0 && outcome.saved())
        outcome = failed(SaveOutcome::Kind::WriteFailed, errno);
    return outcome;
}

// A hard link to the file is a change of its inode (its change time), made
// by this save itself: the last check expects it.
void expectOwnLink(Target& target, const QString& kept)
{
    const std::optional<FileStamp> linked = FileStamp::of(kept);
    if (!linked || !target.agreed || linked->inode != target.agreed->inode || linked->device != target.agreed->device)
        return;
    FileStamp expected = *linked;
    expected.changedNs = target.agreed->changedNs;
    if (expected == *target.agreed)
        target.agreed->changedNs = linked->changedNs;
}

SaveOutcome replaceByRename(
    Target& target, const Guards& guards, const Producer& produce, bool withoutCopy, ContentHash& written)
{
    StagedFile file(target.path);
    if (!file.open(target.exists ? target.info.st_mode & 07777 : 0644))
        return failed(SaveOutcome::Kind::CannotOpen, errno);
    if (target.exists) {
        // The new file is the old one's heir: its group and owner too.
        const uid_t owner = ::geteuid() == 0 ? target.info.st_uid : static_cast<uid_t>(-1);
        if (::fchown(file.handle(), owner, target.info.st_gid) != 0) {
            // Not a member of the group, or not allowed to give the file away.
        }
    }
    int error = 0;
    const std::optional<SaveOutcome> stop = produce([&](const QByteArray& block) {
        const bool ok = file.write(block);
        if (!ok)
            error = errno;
        written.add(block);
        return ok;
    });
    if (stop)
        return *stop;
    if (error != 0)
        return failed(SaveOutcome::Kind::WriteFailed, error);
    SaveOutcome outcome;
    if (!keepReplaced(target, guards, true, withoutCopy, outcome))
        return outcome;
    expectOwnLink(target, outcome.keptVersion);
    if (!unchanged(target)) {
        if (!outcome.keptVersion.isEmpty())
            QFile::remove(outcome.keptVersion);
        return failed(SaveOutcome::Kind::ChangedMeanwhile);
    }
    if (!file.commit()) {
        const QString kept = outcome.keptVersion;
        outcome = failed(SaveOutcome::Kind::WriteFailed, errno);
        outcome.keptVersion = kept;
    }
    return outcome;
}

// What killed saves of this file left beside it, known by names that only a
// save gives: its temporary files, locks renamed aside and clock probes. The
// user's own files beside it ("thisyear.csv.backup") never match. Run under
// the lock, so no other Palomet save of the file is writing them.
void removeLeftovers(const Target& target)
{
    const QString name = QFileInfo(target.path).fileName();
    const QDir folder(target.folder);
    for (const QString& file : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (StagedFile::isLeftover(file, name) || RegisterLock::isLeftover(file, name))
            QFile::remove(folder.filePath(file));
}

// Hidden, beside the file, named after the version it stands for.
QString markerPath(const QString& path, const Guards::Seen& seen)
{
    const QFileInfo file(path);
    return file.path() + QStringLiteral("/.") + file.fileName() + QStringLiteral(".replaced-") +
           QStringLiteral("%1-%2").arg(seen.contents, 16, 16, QLatin1Char('0')).arg(seen.modifiedNs);
}

QString markerPrefix(const Target& target)
{
    return target.folder + QStringLiteral("/.") + QFileInfo(target.path).fileName() + QStringLiteral(".replaced-");
}

constexpr QByteArrayView claimed = "claimed\n";
constexpr QByteArrayView replaced = "replaced\n";

// Claims the version of the file the user saw (its contents' checksum and
// its modification time), by creating its marker, which the file server does
// or refuses whole, caches or not; false when a save has replaced that
// version already. A marker still "claimed" is a save that died before it
// replaced anything: no live save holds one while this save holds the lock.
// Answers the marker made, to mark "replaced" once the file is, or to remove
// when this save fails.
bool claimSeenContents(const Target& target, const Guards& guards, QString& marker)
{
    marker.clear();
    if (!guards.seen || !target.exists)
        return true;
    const QString path = markerPath(target.path, *guards.seen);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (PosixIo::writeClosed(path, claimed, O_CREAT | O_EXCL)) {
            marker = path;
            return true;
        }
        if (errno != EEXIST)
            return true; // no marker can be made here: the stamp alone decides
        QFile file(path);
        const bool replacedAlready = file.open(QIODevice::ReadOnly) && file.read(64).startsWith(replaced);
        file.close();
        if (replacedAlready)
            return false;
        QFile::remove(path);
    }
    return true;
}

void removeOldMarkers(const Target& target)
{
    const std::optional<qint64> now = modifiedNs(target.path);
    const QRegularExpression marker(QStringLiteral("^%1[0-9a-f]{16}-\\d+$")
                                        .arg(QRegularExpression::escape(QFileInfo(markerPrefix(target)).fileName())));
    const QDir folder(target.folder);
    for (const QString& file : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (!marker.match(file).hasMatch())
            continue;
        const std::optional<qint64> made = modifiedNs(folder.filePath(file));
        if (now && made && *now - *made > markerLifeNs)
            QFile::remove(folder.filePath(file));
    }
}

SaveOutcome writeLocked(
    Target& target, const Guards& guards, const Producer& produce, bool folderWritable, bool withoutCopy)
{
    // Other names of the file see its new contents only when it is written
    // in place; a kept version left by a killed save is not such a name.
    target.exists = ::stat(native(target.path).constData(), &target.info) == 0;
    const auto otherNames = target.exists ? static_cast<qint64>(target.info.st_nlink) - 1 -
                                                KeptVersions::linksTo(guards.backupFolder, guards.keptName, target.path)
                                          : 0;
    const bool inPlace = target.exists && (!folderWritable || otherNames > 0);
    QString marker;
    if (!claimSeenContents(target, guards, marker))
        return failed(SaveOutcome::Kind::ChangedMeanwhile);
    ContentHash written;
    SaveOutcome outcome = inPlace ? writeInPlace(target, guards, produce, withoutCopy, written)
                                  : replaceByRename(target, guards, produce, withoutCopy, written);
    if (!outcome.saved()) {
        if (!marker.isEmpty())
            QFile::remove(marker); // the contents seen are still there
        return outcome;
    }
    // "replaced", then who did it, for the desk that finds it.
    if (!marker.isEmpty())
        PosixIo::writeClosed(marker, replaced.toByteArray() + RegisterLock::thisDesk().toUtf8() + '\n', O_TRUNC);
    outcome.stampAfter = FileStamp::of(target.path);
    outcome.contentHash = written.result();
    if (!outcome.keptVersion.isEmpty())
        KeptVersions::prune(guards.backupFolder, guards.keptName, outcome.keptVersion);
    removeOldMarkers(target);
    return outcome;
}

// A failed write in place leaves the copy it made; when that is the same as
// the newest version kept before, it only pushes a real one out, so it goes.
void dropRepeatedCopy(const SaveOutcome& outcome, const Guards& guards)
{
    if (outcome.saved() || !outcome.inPlace || outcome.keptVersion.isEmpty())
        return;
    QStringList kept = KeptVersions::versions(guards.backupFolder, guards.keptName);
    kept.removeOne(outcome.keptVersion);
    if (!kept.isEmpty() && KeptVersions::sameContents(kept.last(), outcome.keptVersion))
        QFile::remove(outcome.keptVersion);
}

} // namespace

SaveOutcome write(const QString& path, const Guards& guards, const Producer& produce)
{
    const QFileInfo link(path);
    if (link.isSymLink() && !link.exists() && !QFileInfo::exists(QFileInfo(link.symLinkTarget()).absolutePath())) {
        SaveOutcome dangling = failed(SaveOutcome::Kind::DanglingLink, ENOENT);
        dangling.linkTarget = link.symLinkTarget();
        return dangling;
    }
    Target target;
    target.path = resolved(path);
    target.folder = QFileInfo(target.path).absolutePath();
    target.exists = ::stat(native(target.path).constData(), &target.info) == 0;
    if (target.exists && S_ISDIR(target.info.st_mode))
        return failed(SaveOutcome::Kind::CannotOpen, EISDIR);
    if (target.exists && !S_ISREG(target.info.st_mode))
        return failed(SaveOutcome::Kind::NotRegularFile);
    const bool folderWritable = ::access(native(target.folder).constData(), W_OK) == 0;
    // Questions are asked with no lock held, so that no other window's save
    // waits on a person; the file is checked again under the lock.
    target.agreed = FileStamp::of(target.path);
    if (guards.mayWrite && !guards.mayWrite())
        return failed(SaveOutcome::Kind::Declined);
    bool withoutCopy = false;
    for (;;) {
        SaveLock lock;
        if (const SaveOutcome::Kind locked = lock.acquire(target.path, folderWritable);
            locked != SaveOutcome::Kind::Saved) {
            SaveOutcome notLocked = failed(locked);
            notLocked.holder = lock.holder();
            notLocked.linkTarget = lock.blocker();
            return notLocked;
        }
        if (!unchanged(target))
            return failed(SaveOutcome::Kind::ChangedMeanwhile);
        if (folderWritable)
            removeLeftovers(target);
        SaveOutcome outcome = writeLocked(target, guards, produce, folderWritable, withoutCopy);
        dropRepeatedCopy(outcome, guards);
        // No copy could be kept: asked, unlocked, then all again from the check.
        if (outcome.kind == SaveOutcome::Kind::Declined && !withoutCopy && guards.mayWriteWithoutCopy &&
            outcome.systemError != 0) {
            lock.release();
            if (!guards.mayWriteWithoutCopy(outcome.systemError))
                return failed(SaveOutcome::Kind::Declined);
            withoutCopy = true;
            continue;
        }
        return outcome;
    }
}

QString replacedBy(const QString& path, const Guards::Seen& seen)
{
    QFile file(markerPath(path, seen));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray content = file.read(1024);
    if (!content.startsWith(replaced))
        return {};
    return QString::fromUtf8(content.mid(replaced.size())).trimmed();
}

} // namespace FileReplacement
