#include "storage/ArchiveName.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace ArchiveName {

QString fileName(QStringView typed)
{
    return typed.toString().toUpper() + QStringLiteral(".csv");
}

bool staysInside(QStringView name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (QChar ch : name) {
        if (ch == u'/' || ch == u'\\' || ch.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

QString pathIn(const QString& archiveFolder, QStringView typed)
{
    return archiveFolder + u'/' + fileName(typed);
}

QStringList otherCaseNames(const QString& archiveFolder, QStringView typed)
{
    const QString wanted = fileName(typed);
    QStringList found;
    const QStringList files = QDir(archiveFolder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& file : files) {
        if (file != wanted && file.compare(wanted, Qt::CaseInsensitive) == 0)
            found.append(file);
    }
    return found;
}

std::optional<QString> linkLeaving(const QString& folder, const QString& path)
{
    const QFileInfo link(path);
    if (!link.isSymLink())
        return std::nullopt;
    const QString target = link.canonicalFilePath();
    if (target.isEmpty())
        return link.symLinkTarget();
    if (QFileInfo(target).path() != QFileInfo(folder).canonicalFilePath())
        return target;
    return std::nullopt;
}

QStringList newestFirst(const QString& archiveFolder)
{
    QFileInfoList files;
    const auto kinds = QDir::Files | QDir::Hidden | QDir::System;
    for (const QFileInfo& file : QDir(archiveFolder).entryInfoList(kinds, QDir::NoSort))
        if (file.suffix().compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0)
            files << file;
    std::sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
        const QDateTime at = a.lastModified();
        const QDateTime bt = b.lastModified();
        return at != bt ? at > bt : a.fileName() > b.fileName();
    });
    QStringList paths;
    for (const QFileInfo& file : files)
        paths << file.filePath();
    return paths;
}

std::vector<ListedFile> listed(const QString& archiveFolder, std::optional<ListedFile> first)
{
    std::vector<ListedFile> files;
    if (first)
        files.push_back(std::move(*first));
    for (const QString& archive : newestFirst(archiveFolder))
        files.push_back({QFileInfo(archive).fileName(), archive});
    return files;
}

} // namespace ArchiveName
