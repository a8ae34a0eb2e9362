#include "storage/KeptVersions.h"

#include "storage/PosixIo.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace KeptVersions {

namespace {

using PosixIo::native;
using PosixIo::writeAll;

const QString partMarker = QStringLiteral(".palomet-part-");

// The temporary name of a copy of name's version being made in folder.
QString partPath(const QString& folder, const QString& name)
{
    return folder + QStringLiteral("/.") + name + partMarker + PosixIo::uniqueSuffix();
}

bool taken(const QString& path)
{
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

// A hidden claim on a version's name, for file systems without hard links.
QString claimPath(const QString& version)
{
    const QFileInfo info(version);
    return info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".claim");
}

// Puts a whole file under a version's name that nobody else takes meanwhile:
// another desk keeping a version of the same name in the same second on a
// shared Backup gets the next number. A hard link claims the name whole where
// the file system has them. Elsewhere a hidden claim beside the name is
// created first, which only one desk can do, and the whole file renamed to
// the name: a kill in between leaves the claim, never an empty version. The
// claim stays while the version does, so that no desk whose view of the
// folder lags behind renames over it. Answers 0, EEXIST when the name was
// taken, or the errno.
int placeUnder(const QString& part, const QString& to)
{
    if (::link(native(part).constData(), native(to).constData()) == 0) {
        ::unlink(native(part).constData());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    const int claim = PosixIo::createExclusive(claimPath(to), 0600);
    if (claim < 0)
        return errno;
    ::close(claim);
    if (taken(to))
        return EEXIST;
    if (::rename(native(part).constData(), native(to).constData()) != 0) {
        const int error = errno;
        ::unlink(native(claimPath(to)).constData());
        return error;
    }
    return 0;
}

// A copy synced to disk, with the original's permission bits, written under
// a temporary name of its own in the folder (created exclusively: never a
// file someone linked there) and given its version's name only when whole,
// so that a kill leaves a whole version or none. Answers 0 or the errno.
int copySynced(const QString& from, const QString& part)
{
    const int in = ::open(native(from).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return errno;
    struct stat info { };
    const mode_t mode = ::fstat(in, &info) == 0 ? (info.st_mode & 0666) : 0600;
    const int out = PosixIo::createExclusive(part, mode);
    int error = out < 0 ? errno : 0;
    char buffer[1 << 16];
    while (error == 0) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got == 0 ? 0 : errno;
            break;
        }
        if (!writeAll(out, buffer, got))
            error = errno;
    }
    if (error == 0 && ::fsync(out) != 0)
        error = errno;
    ::close(in);
    if (out >= 0 && ::close(out) != 0 && error == 0)
        error = errno;
    return error;
}

QRegularExpression versionPattern(const QString& name)
{
    return QRegularExpression(
        QStringLiteral("^%1-\\d{4}-\\d\\d-\\d\\d-\\d{6}(-\\d+)?\\.csv$").arg(QRegularExpression::escape(name)));
}

QString versionPath(const QString& folder, const QString& name, const QDateTime& when, int attempt)
{
    return folder + u'/' + name + u'-' + when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) +
           (attempt == 1 ? QString() : QStringLiteral("-%1").arg(attempt)) + QStringLiteral(".csv");
}

} // namespace

Kept keep(const QString& path, const QString& folder, const QString& name, bool linkAllowed, const QDateTime& when)
{
    const QFileInfo folderInfo(folder);
    if (folderInfo.exists() && !folderInfo.isDir())
        return {QString(), ENOTDIR};
    if (!QDir().mkpath(folder))
        return {QString(), errno != 0 ? errno : EACCES};
    // Where no hard link to the file itself can be made, it is copied once
    // and the copy placed under the first free name.
    QString part;
    int error = 0;
    // Two saves within one second keep both versions.
    for (int attempt = 1; attempt < 100 && error == 0; ++attempt) {
        const QString kept = versionPath(folder, name, when, attempt);
        if (taken(kept))
            continue;
        if (part.isEmpty() && linkAllowed && ::link(native(path).constData(), native(kept).constData()) == 0)
            return {kept, 0};
        if (part.isEmpty() && errno == EEXIST)
            continue;
        if (part.isEmpty()) {
            part = partPath(folder, name);
            if ((error = copySynced(path, part)) != 0)
                break;
        }
        error = placeUnder(part, kept);
        if (error == 0)
            return {kept, 0};
        if (error == EEXIST)
            error = 0;
    }
    if (!part.isEmpty())
        ::unlink(native(part).constData());
    return {QString(), error != 0 ? error : EEXIST};
}

