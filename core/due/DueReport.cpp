#include "due/DueReport.h"

#include "due/DueList.h"
#include "register/RegisterLayout.h"
#include "storage/ArchiveName.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace DueReport {

QStringList captions()
{
    QStringList names;
    for (const QString& caption : RegisterLayout::headerFormat.toString().split(u'|'))
        names << caption.mid(1).trimmed(); // without "^"
    return names;
}

QString headerLine()
{
    return (QStringList {QStringLiteral("Дата блокировки"), QStringLiteral("Состояние"), QStringLiteral("Файл"),
                QStringLiteral("Строка")} +
            captions())
        .join(u'\t');
}

int write(const QString& folder, int days, QDate today, QTextStream& out, QTextStream& err)
{
    const QDir dir(folder);
    const QString registerPath = dir.filePath(RegisterLayout::registerFile.toString());
    const QString archives = dir.filePath(RegisterLayout::archiveFolder.toString());
    if (!QFileInfo(folder).isDir()) {
        err << QStringLiteral("palomet: папки «%1» нет.\n").arg(folder);
        return 2;
    }
    const bool registerThere = QFileInfo::exists(registerPath);
    if (!registerThere && !QFileInfo(archives).isDir()) {
        err << QStringLiteral("palomet: в папке «%1» нет ни журнала %2, ни папки %3.\n")
                   .arg(folder, RegisterLayout::registerFile, RegisterLayout::archiveFolder);
        return 2;
    }
    std::optional<DueList::Source> current;
    if (registerThere)
        current = DueList::Source {RegisterLayout::registerFile.toString(), registerPath};
    const std::vector<DueList::Source> sources = ArchiveName::listed(archives, current);
    const DueList::Result result = DueList::make(sources, {}, {}, today.addDays(-days), today.addDays(days));

    out << headerLine() << u'\n';
    for (const DueList::Entry& entry : result.entries) {
        if (entry.replaced)
            continue;
        out << (QStringList {entry.blocking.toString(QStringLiteral("dd.MM.yyyy")),
                    DueList::stateOn(entry.blocking, today), sources[size_t(entry.source)].name,
                    QString::number(entry.row)} +
                   entry.cells)
                   .join(u'\t')
            << u'\n';
    }
    int status = 0;
    for (size_t i = 0; i < sources.size(); ++i) {
        const QString reason = RegisterReader::whyUnread(result.sources[i].status);
        if (!reason.isEmpty()) {
            err << QStringLiteral("palomet: «%1» не прочитан: %2.\n").arg(sources[i].path, reason);
            status = 1;
        }
        if (const int undated = result.sources[i].undated)
            err << QStringLiteral("palomet: в «%1» записей с непонятной датой активации: %2; их срок не известен.\n")
                       .arg(sources[i].name)
                       .arg(undated);
    }
    return status;
}

} // namespace DueReport
