#include "storage/KeptVersions.h"

#include "storage/PosixIo.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <vector>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace KeptVersions {

namespace {

using PosixIo::native;
using PosixIo::writeAll;

// A copy synced to disk, with the original's permission bits; created
// exclusively, so that nothing already there is overwritten.
bool copySynced(const QString& from, const QString& to)
{
    const int in = ::open(native(from).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return false;
    struct stat info {};
    const mode_t mode = ::fstat(in, &info) == 0 ? (info.st_mode & 0666) : 0600;
    const int out = ::open(native(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    bool ok = out >= 0;
    char buffer[1 << 16];
    while (ok) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = writeAll(out, buffer, got);
    }
    ok = ok && ::fsync(out) == 0;
    ::close(in);
    if (out >= 0 && ::close(out) != 0)
        ok = false;
    if (!ok && out >= 0)
        ::unlink(native(to).constData());
    return ok;
}

QRegularExpression versionPattern(const QString& name)
{
    return QRegularExpression(QStringLiteral("^%1-\\d{4}-\\d\\d-\\d\\d-\\d{6}(-\\d+)?\\.csv$")
                                  .arg(QRegularExpression::escape(name)));
}

QString versionPath(const QString& folder, const QString& name, const QDateTime& when, int attempt)
{
    return folder + u'/' + name + u'-' + when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) +
           (attempt == 1 ? QString() : QStringLiteral("-%1").arg(attempt)) + QStringLiteral(".csv");
}

} // namespace

QString unusedPath(const QString& folder, const QString& name, const QDateTime& when)
{
    for (int attempt = 1;; ++attempt) {
        const QString path = versionPath(folder, name, when, attempt);
        if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
            return path;
    }
}

QString keep(const QString& path, const QString& folder, const QString& name, bool linkAllowed,
             const QDateTime& when)
{
    if (!QDir().mkpath(folder))
        return {};
    // Two saves within one second keep both versions.
    for (int attempt = 1; attempt < 100; ++attempt) {
        const QString kept = versionPath(folder, name, when, attempt);
        if (QFileInfo(kept).exists() || QFileInfo(kept).isSymLink())
            continue;
        if (linkAllowed && ::link(native(path).constData(), native(kept).constData()) == 0)
            return kept;
        if (errno == EEXIST)
            continue;
        return copySynced(path, kept) ? kept : QString();
    }
    return {};
}

void prune(const QString& folder, const QString& name)
{
    const QRegularExpression pattern = versionPattern(name);
    // Oldest first: by the time in the name, then by the number of a later
    // save within the same second (none standing for the first).
    std::vector<std::pair<QString, QString>> versions; // sort key, file
    for (const QString& file : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = pattern.match(file);
        if (!match.hasMatch())
            continue;
        const QString time = file.mid(name.size() + 1, 17);
        const QString number = match.captured(1).isEmpty() ? QStringLiteral("1") : match.captured(1).mid(1);
        versions.emplace_back(time + number.rightJustified(3, u'0'), file);
    }
    std::sort(versions.begin(), versions.end());
    for (size_t i = 0; i + versionsKept < versions.size(); ++i)
        QFile::remove(folder + u'/' + versions[i].second);
}

int linksTo(const QString& folder, const QString& name, const QString& path)
{
    struct stat file {};
    if (folder.isEmpty() || ::stat(native(path).constData(), &file) != 0)
        return 0;
    const QRegularExpression pattern = versionPattern(name);
    int links = 0;
    for (const QString& version : QDir(folder).entryList(QDir::Files)) {
        struct stat kept {};
        if (pattern.match(version).hasMatch() &&
            ::stat(native(folder + u'/' + version).constData(), &kept) == 0 &&
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
