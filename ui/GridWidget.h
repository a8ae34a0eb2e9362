#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <optional>

class FlexGrid;

// Draws a FlexGrid and turns the mouse, the keys and the focus into its user
// actions. Holds no cell state of its own: everything it shows is read from
// the grid at paint time. Changes are coalesced into at most one repaint per
// frame, so a pass that writes a cell and yields on every row does not paint
// on every row.
class GridWidget : public QAbstractScrollArea {
    Q_OBJECT
public:
    struct Colors {
        QColor back;
        QColor fore;
        QColor backFixed;
        QColor foreFixed;
        QColor backSel;
        QColor foreSel;
        QColor backBkg;
        QColor gridLines;
        QColor gridLinesFixed;
    };

    explicit GridWidget(FlexGrid& grid, QWidget* parent = nullptr);

    FlexGrid& grid() const { return grid_; }

    void setColors(const Colors& colors);

    // A cell the window marks: a fixed background with its fixed text
    // colour. The selection still shows over it. The marker writes what the
    // mark's tooltip says into tip when it is given one: only when a tooltip
    // is asked for, never at painting, since it may take a walk over the
    // entries.
    struct Mark {
        QColor back;
        QColor fore;
    };
    using Marker = std::function<std::optional<Mark>(int row, int col, QString* tip)>;
    void setMarker(Marker marker);

    // Follows the grid's place and visibility (given in twips).
    void followPlace();

signals:
    // A right press, the menu key or Shift+F10 over the grid: the window's
    // menu, at the pointer or, from the keyboard, at the current cell.
    void contextMenuRequested(const QPoint& globalPos);
    // F2, Enter or Return: the current cell is to be edited.
    void editRequested();
    // Ctrl+C and Ctrl+V while the grid has the focus.
    void copyRequested();
    void pasteRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    void scheduleRepaint();
    // The current cell's middle on the screen, where a menu opened from the
    // keyboard goes.
    QPoint currentCellOnScreen() const;
    // Tells assistive technology which cell is current, when it moved.
    void announceCurrentCell();
    void syncScrollBars();
    int pageRows() const;
    void paintCell(QPainter& painter, int row, int col, const QRect& rect);
    int rowAtPixel(int y) const;
    int colAtPixel(int x) const;

    FlexGrid& grid_;
    Colors colors_;
    Marker marker_;
    QTimer repaintTimer_;
    QElapsedTimer sinceLastPaint_;
    bool syncing_ = false;
    bool dragging_ = false;
    int announcedRow_ = -1;
    int announcedCol_ = -1;
};
