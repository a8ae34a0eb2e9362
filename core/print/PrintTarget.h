#pragma once

#include <QString>

// Where the printed register's drawing operations go, in twips on the page.
// A text is drawn with the top-left corner of its line at (x, y).
class PrintTarget {
public:
    virtual ~PrintTarget() = default;

    virtual void setFontName(const QString& name) = 0;
    virtual void setFontSize(int points) = 0;
    virtual void setBold(bool bold) = 0;
    virtual void setPenWidth(int dots) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2) = 0;
    virtual void drawText(float x, float y, const QString& text) = 0;
    virtual void newPage() = 0;
    virtual void endDocument() = 0;
};
