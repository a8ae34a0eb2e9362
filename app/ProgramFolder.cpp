#include "app/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ProgramFolder {

QString choose(const QString& executableFolder)
{
    const QDir beside(executableFolder);
    if (QFileInfo::exists(beside.filePath(QStringLiteral("thisyear.csv"))) ||
        QFileInfo::exists(beside.filePath(QStringLiteral("Archive"))) ||
        QFileInfo(executableFolder).isWritable())
        return executableFolder;
    const QString data =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/palomet");
    QDir().mkpath(data); // a failure shows at the first save
    return data;
}

} // namespace ProgramFolder
