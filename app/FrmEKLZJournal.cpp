// The main window and its work journal: recovery at start, and the ends of a
// session that leave no time for a save.
#include "app/FrmEKLZ.h"

#include "app/Desktop.h"
#include "app/Dialog.h"
#include "app/Plural.h"
#include "app/SaveMessages.h"
#include "journal/OrphanedJournal.h"
#include "rules/BlockingDate.h"
#include "storage/RegisterWriter.h"
#include "ui/CellOverlay.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

namespace {

bool sameFolder(const QString& a, const QString& b)
{
    return QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath();
}

} // namespace

void FrmEKLZ::offerRecovery()
{
    const QString folder = document_.origin().programFolder;
    for (OrphanedJournal& orphan : OrphanedJournal::findIn(journalFolder_)) {
        const std::optional<JournalFormat::Contents>& contents = orphan.contents();
        if (orphan.cutWhileBeginning()) {
            orphan.remove(); // no change had reached the disk
            continue;
        }
        if (!contents) {
            const QString aside = orphan.moveAside();
            desktop_.messageBox(
                QStringLiteral("Журнал несохранённой работы «%1» повреждён и не может быть прочитан. "
                               "Восстановить из него изменения нельзя. Файл не удалён: он перенесён в «%2».")
                    .arg(QDir::toNativeSeparators(orphan.path()),
                         QDir::toNativeSeparators(aside)),
                programTitle);
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
                 : QStringLiteral(" Папки «%1», где журнал был открыт, сейчас нет (сетевая папка или съёмный "
                                  "диск не подключены или подключены по другому пути); восстановленные изменения "
                                  "останутся в этом окне несохранёнными.")
                       .arg(QDir::toNativeSeparators(contents->origin.programFolder));
        const QString question =
            QStringLiteral("Palomet был закрыт, не сохранив изменения в %1 (%2, последнее %3).%4 "
                           "Восстановить их?")
                .arg(RegisterDocument::originName(contents->origin),
                     Plural::count(std::max(1, contents->steps), "изменение", "изменения", "изменений"),
                     QDateTime::fromMSecsSinceEpoch(contents->lastChangeMs)
                         .toString(QStringLiteral("dd.MM.yyyy HH:mm")),
                     elsewhere);
        if (desktop_.askYesNoDefaultYes(question, programTitle)) {
            if (takeRecovered(orphan, here))
                return; // the others are offered at the next start
        } else {
            keepRecoveredAside(orphan);
        }
    }
}

bool FrmEKLZ::takeRecovered(OrphanedJournal& orphan, bool sameFolder)
{
    overlay_->drop();
    history_.clear();
    journal_->setRecording(false);
    const bool rebuilt = orphan.rebuild(MSFGAZ);
    if (!rebuilt) {
        document_.resetGrid();
        document_.markSaved();
        journal_->setRecording(true);
        reportUnrebuilt(orphan);
        return false;
    }
    // Work from a folder that is gone is not this folder's register: its
    // save asks as for a grid that never held it.
    document_.recovered(sameFolder ? orphan.contents()->origin
                                   : RegisterDocument::fromElsewhere(orphan.contents()->origin));
    MSFGAZ.setTopRow(FlexGrid::FixedRows);
    // The journal goes on from its last whole step, so that another crash
    // loses nothing of it either.
    const QString path = orphan.path();
    const qint64 length = orphan.rebuiltLength();
    const size_t leftOut = orphan.batchesLeftOut();
    journal_->adopt(orphan.release(), path, length, orphan.contents()->origin, orphan.contents()->steps);
    journal_->setRecording(true);
    if (leftOut > 0)
        desktop_.messageBox(QStringLiteral("Последние изменения из журнала «%1» (%2) не удалось восстановить: "
                                           "эта часть журнала повреждена. Всё, что было сделано до них, "
                                           "восстановлено.")
                                .arg(QDir::toNativeSeparators(path),
                                     Plural::count(int(leftOut), "запись", "записи", "записей")),
                            programTitle);
    return true;
}

void FrmEKLZ::keepRecoveredAside(OrphanedJournal& orphan)
{
    FlexGrid recovered;
    recovered.setDateReader(&BlockingDate::dayNumber);
    if (!orphan.rebuild(recovered)) {
        reportUnrebuilt(orphan);
        return;
    }
    const RegisterWriter::KeptWork kept = document_.keepRecovered(recovered, orphan.contents()->origin);
    if (kept.path.isEmpty()) {
        const QString aside = QDir::toNativeSeparators(orphan.moveAside());
        desktop_.messageBox(QStringLiteral("Восстановленные изменения не удалось записать в папку «%1»: %2. "
                                           "Журнал с ними не удалён: он перенесён в «%3».")
                                .arg(QDir::toNativeSeparators(document_.backupFolder()),
                                     SaveMessages::systemReason(kept.error), aside),
                            programTitle);
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
            programTitle);
}

void FrmEKLZ::reportUnrebuilt(OrphanedJournal& orphan)
{
    const QString path = QDir::toNativeSeparators(orphan.path());
    const QString aside = QDir::toNativeSeparators(orphan.moveAside());
    desktop_.messageBox(QStringLiteral("Изменения из журнала «%1» не удалось восстановить: он "
                                       "повреждён. Файл не удалён: он перенесён в «%2».")
                            .arg(path, aside),
                        programTitle);
}

bool FrmEKLZ::endOfSession(bool interactionAllowed)
{
    if (!mayLoseWork())
        return true;
    if (!interactionAllowed) {
        overlay_->settle(); // typed but not committed is work too
        journal_->flush();
        return true;
    }
    showExitQuestion();
    // Ends with the question: "НЕТ" ends the program, "ДА" when its save
    // succeeded, "НАЗАД" or a failed save keeps it open.
    bool ends = false;
    QEventLoop answered;
    connect(dialog_, &QObject::destroyed, &answered, &QEventLoop::quit);
    connect(dialog_, &Dialog::saveAndEnd, &answered, [&] { ends = !document_.hasUnsavedChanges(); });
    connect(dialog_, &Dialog::endWithoutSaving, &answered, [&] { ends = true; });
    answered.exec();
    journal_->flush();
    return ends;
}

void FrmEKLZ::endBySignal()
{
    overlay_->settle(); // typed but not committed is work too
    journal_->flush();
    desktop_.quit();
}
