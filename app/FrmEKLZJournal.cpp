// The main window and its work journal: recovery at start, and the ends of a
// session that leave no time for a save.
#include "app/FrmEKLZ.h"

#include "app/Desktop.h"
#include "app/Dialog.h"
#include "app/Plural.h"
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
        if (!sameFolder(contents->origin.programFolder, folder))
            continue; // the work of another register folder waits for a start there
        if (contents->batches.empty()) {
            orphan.remove(); // begun, but no change reached the disk
            continue;
        }
        const QString question =
            QStringLiteral("Palomet был закрыт, не сохранив изменения в %1 (%2, последнее %3). "
                           "Восстановить их?")
                .arg(RegisterDocument::originName(contents->origin), Plural::count(std::max(1, contents->steps), "изменение", "изменения", "изменений"),
                     QDateTime::fromMSecsSinceEpoch(contents->lastChangeMs)
                         .toString(QStringLiteral("dd.MM.yyyy HH:mm")));
        if (desktop_.askYesNoDefaultYes(question, programTitle)) {
            if (takeRecovered(orphan))
                return; // the others are offered at the next start
        } else {
            keepRecoveredAside(orphan);
        }
    }
}

bool FrmEKLZ::takeRecovered(OrphanedJournal& orphan)
{
    overlay_->drop();
    history_.clear();
    journal_->setRecording(false);
    const bool rebuilt = orphan.rebuild(MSFGAZ);
    if (!rebuilt) {
        document_.resetGrid();
        document_.markSaved();
        journal_->setRecording(true);
        const QString aside = orphan.moveAside();
        desktop_.messageBox(QStringLiteral("Изменения из журнала «%1» не удалось восстановить: он "
                                           "повреждён. Файл не удалён: он перенесён в «%2».")
                                .arg(QDir::toNativeSeparators(orphan.path()), QDir::toNativeSeparators(aside)),
                            programTitle);
        return false;
    }
    document_.recovered(orphan.contents()->origin);
    MSFGAZ.setTopRow(FlexGrid::FixedRows);
    // The journal goes on from its last whole step, so that another crash
    // loses nothing of it either.
    const QString path = orphan.path();
    const qint64 length = orphan.contents()->wholeLength;
    journal_->adopt(orphan.release(), path, length);
    journal_->setRecording(true);
    return true;
}

void FrmEKLZ::keepRecoveredAside(OrphanedJournal& orphan)
{
    FlexGrid recovered;
    recovered.setDateReader(&BlockingDate::dayNumber);
    const QString kept = orphan.rebuild(recovered)
                             ? document_.keepRecovered(recovered, orphan.contents()->origin)
                             : QString();
    // The kept version holds the file's seven columns: text past them stays
    // in the journal, set aside.
    if (!kept.isEmpty() && !RegisterWriter::firstTextNotSaved(recovered)) {
        orphan.remove();
        return;
    }
    const QString aside = QDir::toNativeSeparators(orphan.moveAside());
    const QString why =
        kept.isEmpty()
            ? QStringLiteral("Восстановленные изменения не удалось записать в папку «%1».")
                  .arg(QDir::toNativeSeparators(document_.backupFolder()))
            : QStringLiteral("Восстановленные изменения записаны в «%1», но текст правее седьмой колонки в "
                             "этот файл не входит.")
                  .arg(QDir::toNativeSeparators(kept));
    desktop_.messageBox(why + QStringLiteral(" Журнал с ними не удалён: он перенесён в «%1».").arg(aside),
                        programTitle);
}

bool FrmEKLZ::endOfSession(bool interactionAllowed)
{
    if (!mayLoseWork())
        return true;
    if (!interactionAllowed) {
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
