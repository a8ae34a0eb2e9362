#pragma once

#include <QString>

class FlexGrid;
class PrintTarget;

// The title line of page 1: the day and time of printing, and what the
// grid holds when it is not the whole register (an archive, a filter), or
// nothing.
struct PrintHeading {
    QString date;
    QString time;
    QString note = {};
};

// The printed register: the grid as a ruled table, landscape, with a title
// line on page 1, the column titles on every page and a page label.
//
// The page is measured in columns of u = 1/100 of the printable width W and
// lines of v = 1/50 of its height H. Positions are 16-bit integers as the
// register's first printed form had them: a product that does not fit
// abandons the one line or text that needed it, and the job goes on.
struct PrintPage {
    double width = 0; // W, twips
    double height = 0; // H, twips
};

class PrintLayout {
public:
    static constexpr int titleEntries = 31;
    static constexpr int thickPen = 2;
    static constexpr int thinPen = 1;
    static const QString fontName;

    PrintLayout(FlexGrid& grid, PrintTarget& target, PrintPage page, PrintHeading heading);

    // Reads the grid by moving its current cell over every cell, and sends
    // the whole job to the target.
    void run();

    // The column position after a cell of column col that starts at p, with
    // n = Cols - 1: three quarters of its width constant over n, rounded.
    static int advance(int p, int col, int n);
    static QString pageLabel(int page);
    // How many pages run() prints for a grid of rows rows, header included.
    static int pageCount(int rows);

private:
    void rule(int line);
    void verticalLine(int p, int line);
    void drawRow(int line, int gridRow);
    void breakPage(int line);
    void drawPageLabel();

    FlexGrid& grid_;
    PrintTarget& target_;
    const PrintHeading heading_;
    int u_ = 0;
    int v_ = 0;
    int page_ = 1;
    QString titles_[titleEntries];
};