Kept place(const QString& part, const QString& folder, const QString& name, const QDateTime& when)
{
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString path = versionPath(folder, name, when, attempt);
        if (taken(path))
            continue;
        const int error = placeUnder(part, path);
        if (error == 0)
            return {path, 0};
        if (error != EEXIST)
            return {QString(), error};
    }
    return {QString(), EEXIST};
}

QString temporaryPath(const QString& folder, const QString& name)
{
    return partPath(folder, name);
}

QStringList versions(const QString& folder, const QString& name)
{
    const QRegularExpression pattern = versionPattern(name);
    // Oldest first: by the time in the name, then by the number of a later
    // save within the same second (none standing for the first).
    std::vector<std::pair<QString, QString>> found; // sort key, file
    for (const QString& file : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = pattern.match(file);
        if (!match.hasMatch())
            continue;
        const QString time = file.mid(name.size() + 1, 17);
        const QString number = match.captured(1).isEmpty() ? QStringLiteral("1") : match.captured(1).mid(1);
        found.emplace_back(time + number.rightJustified(3, u'0'), file);
    }
    std::sort(found.begin(), found.end());
    QStringList paths;
    for (const auto& version : found)
        paths << folder + u'/' + version.second;
    return paths;
}

void prune(const QString& folder, const QString& name, const QString& justKept)
{
    QStringList old = versions(folder, name);
    // Whatever the times in the names say (a clock set back), the version a
    // save has just made stays.
    old.removeOne(justKept);
    const qsizetype surplus = old.size() + (justKept.isEmpty() ? 0 : 1) - versionsKept;
    for (qsizetype i = 0; i < surplus; ++i) {
        QFile::remove(old[i]);
        QFile::remove(claimPath(old[i]));
    }
    // Copies cut off by a killed save, known by the name only a copy of this
    // name's versions has: whatever the name holds (an archive named "*"),
    // no other name's copy in progress, on another desk, matches.
    const QRegularExpression cut(QStringLiteral("^\\.%1%2[0-9a-f]{16}$")
                                     .arg(QRegularExpression::escape(name), QRegularExpression::escape(partMarker)));
    // Claims a killed save left without its version, once no save can still
    // be placing it.
    const QRegularExpression claim(QStringLiteral("^\\.(%1-.*\\.csv)\\.claim$").arg(QRegularExpression::escape(name)));
    const QDateTime longAgo = QDateTime::currentDateTime().addSecs(-600);
    for (const QString& file : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        const QString path = folder + u'/' + file;
        if (cut.match(file).hasMatch())
            QFile::remove(path);
        const QRegularExpressionMatch claimed = claim.match(file);
        if (claimed.hasMatch() && versionPattern(name).match(claimed.captured(1)).hasMatch() &&
            !taken(folder + u'/' + claimed.captured(1)) && QFileInfo(path).lastModified() < longAgo)
            QFile::remove(path);
    }
}

bool sameContents(const QString& a, const QString& b)
{
    QFile first(a);
    QFile second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) || first.size() != second.size())
        return false;
    for (;;) {
        const QByteArray x = first.read(1 << 20);
        if (x != second.read(1 << 20))
            return false;
        if (x.isEmpty())
            return true;
    }
}

int linksTo(const QString& folder, const QString& name, const QString& path)
{
    struct stat file { };
    if (folder.isEmpty() || ::stat(native(path).constData(), &file) != 0)
        return 0;
    const QRegularExpression pattern = versionPattern(name);
    int links = 0;
    for (const QString& version : QDir(folder).entryList(QDir::Files)) {
        struct stat kept { };
        if (pattern.match(version).hasMatch() && ::stat(native(folder + u'/' + version).constData(), &kept) == 0 &&
            kept.st_dev == file.st_dev && kept.st_ino == file.st_ino)
            ++links;
    }
    return links;
}

QString find(const QString& folder, const QString& typed)
{
    QString wanted = typed;
    if (wanted.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        wanted.chop(4);
    wanted += QStringLiteral(".csv");
    for (const QString& file : QDir(folder).entryList(QDir::Files, QDir::Name))
        if (file.compare(wanted, Qt::CaseInsensitive) == 0)
            return folder + u'/' + file;
    return {};
}

} // namespace KeptVersions
