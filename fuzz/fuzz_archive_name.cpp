// Names typed for the Archive folder: a name that is let through names a
// file directly inside the folder, never anywhere else.
#include "storage/ArchiveName.h"

#include <QDir>
#include <QFileInfo>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString typed = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString name = typed.toUpper();
    if (!ArchiveName::staysInside(name))
        return 0;
    const QString archive = QStringLiteral("/program/Archive");
    const QString path = QDir::cleanPath(ArchiveName::pathIn(archive, typed));
    if (QFileInfo(path).path() != archive || QFileInfo(path).fileName() != ArchiveName::fileName(typed))
        std::abort();
    return 0;
}
