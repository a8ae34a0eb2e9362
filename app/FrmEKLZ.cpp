#include "app/FrmEKLZ.h"

#include "app/AppIcon.h"
#include "app/Desktop.h"
#include "grid/GridWidget.h"
#include "grid/Twips.h"
#include "rules/BlockingPass.h"
#include "storage/RegisterReader.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString programTitle = QStringLiteral("Palomet");
}

FrmEKLZ::FrmEKLZ(Desktop& desktop, QString programFolder, QWidget* parent)
    : QWidget(parent)
    , desktop_(desktop)
    , programFolder_(std::move(programFolder))
{
    setWindowIcon(appIcon());
    createControls();

    connect(CmdZagruz, &QPushButton::clicked, this, &FrmEKLZ::CmdZagruz_Click);
    connect(&MSFGAZ, &FlexGrid::Click, this, &FrmEKLZ::MSFGAZ_Click);
    connect(&MSFGAZ, &FlexGrid::LeaveCell, this, &FrmEKLZ::MSFGAZ_LeaveCell);
    connect(&MSFGAZ, &FlexGrid::GotFocus, this, &FrmEKLZ::MSFGAZ_GotFocus);

    Form_Load();
    TxtVvod->setFocus();
}

FrmEKLZ::~FrmEKLZ() = default;

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

void FrmEKLZ::resetGrid()
{
    MSFGAZ.setCols(7);
    MSFGAZ.setRows(1);
    MSFGAZ.AddItem(QString());
    headerFormat = headerFormatText;
    MSFGAZ.setFormatString(headerFormat);
}

void FrmEKLZ::loadgrid()
{
    desktop_.setBusy(true);
    // A pending overlay edit goes into the contents being replaced, never into
    // the header or into a loaded entry.
    CommitCellEdit();
    resetGrid();
    const QString path = QDir(programFolder_).filePath(QStringLiteral("thisyear.csv"));
    bool loaded = true;
    if (QFileInfo::exists(path))
        loaded = RegisterReader::loadInto(MSFGAZ, path) == RegisterReader::Status::Ok;
    if (loaded) {
        blocdata();
        desktop_.setBusy(false);
    } else {
        desktop_.setBusy(false);
        desktop_.messageBox(QStringLiteral("Не могу найти thisyear.csv."), programTitle);
    }
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
