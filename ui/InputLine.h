#pragma once

#include "ui/CellBox.h"

#include <QObject>

class FlexGrid;
class QLineEdit;
class QPushButton;

// The input line TxtVvod and its button "Ввод". Every character key pressed
// in either copies the input line's text into the grid's current cell before
// the key takes effect, so the cell stays one key behind until Enter or a
// click on "Ввод". A click into the input line drops a pending cell box edit.
class InputLine : public QObject {
    Q_OBJECT
public:
    InputLine(FlexGrid& grid, QLineEdit& line, QPushButton& enter, CellBox& cellBox, CellBox::WriteCell writeCell,
        QObject* parent = nullptr);

    void copyToCell();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FlexGrid& grid_;
    QLineEdit& line_;
    QPushButton& enter_;
    CellBox& cellBox_;
    CellBox::WriteCell writeCell_;
};
