#include "app/shown/PdfExport.h"

#include "app/desktop/Desktop.h"
#include "app/desktop/ProgramTitle.h"
#include "app/document/SaveMessages.h"
#include "app/shown/ShownEntries.h"
#include "grid/FlexGrid.h"
#include "storage/StagedFile.h"
#include "ui/RegisterPrinter.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QStandardPaths>
#include <QTime>
#include <cerrno>

PdfExport::PdfExport(FlexGrid& grid, Desktop& desktop, const ShownEntries& shown)
    : grid_(grid)
    , desktop_(desktop)
    , shown_(shown)
{
}

namespace {

// The documents folder where it exists (a new account may have none yet),
// else the home folder.
QString suggestedFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// Why a file could not be created at path: a folder that is not there is
// said as such, anything else as the system says it.
QString whyNotCreated(const QString& path, int error)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (error == ENOENT && !QFileInfo(folder).isDir())
        return QStringLiteral("папки «%1» нет").arg(QDir::toNativeSeparators(folder));
    return SaveMessages::systemReason(error);
}

} // namespace

void PdfExport::run()
{
    const QDate today = QDate::currentDate();
    const PrintHeading heading {today.toString(QStringLiteral("dd.MM.yyyy")),
        QTime::currentTime().toString(QStringLiteral("H:mm:ss")), shown_.note()};
    save(desktop_, QStringLiteral("Журнал ЭКЛЗ %1.pdf").arg(heading.date),
        [&](const QString& path, QPrinter* like, const RegisterPrinter::Progress& progress) {
            return RegisterPrinter::toPdf(grid_, path, like, heading, progress);
        });
}

void PdfExport::save(Desktop& desktop, const QString& fileName, const Writer& write)
{
    const QString path = desktop.saveFileBox(
        QStringLiteral("Сохранить в PDF"), QDir(suggestedFolder()).filePath(fileName), QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    const QString shown = QDir::toNativeSeparators(path);
    StagedFile file(path);
    if (!file.open(0644)) {
        desktop.messageBox(
            QStringLiteral("PDF «%1» не сохранён: %2. Файл не создан.").arg(shown, whyNotCreated(path, errno)),
            programTitle());
        return;
    }
    // The printer's page where there is a default printer, so that the file
    // is what the printer would print.
    const std::unique_ptr<QPrinter> printer = desktop.defaultPrinter();
    RegisterPrinter::Outcome outcome;
    {
        const Desktop::BusyScope busy(desktop);
        outcome = write(
            QStringLiteral("/proc/self/fd/%1").arg(file.handle()), printer.get(), [&desktop](int page, int pages) {
                return desktop.printProgress(page, pages, QStringLiteral("Сохранение в PDF"));
            });
        desktop.printEnded();
    }
    if (outcome == RegisterPrinter::Outcome::Printed && file.commit())
        return;
    const int error = errno;
    file.cancel();
    desktop.messageBox(outcome == RegisterPrinter::Outcome::Cancelled
                           ? QStringLiteral("PDF «%1» не сохранён: сохранение отменено, файл не создан.").arg(shown)
                           : QStringLiteral("PDF «%1» не сохранён: %2. Файл не создан.")
                                 .arg(shown, outcome == RegisterPrinter::Outcome::Printed
                                                 ? SaveMessages::systemReason(error)
                                                 : QStringLiteral("файл не удалось записать")),
        programTitle());
}
