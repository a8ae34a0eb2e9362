#include "ui/TablePrinter.h"

#include "print/PrintLayout.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <numeric>

namespace TablePrinter {

namespace {

// One page's worth of drawing, in the page's own units.
class Pages {
public:
    Pages(QPainter& painter, const Table& table, QRectF page)
        : painter_(painter)
        , table_(table)
        , page_(page)
        , font_(PrintLayout::fontName, 9)
    {
        painter_.setFont(font_);
        const QFontMetricsF metrics(font_, painter_.device());
        rowHeight_ = metrics.height() * 1.5;
        padding_ = metrics.averageCharWidth() * 0.6;
        measure(metrics);
        const double titleLines = 3.5; // the title, the line under it, a gap
        const double usable = page_.height() - rowHeight_ * 2; // the page label's room
        firstPageRows_ = std::max(1, int((usable - rowHeight_ * titleLines) / rowHeight_) - 1);
        pageRows_ = std::max(1, int(usable / rowHeight_) - 1);
    }

    int pageCount() const
    {
        const int rows = int(table_.rows.size());
        if (rows <= firstPageRows_)
            return 1;
        return 1 + (rows - firstPageRows_ + pageRows_ - 1) / pageRows_;
    }

    // Draws page (1 on) and answers the first row of the next.
    size_t draw(int page, size_t row)
    {
        double y = page_.top();
        int rows = pageRows_;
        if (page == 1) {
            QFont title = font_;
            title.setBold(true);
            title.setPointSizeF(12);
            painter_.setFont(title);
            painter_.drawText(QRectF(page_.left(), y, page_.width(), rowHeight_ * 1.5),
                Qt::AlignLeft | Qt::AlignVCenter, table_.title);
            y += rowHeight_ * 1.5;
            painter_.setFont(font_);
            painter_.drawText(
                QRectF(page_.left(), y, page_.width(), rowHeight_), Qt::AlignLeft | Qt::AlignVCenter, table_.subtitle);
            y += rowHeight_ * 2;
            rows = firstPageRows_;
        }
        QFont bold = font_;
        bold.setBold(true);
        painter_.setFont(bold);
        drawRow(y, table_.headers, 2);
        painter_.setFont(font_);
        y += rowHeight_;
        for (int i = 0; i < rows && row < table_.rows.size(); ++i, ++row, y += rowHeight_)
            drawRow(y, table_.rows[row], 1);
        painter_.drawText(QRectF(page_.left(), page_.bottom() - rowHeight_, page_.width(), rowHeight_),
            Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("стр. %1 из %2").arg(page).arg(pageCount()));
        return row;
    }

private:
    void measure(const QFontMetricsF& metrics)
    {
        widths_.assign(size_t(table_.headers.size()), 0);
        auto widen = [&](const QStringList& texts) {
            for (qsizetype c = 0; c < texts.size() && c < qsizetype(widths_.size()); ++c)
                widths_[size_t(c)] = std::max(widths_[size_t(c)], metrics.horizontalAdvance(texts[c]) + 2 * padding_);
        };
        QFont bold = font_;
        bold.setBold(true);
        const QFontMetricsF boldMetrics(bold, painter_.device());
        for (qsizetype c = 0; c < table_.headers.size(); ++c)
            widths_[size_t(c)] = boldMetrics.horizontalAdvance(table_.headers[c]) + 2 * padding_;
        for (const QStringList& row : table_.rows)
            widen(row);
        const double total = std::accumulate(widths_.begin(), widths_.end(), 0.0);
        if (total > page_.width())
            for (double& width : widths_)
                width *= page_.width() / total;
    }

    void drawRow(double y, const QStringList& texts, int penWidth)
    {
        double x = page_.left();
        const QFontMetricsF metrics(painter_.font(), painter_.device());
        const double thin = painter_.device()->logicalDpiX() / 150.0;
        painter_.setPen(QPen(Qt::black, thin * penWidth));
        for (size_t c = 0; c < widths_.size(); ++c) {
            const QRectF cell(x, y, widths_[c], rowHeight_);
            painter_.drawRect(cell);
            const QString text =
                metrics.elidedText(texts.value(qsizetype(c)), Qt::ElideRight, cell.width() - 2 * padding_);
            painter_.drawText(cell.adjusted(padding_, 0, -padding_, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
            x += widths_[c];
        }
    }

    QPainter& painter_;
    const Table& table_;
    const QRectF page_;
    const QFont font_;
    double rowHeight_ = 0;
    double padding_ = 0;
    int firstPageRows_ = 1;
    int pageRows_ = 1;
    std::vector<double> widths_;
};

RegisterPrinter::Outcome paint(QPrinter& printer, const Table& table, const RegisterPrinter::Progress& progress)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(table.title);
    QPainter painter;
    if (!painter.begin(&printer))
        return RegisterPrinter::Outcome::NotStarted;
    Pages pages(
        painter, table, QRectF(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size()));
    const int count = pages.pageCount();
    size_t row = 0;
    for (int page = 1; page <= count; ++page) {
        if (progress && !progress(page, count)) {
            printer.abort();
            return RegisterPrinter::Outcome::Cancelled;
        }
        if (page > 1)
            printer.newPage();
        row = pages.draw(page, row);
    }
    if (progress && !progress(count + 1, count)) {
        printer.abort();
        return RegisterPrinter::Outcome::Cancelled;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return RegisterPrinter::Outcome::NotHandedOver;
    return RegisterPrinter::Outcome::Printed;
}

} // namespace

RegisterPrinter::Outcome print(QPrinter& printer, const Table& table, const RegisterPrinter::Progress& progress)
{
    return paint(printer, table, progress);
}

RegisterPrinter::Outcome toPdf(
    const QString& path, QPrinter* like, const Table& table, const RegisterPrinter::Progress& progress)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    if (like) {
        printer.setPageLayout(like->pageLayout());
    } else {
        printer.setPageSize(QPageSize(QPageSize::A4));
    }
    return paint(printer, table, progress);
}

} // namespace TablePrinter
