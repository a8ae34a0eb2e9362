#pragma once

#include "grid/FlexGrid.h"

#include <QString>
#include <QWidget>

class Desktop;
class GridWidget;
class QLineEdit;
class QPushButton;

// The main window: the register grid MSFGAZ, the input line, the cell
// overlay and the thirteen buttons. Every user action begins in one of its
// handlers; the shared procedures (loading, saving, the blocking pass, the
// overlay's commit) are its members, as the rest of the program knows them.
class FrmEKLZ : public QWidget
{
    Q_OBJECT
public:
    // programFolder holds thisyear.csv and the Archive folder.
    FrmEKLZ(Desktop& desktop, QString programFolder, QWidget* parent = nullptr);
    ~FrmEKLZ() override;

    FlexGrid& grid() { return MSFGAZ; }
    GridWidget* gridWidget() const { return gridWidget_; }
    bool isGridEdited() const { return gridEdited; }
    const QString& programFolder() const { return programFolder_; }

    static const QString headerFormatText;

    // Shared procedures.
    void loadgrid();
    void blocdata();
    void CommitCellEdit();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    QPushButton* addButton(const char* name, const QString& caption, QRect twips);
    void placeControl(QWidget* control, QRect twips);
    void setTabOrder();
    void Form_Load();
    void Form_Resize();
    void resetGrid();

    void CmdZagruz_Click();
    void MSFGAZ_Click();
    void MSFGAZ_LeaveCell();
    void MSFGAZ_GotFocus();

    Desktop& desktop_;
    const QString programFolder_;

    FlexGrid MSFGAZ;
    GridWidget* gridWidget_ = nullptr;
    QLineEdit* TxtVvod = nullptr;
    QLineEdit* txtDataEntry = nullptr;
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

    QString headerFormat;
    bool gridEdited = false;
};
