#pragma once

#include <QString>
#include <QStringView>

// Names typed for the Archive folder ("Сохранить как", "Загрузить архив").
namespace ArchiveName {

// The file a typed name stands for: the name upper-cased, ".csv" appended.
QString fileName(QStringView typed);

// A name that stays inside the Archive folder: no '/' or '\', no control
// character, and not "." or "..".
bool staysInside(QStringView name);

} // namespace ArchiveName
