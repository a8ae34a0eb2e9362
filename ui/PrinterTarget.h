#pragma once

#include "print/PrintTarget.h"

#include <QFont>
#include <QPainter>

class QPrinter;

// Plays the printed register onto a printer (or a PDF file) whose page setup
// is done: twips are mapped onto the printer's resolution, pen widths are in
// the printer's dots.
class PrinterTarget : public PrintTarget
{
public:
    explicit PrinterTarget(QPrinter& printer);
    ~PrinterTarget() override;

    bool active() const { return painter_.isActive(); }
    // Whether the document was ended and handed to the printer without an error
    // that Qt reports.
    bool handedOver() const { return handedOver_; }

    void setFontName(const QString& name) override;
    void setFontSize(int points) override;
    void setBold(bool bold) override;
    void setPenWidth(int dots) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawText(float x, float y, const QString& text) override;
    void newPage() override;
    void endDocument() override;

private:
    void applyFont();

    QPrinter& printer_;
    QPainter painter_;
    QFont font_;
    qreal ascent_ = 0; // of the current font, in twips
    bool handedOver_ = false;
};
