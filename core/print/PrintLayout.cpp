#include "print/PrintLayout.h"

#include "register/RegisterLayout.h"

#include "grid/FlexGrid.h"
#include "print/PrintTarget.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr int ruleStart = 4;
constexpr int ruleEnd = 88;
constexpr int labelColumn = 84;
constexpr int titleColumn = 25;
constexpr int lastLine = 38;

int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

// A 16-bit product, or nothing when it overflows.
std::optional<int> product(int a, int b)
{
    const long long result = static_cast<long long>(a) * b;
    if (result < std::numeric_limits<qint16>::min() || result > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<int>(result);
}

} // namespace

const QString PrintLayout::fontName = QStringLiteral("Times New Roman cyr");

PrintLayout::PrintLayout(FlexGrid& grid, PrintTarget& target, PrintPage page, PrintHeading heading)
    : grid_(grid)
    , target_(target)
    , heading_(std::move(heading))
    , u_(roundHalfEven(page.width * 0.01))
    , v_(roundHalfEven(page.height * 0.02))
{
}

int PrintLayout::advance(int p, int col, int n)
{
    if (col >= int(RegisterLayout::printedWidths.size()) || n == 0)
        return p; // no width constant, or a width divided by nothing
    const double constant = RegisterLayout::printedWidths[size_t(col)];
    return roundHalfEven(p + constant / n - constant / (4.0 * n));
}

QString PrintLayout::pageLabel(int page)
{
    // A number prints with a blank for its sign and one after it.
    return QStringLiteral("стр. ") + QStringLiteral(" %1 ").arg(page);
}

void PrintLayout::rule(int line)
{
    const auto x1 = product(ruleStart, u_);
    const auto x2 = product(ruleEnd, u_);
    const auto y = product(line, v_);
    if (x1 && x2 && y)
        target_.drawLine(*x1, *y, *x2, *y);
}

void PrintLayout::verticalLine(int p, int line)
{
    const auto x = product(p, u_);
    const auto top = product(line, v_);
    const auto bottom = product(line + 1, v_);
    if (x && top && bottom)
        target_.drawLine(*x, *top, *x, *bottom);
}

// gridRow 0 draws the column-title row from the stored titles.
void PrintLayout::drawRow(int line, int gridRow)
{
    const int cols = grid_.Cols();
    int p = ruleStart;
    for (int c = 0; c < cols; ++c) {
        target_.setPenWidth(c == 1 ? thickPen : thinPen);
        verticalLine(p, line);
        QString text;
        if (gridRow == 0) {
            if (c < titleEntries)
                text = titles_[c];
        } else {
            grid_.setRow(gridRow);
            grid_.setCol(c);
            text = grid_.Text();
        }
        target_.drawText(static_cast<float>((p + 0.2) * u_), static_cast<float>((line + 0.1) * v_), text);
        p = advance(p, c, cols - 1);
    }
    target_.setPenWidth(thickPen);
    verticalLine(p, line);
}

void PrintLayout::drawPageLabel()
{
    if (const auto x = product(labelColumn, u_))
        target_.drawText(static_cast<float>(*x), static_cast<float>(39.1 * v_), pageLabel(page_));
}

void PrintLayout::breakPage(int line)
{
    // Drawn over the thin rule under the page's last row.
    target_.setPenWidth(thickPen);
    rule(line);
    drawPageLabel();
    target_.newPage();
    ++page_;
    target_.setFontName(fontName);
    target_.setFontSize(10);
    target_.setPenWidth(thickPen);
    rule(0);
    target_.setPenWidth(thinPen);
    drawRow(0, 0);
    target_.setPenWidth(thickPen);
    rule(1);
    target_.setPenWidth(thinPen);
}

int PrintLayout::pageCount(int rows)
{
    // As run() breaks them: its first entry on line 3 of page 1.
    int line = 3;
    int pages = 1;
    for (int r = 1; r < rows; ++r) {
        if (line > lastLine) {
            ++pages;
            line = 1;
        }
        ++line;
    }
    return pages;
}

void PrintLayout::run()
{
    target_.setFontName(fontName);
    target_.setFontSize(10);

    const int cols = grid_.Cols();
    for (int c = 0; c < cols; ++c) {
        grid_.setRow(0);
        grid_.setCol(c);
        if (c < titleEntries)
            titles_[c] = grid_.Text();
    }

    QString title =
        QStringLiteral(" PALOMET ") + QStringLiteral(" от  ") + heading_.date + QStringLiteral(" ") + heading_.time;
    target_.setBold(true);
    // The register, whole, is headed in large print; what it holds or shows
    // otherwise is said after the title, the line then set in the table's
    // size from the table's left edge so that all of it fits the page.
    const bool noted = !heading_.note.isEmpty();
    if (noted)
        title += QStringLiteral(" — ") + heading_.note;
    target_.setFontSize(noted ? 10 : 14);
    if (const auto x = product(noted ? ruleStart : titleColumn, u_))
        target_.drawText(static_cast<float>(*x), 0.0f, title);

    int line = 2;
    target_.setFontSize(10);
    target_.setPenWidth(thickPen);
    rule(line);
    target_.setPenWidth(thinPen);
    drawRow(line, 0);
    ++line;
    target_.setBold(false);
    target_.setPenWidth(thickPen);
    rule(line);
    target_.setPenWidth(thinPen);

    const int rows = grid_.Rows();
    for (int r = 1; r < rows; ++r) {
        if (line > lastLine) {
            breakPage(line);
            line = 1;
        }
        drawRow(line, r);
        target_.setPenWidth(thinPen);
        ++line;
        rule(line);
    }

    target_.setPenWidth(thickPen);
    ++line;
    rule(line);
    drawPageLabel();
    target_.endDocument();
}
