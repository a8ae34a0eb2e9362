// The main window's side of the work log: the work of windows that
// ended without saving it, offered back at start, taken into the window or
// kept in Backup.
#include "app/session/WorkRecovery.h"

#include "app/desktop/Desktop.h"
#include "app/desktop/Plural.h"
#include "app/desktop/ProgramTitle.h"
#include "app/document/RegisterDocument.h"
#include "app/document/SaveMessages.h"
#include "app/editing/UndoSteps.h"
#include "grid/FlexGrid.h"
#include "rules/BlockingDate.h"
#include "storage/RegisterWriter.h"
#include "ui/CellBox.h"
#include "worklog/OrphanedWorkLog.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

bool sameFolder(const QString& a, const QString& b)
{
    return QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath();
}

} // namespace

WorkRecovery::WorkRecovery(GridModel& model, FlexGrid& grid, RegisterDocument& document, UndoSteps& undo,
    CellBox& cellBox, Desktop& desktop, QString folder)
    : model_(model)
    , grid_(grid)
    , document_(document)
    , undo_(undo)
    , cellBox_(cellBox)
    , desktop_(desktop)
    , folder_(std::move(folder))
    , log_(model, folder_, [this] { return document_.origin(); })
{
    connect(&undo_.stack(), &QUndoStack::indexChanged, &log_, &WorkLog::stepEnded);
    // Said once the change that found it is done, never inside it.
    connect(
        &log_, &WorkLog::troubled, this,
        [this] {
            desktop_.messageBox(
                QStringLiteral("Palomet не может записывать несохранённую работу в папку «%1» (нет места на "
                               "диске или прав на папку). При сбое изменения после последнего сохранения "
                               "пропадут: сохраняйте журнал, пока это не исправлено.")
                    .arg(QDir::toNativeSeparators(folder_)),
                programTitle());
        },
        Qt::QueuedConnection);
}

void WorkRecovery::offerRecovery()
{
    const QString folder = document_.origin().programFolder;
    for (OrphanedWorkLog& orphan : OrphanedWorkLog::findIn(folder_)) {
        const std::optional<WorkLogFormat::Contents>& contents = orphan.contents();
        if (orphan.cutWhileBeginning()) {
            orphan.remove(); // no change had reached the disk
            continue;
        }
        if (!contents) {
            const QString aside = orphan.moveAside();
            desktop_.messageBox(
                QStringLiteral("Файл несохранённой работы «%1» повреждён и не может быть прочитан. "
                               "Восстановить из него изменения нельзя. Файл не удалён: он перенесён в «%2».")
                    .arg(QDir::toNativeSeparators(orphan.path()), QDir::toNativeSeparators(aside)),
                programTitle());
            continue;
        }
        // The work of another register folder waits for a start there; but
        // a folder that is gone (a share mounted elsewhere, a stick in another
        // port) would keep it waiting for good, so it is offered here.
        const bool here = sameFolder(contents->origin.programFolder, folder);
        if (!here && QFileInfo(contents->origin.programFolder).isDir())
            continue;
        if (contents->batches.empty()) {
            orphan.remove(); // begun, but no change reached the disk
            continue;
        }
        const QString elsewhere =
            here ? QString()
                 : QStringLiteral(" Папки «%1», где шла эта работа, сейчас нет (сетевая папка или съёмный "
                                  "диск не подключены или подключены по другому пути); восстановленные изменения "
                                  "останутся в этом окне несохранёнными.")
                       .arg(QDir::toNativeSeparators(contents->origin.programFolder));
        const QString question =
            QStringLiteral("Palomet был закрыт, не сохранив изменения в %1 (%2, последнее %3).%4 "
                           "Восстановить их?")
                .arg(RegisterDocument::originName(contents->origin),
                    Plural::count(std::max(1, contents->steps), "изменение", "изменения", "изменений"),
                    QDateTime::fromMSecsSinceEpoch(contents->lastChangeMs).toString(QStringLiteral("dd.MM.yyyy HH:mm")),
                    elsewhere);
        if (desktop_.askYesNoDefaultYes(question, programTitle())) {
            if (takeRecovered(orphan, here))
                return; // the others are offered at the next start
        } else {
            keepRecoveredAside(orphan);
        }
    }
}

