#include "storage/ArchiveName.h"

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

} // namespace ArchiveName
