#include "ui/RegisterPrinter.h"

#include "grid/FlexGrid.h"
#include "grid/Twips.h"
#include "ui/CupsJob.h"
#include "ui/PrinterTarget.h"

#include <QDir>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryFile>

namespace RegisterPrinter {

namespace {

class NullTarget : public PrintTarget {
public:
    void setFontName(const QString&) override { }
    void setFontSize(int) override { }
    void setBold(bool) override { }
    void setPenWidth(int) override { }
    void drawLine(int, int, int, int) override { }
    void drawText(float, float, const QString&) override { }
    void newPage() override { }
    void endDocument() override { }
};

} // namespace

PrintPage preparePage(QPrinter& printer)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    const QRectF printable = printer.pageRect(QPrinter::Inch);
    const PrintPage page {printable.width() * Twips::perInch, printable.height() * Twips::perInch};
    printer.setPageSize(QPageSize(QPageSize::A4));
    return page;
}

namespace {

Outcome draw(FlexGrid& grid, QPrinter& printer, PrintPage page, const PrintHeading& heading, const Progress& progress)
{
    const int pages = PrintLayout::pageCount(grid.Rows());
    PrinterTarget::PageBegun pageBegun;
    if (progress)
        pageBegun = [&](int number) { return progress(number, pages); };
    PrinterTarget target(printer, pageBegun);
    if (!target.active() || (pageBegun && !pageBegun(1))) {
        walkOnly(grid, heading);
        return target.active() ? Outcome::Cancelled : Outcome::NotStarted;
    }
    PrintLayout(grid, target, page, heading).run();
    if (target.cancelled())
        return Outcome::Cancelled;
    return target.handedOver() ? Outcome::Printed : Outcome::NotHandedOver;
}

} // namespace

namespace {

// Draws into a PDF file with the page and resolution of like (prepared,
// measured as page), then asks once more, before the file is taken as done,
// whether the user cancelled.
Outcome drawPdf(FlexGrid& grid, const QString& path, const QPrinter& like, PrintPage page, const PrintHeading& heading,
    const Progress& progress)
{
    QPrinter file(QPrinter::HighResolution);
    file.setOutputFormat(QPrinter::PdfFormat);
    file.setOutputFileName(path);
    file.setResolution(like.resolution());
    file.setPageLayout(like.pageLayout());
    file.setDocName(like.docName());
    const Outcome drawn = draw(grid, file, page, heading, progress);
    if (drawn != Outcome::Printed)
        return drawn;
    // A press on "Отмена" while the last page was drawn or the file ended
    // (a second or more for a long job) is still answered.
    const int pages = PrintLayout::pageCount(grid.Rows());
    return progress && !progress(pages + 1, pages) ? Outcome::Cancelled : Outcome::Printed;
}

} // namespace

Outcome toPdf(
    FlexGrid& grid, const QString& path, QPrinter* like, const PrintHeading& heading, const Progress& progress)
{
    if (like)
        return drawPdf(grid, path, *like, preparePage(*like), heading, progress);
    QPrinter paper(QPrinter::HighResolution);
    paper.setOutputFormat(QPrinter::PdfFormat);
    return drawPdf(grid, path, paper, preparePage(paper), heading, progress);
}

Outcome print(FlexGrid& grid, QPrinter& printer, const PrintHeading& heading, const Progress& progress)
{
    const PrintPage page = preparePage(printer);
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return draw(grid, printer, page, heading, progress);
    // A CUPS queue: drawn into a file of the queue's page and resolution
    // first. The file loses its name as soon as it is made, and is written
    // and handed over through its descriptor: however the program ends (a
    // signal, a logout, a kill), nothing of the register stays behind in the
    // temporary folder that every user of the machine shares.
    QTemporaryFile pdf(QDir::tempPath() + QStringLiteral("/palomet-print-XXXXXX.pdf"));
    if (!pdf.open()) {
        walkOnly(grid, heading);
        return Outcome::NotStarted;
    }
    QString through = QStringLiteral("/proc/self/fd/%1").arg(pdf.handle());
    if (QFileInfo::exists(through)) {
        pdf.setAutoRemove(false);
        QFile::remove(pdf.fileName());
    } else {
        through = pdf.fileName(); // no /proc: named until printed
    }
    const Outcome drawn = drawPdf(grid, through, printer, page, heading, progress);
    if (drawn != Outcome::Printed)
        return drawn;
    return CupsJob::submit(printer.printerName(), through, printer.docName(), printer.pageLayout().pageSize().key(),
               printer.pageLayout().orientation() == QPageLayout::Landscape)
               ? Outcome::Printed
               : Outcome::NotHandedOver;
}

void walkOnly(FlexGrid& grid, const PrintHeading& heading)
{
    NullTarget nowhere;
    PrintLayout(grid, nowhere, PrintPage {}, heading).run();
}

} // namespace RegisterPrinter
