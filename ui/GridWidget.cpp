#include "ui/GridWidget.h"

#include "grid/FlexGrid.h"
#include "grid/Twips.h"
#include "ui/GridAccessible.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

GridWidget::GridWidget(FlexGrid& grid, QWidget* parent)
    : QAbstractScrollArea(parent)
    , grid_(grid)
{
    setFrameShape(QFrame::NoFrame);
    // Only a left click takes the focus (see mousePressEvent); Tab still does.
    setFocusPolicy(Qt::TabFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(grid_.font());
    const QPalette pal = palette();
    colors_ = {.back = pal.color(QPalette::Base),
        .fore = pal.color(QPalette::Text),
        .backFixed = pal.color(QPalette::Window),
        .foreFixed = pal.color(QPalette::WindowText),
        .backSel = pal.color(QPalette::Highlight),
        .foreSel = pal.color(QPalette::HighlightedText),
        .backBkg = pal.color(QPalette::Dark),
        .gridLines = pal.color(QPalette::Mid),
        .gridLinesFixed = pal.color(QPalette::WindowText)};

    GridAccessible::install();
    repaintTimer_.setSingleShot(true);
    connect(&repaintTimer_, &QTimer::timeout, this, [this] {
        grid_.contentNoted();
        syncScrollBars();
        viewport()->update();
        announceCurrentCell();
    });
    sinceLastPaint_.start();
    connect(&grid_, &FlexGrid::contentChanged, this, &GridWidget::scheduleRepaint);
    connect(&grid_, &FlexGrid::refreshRequested, viewport(), qOverload<>(&QWidget::repaint));
    connect(&grid_, &FlexGrid::placeChanged, this, &GridWidget::followPlace);
    followPlace();
}

void GridWidget::setColors(const Colors& colors)
{
    colors_ = colors;
    scheduleRepaint();
}

void GridWidget::announceCurrentCell()
{
    if (!QAccessible::isActive() || !hasFocus() || (grid_.Row() == announcedRow_ && grid_.Col() == announcedCol_))
        return;
    announcedRow_ = grid_.Row();
    announcedCol_ = grid_.Col();
    auto* table = dynamic_cast<GridAccessible*>(QAccessible::queryAccessibleInterface(this));
    if (QAccessibleInterface* cell = table ? table->cellFor(announcedRow_, announcedCol_) : nullptr) {
        QAccessibleEvent focus(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void GridWidget::setMarker(Marker marker)
{
    marker_ = std::move(marker);
    scheduleRepaint();
}

void GridWidget::followPlace()
{
    setFont(grid_.font());
    const QRect place(grid_.Left(), grid_.Top(), grid_.Width(), grid_.Height());
    setGeometry(Twips::toPixels(place));
    setVisible(grid_.Visible());
    scheduleRepaint();
}

void GridWidget::scheduleRepaint()
{
    constexpr qint64 frameMs = 16;
    if (repaintTimer_.isActive())
        return;
    repaintTimer_.start(static_cast<int>(std::max<qint64>(0, frameMs - sinceLastPaint_.elapsed())));
}

void GridWidget::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    grid_.setViewportSize(Twips::fromPixels(viewport()->width()), Twips::fromPixels(viewport()->height()));
}

void GridWidget::syncScrollBars()
{
    syncing_ = true;
    verticalScrollBar()->setRange(FlexGrid::FixedRows, grid_.maxTopRow());
    verticalScrollBar()->setPageStep(pageRows());
    verticalScrollBar()->setValue(grid_.TopRow());
    horizontalScrollBar()->setRange(0, grid_.maxLeftCol());
    horizontalScrollBar()->setPageStep(1);
    horizontalScrollBar()->setValue(grid_.LeftCol());
    syncing_ = false;
}

int GridWidget::pageRows() const
{
    // As many entry rows as the scrolling area shows under the header.
    return std::max(
        1, (Twips::fromPixels(viewport()->height()) - grid_.RowHeight(0)) / std::max(1, grid_.RowHeight(grid_.Row())));
}

void GridWidget::scrollContentsBy(int, int)
{
    if (syncing_)
        return;
    grid_.setTopRow(verticalScrollBar()->value());
    grid_.setLeftCol(horizontalScrollBar()->value());
}

int GridWidget::rowAtPixel(int y) const
{
    return grid_.rowAt(Twips::fromPixels(y));
}

int GridWidget::colAtPixel(int x) const
{
    return grid_.colAt(Twips::fromPixels(x));
}

void GridWidget::paintCell(QPainter& painter, int row, int col, const QRect& rect)
{
    const bool fixed = row < FlexGrid::FixedRows;
    const int top = std::min(grid_.Row(), grid_.RowSel());
    const int bottom = std::max(grid_.Row(), grid_.RowSel());
    const int left = std::min(grid_.Col(), grid_.ColSel());
    const int right = std::max(grid_.Col(), grid_.ColSel());
    const bool current = row == grid_.Row() && col == grid_.Col();
    // The current cell is shown as selected while the focus is elsewhere (on
    // «Поиск», the input line): what a button acts on is always in sight.
    const bool selected =
        !fixed && (!current || !hasFocus()) && row >= top && row <= bottom && col >= left && col <= right;

    QColor back = fixed ? colors_.backFixed : (selected ? colors_.backSel : colors_.back);
    QColor fore = fixed ? colors_.foreFixed : (selected ? colors_.foreSel : colors_.fore);
    if (!fixed && !selected && marker_) {
        if (const std::optional<Mark> mark = marker_(row, col, nullptr)) {
            back = mark->back;
            fore = mark->fore;
        }
    }
    painter.fillRect(rect, back);
    painter.setPen(fixed ? colors_.gridLinesFixed : colors_.gridLines);
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());

    const int margin = Twips::toPixels(FlexGrid::textMargin);
    const QRect textRect = rect.adjusted(margin, 0, -margin, 0);
    painter.setPen(fore);
    // No cell shows more than a few hundred characters: a text of a megabyte
    // is not laid out whole on every frame to be cut off by the cell.
    constexpr qsizetype shownAtMost = 512;
    painter.drawText(textRect, static_cast<int>(grid_.ColAlignment(col) | Qt::AlignVCenter),
        grid_.cellText(row, col).first(shownAtMost).toString());
    if (current && hasFocus()) {
        painter.setPen(QPen(fore, 1, Qt::DotLine));
        painter.drawRect(rect.adjusted(1, 1, -2, -2));
    }
}

void GridWidget::paintEvent(QPaintEvent*)
{
    sinceLastPaint_.restart();
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), colors_.backBkg);
    const int width = viewport()->width();
    const int height = viewport()->height();

    auto paintRow = [&](int row, int y, int rowHeight) {
        int x = 0;
        for (int col = grid_.LeftCol(); col < grid_.Cols() && x < width; ++col) {
            const int colWidth = Twips::toPixels(grid_.ColWidth(col));
            if (colWidth > 0)
                paintCell(painter, row, col, QRect(x, y, colWidth, rowHeight));
            x += colWidth;
        }
    };
    const int headerHeight = Twips::toPixels(grid_.RowHeight(0));
    int y = headerHeight;
    for (int row = grid_.TopRow(); row < grid_.Rows() && y < height; ++row) {
        const int rowHeight = Twips::toPixels(grid_.RowHeight(row));
        paintRow(row, y, rowHeight);
        y += rowHeight;
    }
    paintRow(0, 0, headerHeight);
}

