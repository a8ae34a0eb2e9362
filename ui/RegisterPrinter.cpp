#include "ui/RegisterPrinter.h"

#include "grid/Twips.h"
#include "ui/PrinterTarget.h"

#include <QPageSize>
#include <QPrinter>

namespace RegisterPrinter {

namespace {

class NullTarget : public PrintTarget
{
public:
    void setFontName(const QString&) override {}
    void setFontSize(int) override {}
    void setBold(bool) override {}
    void setPenWidth(int) override {}
    void drawLine(int, int, int, int) override {}
    void drawText(float, float, const QString&) override {}
    void newPage() override {}
    void endDocument() override {}
};

} // namespace

PrintPage preparePage(QPrinter& printer)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    const QRectF printable = printer.pageRect(QPrinter::Inch);
    const PrintPage page{printable.width() * Twips::perInch, printable.height() * Twips::perInch};
    printer.setPageSize(QPageSize(QPageSize::A4));
    return page;
}

Outcome print(FlexGrid& grid, QPrinter& printer, const QString& dateText, const QString& timeText)
{
    const PrintPage page = preparePage(printer);
    PrinterTarget target(printer);
    if (!target.active()) {
        walkOnly(grid, dateText, timeText);
        return Outcome::NotStarted;
    }
    PrintLayout(grid, target, page, dateText, timeText).run();
    return target.handedOver() ? Outcome::Printed : Outcome::NotHandedOver;
}

void walkOnly(FlexGrid& grid, const QString& dateText, const QString& timeText)
{
    NullTarget nowhere;
    PrintLayout(grid, nowhere, PrintPage{}, dateText, timeText).run();
}

} // namespace RegisterPrinter