bool WorkRecovery::takeRecovered(OrphanedWorkLog& orphan, bool sameFolder)
{
    cellBox_.drop();
    undo_.clear();
    log_.setRecording(false);
    grid_.showAll(); // the work comes back whole
    const bool rebuilt = orphan.rebuild(model_);
    if (!rebuilt) {
        document_.resetGrid();
        document_.markSaved();
        log_.setRecording(true);
        reportUnrebuilt(orphan);
        return false;
    }
    // Work from a folder that is gone is not this folder's register: its
    // save asks as for a grid that never held it.
    document_.recovered(
        sameFolder ? orphan.contents()->origin : RegisterDocument::fromElsewhere(orphan.contents()->origin));
    grid_.setTopRow(FlexGrid::FixedRows);
    // The log goes on from its last whole step, so that another crash
    // loses nothing of it either.
    const QString path = orphan.path();
    const qint64 length = orphan.rebuiltLength();
    const size_t leftOut = orphan.batchesLeftOut();
    log_.adopt(orphan.release(), path, length, orphan.contents()->origin, orphan.contents()->steps);
    log_.setRecording(true);
    if (leftOut > 0)
        desktop_.messageBox(
            QStringLiteral("Последние изменения из файла несохранённой работы «%1» (%2) не удалось восстановить: "
                           "эта часть файла повреждена. Всё, что было сделано до них, "
                           "восстановлено.")
                .arg(QDir::toNativeSeparators(path), Plural::count(int(leftOut), "запись", "записи", "записей")),
            programTitle());
    return true;
}

void WorkRecovery::keepRecoveredAside(OrphanedWorkLog& orphan)
{
    GridModel recovered;
    recovered.setDateReader(&BlockingDate::dayNumber);
    if (!orphan.rebuild(recovered)) {
        reportUnrebuilt(orphan);
        return;
    }
    const RegisterWriter::KeptWork kept = document_.keepRecovered(recovered, orphan.contents()->origin);
    if (kept.path.isEmpty()) {
        const QString aside = QDir::toNativeSeparators(orphan.moveAside());
        desktop_.messageBox(
            QStringLiteral("Восстановленные изменения не удалось записать в папку «%1»: %2. "
                           "Файл несохранённой работы с ними не удалён: он перенесён в «%3».")
                .arg(QDir::toNativeSeparators(document_.backupFolder()), SaveMessages::systemReason(kept.error), aside),
            programTitle());
        return;
    }
    orphan.remove();
    if (kept.unicode)
        desktop_.messageBox(
            QStringLiteral("Восстановленные изменения записаны в «%1» в кодировке UTF-8: в них есть то, "
                           "чего файл журнала в Windows-1251 не хранит (знаки вне этой кодировки, «;» "
                           "или перевод строки в ячейке, текст правее седьмой колонки). Кнопка «Загрузить "
                           "архив» с именем «%2» откроет этот файл; перед сохранением исправьте такие "
                           "ячейки.")
                .arg(QDir::toNativeSeparators(kept.path), QFileInfo(kept.path).completeBaseName()),
            programTitle());
}

void WorkRecovery::reportUnrebuilt(OrphanedWorkLog& orphan)
{
    const QString path = QDir::toNativeSeparators(orphan.path());
    const QString aside = QDir::toNativeSeparators(orphan.moveAside());
    desktop_.messageBox(QStringLiteral("Изменения из файла несохранённой работы «%1» не удалось восстановить: он "
                                       "повреждён. Файл не удалён: он перенесён в «%2».")
                            .arg(path, aside),
        programTitle());
}
