#include "storage/ArchiveName.h"

#include <QDir>

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
    const QStringList files =
        QDir(archiveFolder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& file : files) {
        if (file != wanted && file.compare(wanted, Qt::CaseInsensitive) == 0)
            found.append(file);
    }
    return found;
}

} // namespace ArchiveName
