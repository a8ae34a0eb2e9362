#include "app/due/BlockingDates.h"

#include "app/desktop/Desktop.h"
#include "app/desktop/ProgramTitle.h"
#include "app/document/RegisterDocument.h"
#include "app/shown/PdfExport.h"
#include "grid/FlexGrid.h"
#include "storage/ArchiveName.h"

#include <QPrinter>

BlockingDates::BlockingDates(
    QWidget& window, FlexGrid& grid, Desktop& desktop, RegisterDocument& document, ShownEntries& shown)
    : window_(window)
    , grid_(grid)
    , desktop_(desktop)
    , document_(document)
    , opener_(window, grid, desktop, document, shown)
{
}

void BlockingDates::run()
{
    if (!list_) {
        list_ = new DueWindow(&window_);
        connect(list_, &DueWindow::chosen, this, [this](const QString& path, int row, const QStringList& cells) {
            if (opener_.open(path, row, cells, QStringLiteral("Сроки блокировки…")) && list_)
                list_->close(); // the entry is shown; the list would stay behind the window
        });
        connect(list_, &DueWindow::printWanted, this, &BlockingDates::print);
        connect(list_, &DueWindow::pdfWanted, this, &BlockingDates::savePdf);
    }
    std::vector<DueList::Source> sources =
        ArchiveName::listed(document_.archiveFolder(), {{QStringLiteral("текущий журнал"), QString()}});
    const GridModel& model = grid_.model();
    const DueColumns columns {model.columnWithKey(RegisterLayout::serialColumn),
        model.columnWithKey(RegisterLayout::activationColumn), model.columnWithKey(4), model.columnWithKey(5)};
    list_->show();
    list_->raise();
    list_->activateWindow();
    list_->read(model.snapshot(), columns, std::move(sources), today_.isValid() ? today_ : QDate::currentDate());
}

void BlockingDates::print()
{
    const std::unique_ptr<QPrinter> printer = desktop_.defaultPrinter();
    if (!printer) {
        desktop_.messageBox(QStringLiteral("Список не напечатан: в системе нет доступного принтера. Назначьте "
                                           "принтер по умолчанию и повторите печать."),
            programTitle());
        return;
    }
    RegisterPrinter::Outcome outcome;
    {
        const Desktop::BusyScope busy(desktop_);
        outcome = TablePrinter::print(*printer, list_->printed(),
            [this](int page, int pages) { return desktop_.printProgress(page, pages, QStringLiteral("Печать")); });
        desktop_.printEnded();
    }
    if (outcome == RegisterPrinter::Outcome::Printed)
        return;
    const QString name = printer->printerName().isEmpty() ? printer->outputFileName() : printer->printerName();
    desktop_.messageBox(outcome == RegisterPrinter::Outcome::Cancelled
                            ? QStringLiteral("Список не напечатан: печать отменена, на принтер ничего не отправлено.")
                            : QStringLiteral("Список не напечатан: принтер «%1» не принял задание. Проверьте принтер и "
                                             "повторите печать.")
                                  .arg(name),
        programTitle());
}

void BlockingDates::savePdf()
{
    const TablePrinter::Table table = list_->printed();
    PdfExport::save(desktop_, table.title + QStringLiteral(".pdf"),
        [&table](const QString& path, QPrinter* like, const RegisterPrinter::Progress& progress) {
            return TablePrinter::toPdf(path, like, table, progress);
        });
}
