#include "app/FrmEKLZ.h"

#include "app/AppIcon.h"
#include "app/Desktop.h"
#include "app/Dialog.h"
#include "grid/GridWidget.h"
#include "grid/Twips.h"
#include "rules/BlockingPass.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

FrmEKLZ::FrmEKLZ(Desktop& desktop, QString programFolder, QWidget* parent)
    : QWidget(parent)
    , desktop_(desktop)
    , programFolder_(std::move(programFolder))
{
    setWindowIcon(appIcon());
    createControls();

    connect(CmdZagruz, &QPushButton::clicked, this, &FrmEKLZ::CmdZagruz_Click);
    connect(CmdSave, &QPushButton::clicked, this, &FrmEKLZ::CmdSave_Click);
    connect(CmdSaveAs, &QPushButton::clicked, this, &FrmEKLZ::CmdSaveAs_Click);
    connect(CmdProd, &QPushButton::clicked, this, &FrmEKLZ::CmdProd_Click);
    connect(&MSFGAZ, &FlexGrid::Click, this, &FrmEKLZ::MSFGAZ_Click);
    connect(&MSFGAZ, &FlexGrid::LeaveCell, this, &FrmEKLZ::MSFGAZ_LeaveCell);
    connect(&MSFGAZ, &FlexGrid::GotFocus, this, &FrmEKLZ::MSFGAZ_GotFocus);

    Form_Load();
    TxtVvod->setFocus();
}

FrmEKLZ::~FrmEKLZ()
{
    delete dialog_;
}

void FrmEKLZ::closeEvent(QCloseEvent* event)
{
    // The close box ends the program at once: nothing is asked, nothing saved.
    event->accept();
    desktop_.quit();
}

void FrmEKLZ::CmdZagruz_Click()
{
    loadgrid();
}

void FrmEKLZ::CmdSave_Click()
{
    SaveGridn();
}

void FrmEKLZ::CmdSaveAs_Click()
{
    SaveAsGridn();
}

void FrmEKLZ::CmdProd_Click()
{
    if (!gridEdited) {
        close();
        return;
    }
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    dialog_ = new Dialog;
    connect(dialog_, &Dialog::saveAndEnd, this, &FrmEKLZ::OKButton_Click);
    connect(dialog_, &Dialog::endWithoutSaving, this, &FrmEKLZ::CancelButton_Click);
    dialog_->show();
}

void FrmEKLZ::OKButton_Click()
{
    const bool saved = SaveGridn();
    dialog_->close();
    // A register that could not be saved keeps the program open: the user has
    // been told why and can mend it.
    if (saved)
        desktop_.quit();
}

void FrmEKLZ::CancelButton_Click()
{
    dialog_->close();
    desktop_.quit();
}

void FrmEKLZ::blocdata()
{
    runBlockingPass(MSFGAZ, [this] { desktop_.processEvents(); });
}

void FrmEKLZ::MSFGAZ_Click()
{
    gridEdited = true;
    txtDataEntry->setText(MSFGAZ.TextMatrix(MSFGAZ.Row(), MSFGAZ.Col()));
    const QRect cell = MSFGAZ.currentCellRect();
    placeControl(txtDataEntry, cell.translated(MSFGAZ.Left(), MSFGAZ.Top()));
    txtDataEntry->show();
    txtDataEntry->raise();
    desktop_.processEvents();
    txtDataEntry->setFocus();
    blocdata();
    // The pass may have rewritten the very cell under the overlay (a blocking
    // date whose activation date changed). Show that value, unless the user has
    // typed meanwhile, so that the commit does not put the old date back.
    if (txtDataEntry->isVisibleTo(this) && !txtDataEntry->isModified())
        txtDataEntry->setText(MSFGAZ.TextMatrix(MSFGAZ.Row(), MSFGAZ.Col()));
}

void FrmEKLZ::CommitCellEdit()
{
    if (!txtDataEntry->isVisibleTo(this))
        return;
    MSFGAZ.setTextMatrix(MSFGAZ.Row(), MSFGAZ.Col(), txtDataEntry->text());
    txtDataEntry->hide();
}

void FrmEKLZ::MSFGAZ_LeaveCell()
{
    CommitCellEdit();
}

void FrmEKLZ::MSFGAZ_GotFocus()
{
    CommitCellEdit();
}