bool GridWidget::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QAbstractScrollArea::viewportEvent(event);
    // What the cell's mark says, and its whole text where the column cuts it.
    const QPoint pos = static_cast<QHelpEvent*>(event)->pos();
    const int row = rowAtPixel(pos.y());
    const int col = colAtPixel(pos.x());
    QStringList tip;
    if (row >= 0 && col >= 0) {
        QString markTip;
        if (marker_ && row > 0 && marker_(row, col, &markTip))
            tip << markTip;
        const QString text = grid_.cellText(row, col).toString();
        const int room = Twips::toPixels(grid_.ColWidth(col) - 2 * FlexGrid::textMargin);
        if (fontMetrics().horizontalAdvance(text) > room)
            tip << text;
    }
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip.join(u'\n'), viewport());
    return true;
}

// A click is a left-button click: the other buttons leave the grid, its
// current cell and its focus as they were.
void GridWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    grid_.userPress(rowAtPixel(pos.y()), colAtPixel(pos.x()));
    dragging_ = true;
}

void GridWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    const QPoint pos = event->position().toPoint();
    const int row = rowAtPixel(pos.y());
    const int col = colAtPixel(pos.x());
    if (row >= 0 && col >= 0)
        grid_.userDrag(row, col);
}

void GridWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = false;
    const QPoint pos = event->position().toPoint();
    grid_.userRelease(rowAtPixel(pos.y()), colAtPixel(pos.x()));
}

void GridWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        emit copyRequested();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        emit pasteRequested();
        return;
    }
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        emit contextMenuRequested(currentCellOnScreen());
        return;
    }
    if (event->key() == Qt::Key_F2 || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit editRequested();
        return;
    }
    const int page = pageRows();
    // With Shift the arrows move the selection's far corner, so that several
    // cells are selected (and copied) without the mouse.
    const bool widen = event->modifiers() & Qt::ShiftModifier;
    int row = widen ? grid_.RowSel() : grid_.Row();
    int col = widen ? grid_.ColSel() : grid_.Col();
    switch (event->key()) {
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Left:
        --col;
        break;
    case Qt::Key_Right:
        ++col;
        break;
    case Qt::Key_PageUp:
        row -= page;
        break;
    case Qt::Key_PageDown:
        row += page;
        break;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier)
            row = FlexGrid::FixedRows;
        col = 0;
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier)
            row = grid_.Rows() - 1;
        col = grid_.Cols() - 1;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (!widen)
        grid_.userMoveTo(row, col);
    else if (grid_.Rows() > FlexGrid::FixedRows)
        grid_.userDrag(std::clamp(row, FlexGrid::FixedRows, grid_.Rows() - 1), std::clamp(col, 0, grid_.Cols() - 1));
}

void GridWidget::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    scheduleRepaint();
    grid_.userFocusIn();
}

QPoint GridWidget::currentCellOnScreen() const
{
    const QRect cell(grid_.colLeft(grid_.Col()), grid_.rowTop(grid_.Row()), grid_.ColWidth(grid_.Col()),
        grid_.RowHeight(grid_.Row()));
    return viewport()->mapToGlobal(Twips::toPixels(cell).center());
}

void GridWidget::contextMenuEvent(QContextMenuEvent* event)
{
    emit contextMenuRequested(
        event->reason() == QContextMenuEvent::Keyboard ? currentCellOnScreen() : event->globalPos());
}
