#include "ui/PrinterTarget.h"

#include "grid/Twips.h"

#include <QPrinter>

PrinterTarget::PrinterTarget(QPrinter& printer, PageBegun pageBegun)
    : printer_(printer)
    , pageBegun_(std::move(pageBegun))
{
    if (!painter_.begin(&printer_))
        return;
    // The page's printable area, in twips, from its top-left corner.
    const double scale = printer_.resolution() / double(Twips::perInch);
    painter_.scale(scale, scale);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    font_.setPixelSize(10 * 20);
    applyFont();
    setPenWidth(1);
}

PrinterTarget::~PrinterTarget()
{
    if (painter_.isActive())
        painter_.end();
}

void PrinterTarget::applyFont()
{
    if (!painter_.isActive())
        return;
    painter_.setFont(font_);
    ascent_ = painter_.fontMetrics().ascent();
}

void PrinterTarget::setFontName(const QString& name)
{
    font_.setFamily(name);
    applyFont();
}

void PrinterTarget::setFontSize(int points)
{
    // Under the twips transform a font's pixel is a twip: 20 to the point.
    font_.setPixelSize(points * 20);
    applyFont();
}

void PrinterTarget::setBold(bool bold)
{
    font_.setBold(bold);
    applyFont();
}

void PrinterTarget::setPenWidth(int dots)
{
    if (!painter_.isActive())
        return;
    QPen pen(Qt::black);
    pen.setCosmetic(true); // in device dots, whatever the transform
    pen.setWidth(dots);
    painter_.setPen(pen);
}

void PrinterTarget::drawLine(int x1, int y1, int x2, int y2)
{
    if (painter_.isActive())
        painter_.drawLine(x1, y1, x2, y2);
}

void PrinterTarget::drawText(float x, float y, const QString& text)
{
    if (!painter_.isActive() || text.isEmpty())
        return;
    // (x, y) is the top of the text's line; Qt draws from its baseline.
    // Texts are printed whole: neither clipped nor wrapped.
    painter_.drawText(QPointF(x, y + ascent_), text);
}

void PrinterTarget::newPage()
{
    if (!painter_.isActive())
        return;
    if (pageBegun_ && !pageBegun_(++page_)) {
        cancelled_ = true;
        painter_.end();
        return;
    }
    printer_.newPage();
}

void PrinterTarget::endDocument()
{
    if (painter_.isActive())
        handedOver_ = painter_.end() && printer_.printerState() != QPrinter::Error;
}
