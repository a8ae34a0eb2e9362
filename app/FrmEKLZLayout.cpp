// The main window's controls, their places in twips, the start-up load step
// and the resize rule.
#include "app/FrmEKLZ.h"

#include "app/CommandButton.h"
#include "app/Fonts.h"
#include "register/RegisterLayout.h"
#include "ui/GridWidget.h"
#include "grid/Twips.h"

#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <array>
#include <limits>

namespace {

const QColor buttonFace(224, 224, 224);

} // namespace

const QString FrmEKLZ::programTitle = QStringLiteral("Palomet");


void FrmEKLZ::placeControl(QWidget* control, QRect twips)
{
    control->setGeometry(Twips::toPixels(twips));
}

QPushButton* FrmEKLZ::addButton(const char* name, const QString& caption, QRect twips)
{
    CommandButton* button = CommandButton::create(this, name, caption, twips);
    button->setFont(msSansSerif(8.25, true));
    // A fixed face takes a fixed caption colour: a dark desktop theme's
    // light text would vanish on it.
    QPalette face = button->palette();
    face.setColor(QPalette::Button, buttonFace);
    face.setColor(QPalette::ButtonText, Qt::black);
    button->setPalette(face);
    return button;
}

void FrmEKLZ::createControls()
{
    setWindowTitle(programTitle);
    setFont(msSansSerif(8.25, false));
    resize(Twips::toPixels(QSize(10575, 4995)));

    CmdPrint = addButton("CmdPrint", QStringLiteral("Печать"), {7920, 120, 855, 615});
    CmdSave = addButton("CmdSave", QStringLiteral("Сохранить изменения"), {5280, 720, 1335, 615});
    CmdEdit = addButton("CmdEdit", QStringLiteral("Ввод"), {6840, 120, 855, 615});
    CmdSaveAs = addButton("CmdSaveAs", QStringLiteral("Сохранить как"), {5280, 120, 1335, 615});
    CmdZagruz = addButton("CmdZagruz", QStringLiteral("Открыть журнал"), {3960, 720, 1335, 615});
    CmdSearh = addButton("CmdSearh", QStringLiteral("Поиск"), {2640, 720, 1335, 615});
    CmdZArch = addButton("CmdZArch", QStringLiteral("Загрузить архив"), {3960, 120, 1335, 615});
    CmdSortC = addButton("CmdSortC", QStringLiteral("Переместить колонки"), {2640, 120, 1335, 615});
    CmdAddS = addButton("CmdAddS", QStringLiteral("Добавить строку"), {1560, 720, 1095, 615});
    CmdDelS = addButton("CmdDelS", QStringLiteral(" Удалить строку"), {1560, 120, 1095, 615});
    CmdAddC = addButton("CmdAddC", QStringLiteral("Добавить колонку"), {480, 720, 1095, 615});
    CmdDelC = addButton("CmdDelC", QStringLiteral("Удалить колонку"), {480, 120, 1095, 615});
    CmdProd = addButton("CmdProd", QStringLiteral("Выход"), {9120, 120, 855, 615});

    TxtVvod = new QLineEdit(this);
    TxtVvod->setObjectName(QStringLiteral("TxtVvod"));
    TxtVvod->setAccessibleName(QStringLiteral("Строка ввода"));
    TxtVvod->setMaxLength(std::numeric_limits<int>::max());
    placeControl(TxtVvod, {6840, 840, 3135, 435});

    MSFGAZ.setFont(msSansSerif(8.25, false));
    MSFGAZ.setCols(RegisterLayout::savedColumns);
    MSFGAZ.move(480, 1560);
    MSFGAZ.setWidth(9615);
    MSFGAZ.setHeight(3255);
    gridWidget_ = new GridWidget(MSFGAZ, this);
    gridWidget_->setObjectName(QStringLiteral("MSFGAZ"));
    gridWidget_->setAccessibleName(QStringLiteral("Журнал ЭКЛЗ"));
    const QPalette system = palette();
    gridWidget_->setColors({.back = system.color(QPalette::Base),
                            .fore = system.color(QPalette::Text),
                            .backFixed = QColor(255, 255, 192),
                            .foreFixed = Qt::black,
                            .backSel = QColor(255, 128, 128),
                            .foreSel = QColor(192, 255, 255),
                            .backBkg = QColor(128, 128, 128),
                            .gridLines = QColor(192, 192, 192),
                            .gridLinesFixed = Qt::black});

    // The overlay: a frameless line edit laid exactly over the cell being edited.
    txtDataEntry = new QLineEdit(QStringLiteral("Text1"), this);
    txtDataEntry->setObjectName(QStringLiteral("txtDataEntry"));
    // Read out by its purpose, not by the text it holds while hidden.
    txtDataEntry->setAccessibleName(QStringLiteral("Правка ячейки"));
    txtDataEntry->setFrame(false);
    txtDataEntry->setTextMargins(0, 0, 0, 0);
    txtDataEntry->setMaxLength(std::numeric_limits<int>::max());
    placeControl(txtDataEntry, {120, 2280, 255, 285});
    txtDataEntry->hide();

    setTabOrder();
    createKeys();
    createMarks();
}

void FrmEKLZ::createKeys()
{
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, &FrmEKLZ::CmdSearh_Click);
    connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this, &FrmEKLZ::findNext);
}

void FrmEKLZ::setTabOrder()
{
    const std::array<QWidget*, 16> order = {TxtVvod,  CmdProd,   gridWidget_, CmdDelC,
                                            CmdDelS,  CmdAddC,   CmdAddS,     CmdZArch,
                                            CmdZagruz, CmdSortC, CmdSave,     CmdEdit,
                                            CmdSearh, txtDataEntry, CmdSaveAs, CmdPrint};
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void FrmEKLZ::Form_Load()
{
    MSFGAZ.setFormatString(RegisterLayout::headerFormat.toString());
    MSFGAZ.setColWidth(0, 1500);
    MSFGAZ.setRowHeight(0, 300);
    TxtVvod->setText(QString());
}

void FrmEKLZ::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FrmEKLZ::Form_Resize()
{
    // Computed in single precision; a negative size is refused by the grid,
    // which then keeps its size in that dimension.
    const QSize client = Twips::fromPixels(size());
    const float width = static_cast<float>(client.width()) - 850.0f;
    const float height = static_cast<float>(client.height()) - 1900.0f;
    MSFGAZ.setWidth(static_cast<int>(width));
    MSFGAZ.setHeight(static_cast<int>(height));
}
