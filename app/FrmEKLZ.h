#pragma once

#include "grid/FlexGrid.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class Desktop;
class Dialog;
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

    static const QString programTitle;

    // Shared procedures.
    void loadgrid();
    void blocdata();
    void CommitCellEdit();
    // Both saves tell the user what went wrong and answer whether they saved.
    bool SaveGridn();
    bool SaveAsGridn();

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

    bool saveTo(const QString& path);
    void CmdZagruz_Click();
    void CmdSave_Click();
    void CmdSaveAs_Click();
    void CmdProd_Click();
    void OKButton_Click();
    void CancelButton_Click();
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

    QPointer<Dialog> dialog_;

    QString headerFormat;
    bool gridEdited = false;
};
