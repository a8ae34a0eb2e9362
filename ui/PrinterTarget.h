#pragma once

#include "print/PrintTarget.h"

#include <QFont>
#include <QPainter>
#include <functional>

class QPrinter;

// Plays the printed register onto a printer (or a PDF file) whose page setup
// is done: twips are mapped onto the printer's resolution, pen widths are in
// the printer's dots.
class PrinterTarget : public PrintTarget {
public:
    // Told of every page begun after the first, with its number; answering
    // false ends the job there: nothing more is drawn.
    using PageBegun = std::function<bool(int page)>;
    explicit PrinterTarget(QPrinter& printer, PageBegun pageBegun = {});
    ~PrinterTarget() override;

    bool active() const { return painter_.isActive(); }
    // Whether the document was ended and handed to the printer without an error
    // that Qt reports.
    bool handedOver() const { return handedOver_; }
    bool cancelled() const { return cancelled_; }

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
    PageBegun pageBegun_;
    int page_ = 1;
    bool cancelled_ = false;
};
