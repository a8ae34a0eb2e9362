#pragma once

#include <QRect>

class FlexGrid;
class GridWidget;
class QLineEdit;
class QPushButton;
class QWidget;

// The main window's controls, made on it in their places (twips), with their
// captions, faces and tab order, under the names the program knows them by.
// The window's handlers give them their work.
class MainControls {
public:
    MainControls(QWidget& window, FlexGrid& grid);

    QPushButton* CmdPrint = nullptr;
    QPushButton* CmdSave = nullptr;
    QPushButton* CmdEdit = nullptr;
    QPushButton* CmdSaveAs = nullptr;
    QPushButton* CmdZagruz = nullptr;
    QPushButton* CmdSearh = nullptr;
    QPushButton* CmdZArch = nullptr;
    QPushButton* CmdSortC = nullptr;
    QPushButton* CmdAddS = nullptr;
    QPushButton* CmdDelS = nullptr;
    QPushButton* CmdAddC = nullptr;
    QPushButton* CmdDelC = nullptr;
    QPushButton* CmdProd = nullptr;
    QLineEdit* TxtVvod = nullptr; // the input line
    QLineEdit* txtDataEntry = nullptr; // the cell box, hidden until a cell is edited
    GridWidget* gridWidget = nullptr; // draws the grid

private:
    QPushButton* addButton(const char* name, const QString& caption, QRect twips);
    void setTabOrder();

    QWidget& window_;
};
