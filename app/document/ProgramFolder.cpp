#include "app/document/ProgramFolder.h"

#include "register/RegisterLayout.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ProgramFolder {

namespace {

// Folders that belong to the system, where an installed program lives: the
// register never goes there, even for root, who could write into them.
bool isSystemFolder(const QString& folder)
{
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    static const char* const roots[] = {"/usr", "/bin", "/sbin", "/lib", "/opt", "/etc", "/var"};
    for (const char* root : roots) {
        const QString prefix = QLatin1String(root);
        if (path == prefix || path.startsWith(prefix + u'/'))
            return true;
    }
    return false;
}

} // namespace

QString dataFolder()
{
    // A relative XDG_DATA_HOME is ignored, as the XDG rules say: it would put
    // the register wherever the program happened to be started.
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    const QString base =
        !xdg.isEmpty() && QDir::isAbsolutePath(xdg) ? xdg : QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/palomet"));
}

QString choose(const QString& executableFolder)
{
    const QDir beside(executableFolder);
    if (QFileInfo::exists(beside.filePath(RegisterLayout::registerFile.toString())) ||
        QFileInfo::exists(beside.filePath(RegisterLayout::archiveFolder.toString())) ||
        (QFileInfo(executableFolder).isWritable() && !isSystemFolder(executableFolder)))
        return executableFolder;
    const QString data = dataFolder();
    QDir().mkpath(data); // a failure shows at the first save
    return data;
}

} // namespace ProgramFolder
