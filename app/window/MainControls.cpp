#include "app/window/MainControls.h"

#include "app/desktop/Fonts.h"
#include "app/window/CommandButton.h"
#include "grid/FlexGrid.h"
#include "grid/Twips.h"
#include "register/RegisterLayout.h"
#include "ui/GridWidget.h"

#include <QLineEdit>
#include <array>
#include <limits>

namespace {

const QColor buttonFace(224, 224, 224);

QLineEdit* addLine(QWidget& window, const char* name, const QString& accessibleName, QRect twips)
{
    auto* line = new QLineEdit(&window);
    line->setObjectName(QLatin1String(name));
    line->setAccessibleName(accessibleName);
    line->setMaxLength(std::numeric_limits<int>::max());
    line->setGeometry(Twips::toPixels(twips));
    return line;
}

} // namespace

MainControls::MainControls(QWidget& window, FlexGrid& grid)
    : window_(window)
{
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

    TxtVvod = addLine(window, "TxtVvod", QStringLiteral("Строка ввода"), {6840, 840, 3135, 435});

    grid.setFont(msSansSerif(8.25, false));
    grid.model().setCols(RegisterLayout::savedColumns);
    grid.move(480, 1560);
    grid.setWidth(9615);
    grid.setHeight(3255);
    gridWidget = new GridWidget(grid, &window);
    gridWidget->setObjectName(QStringLiteral("MSFGAZ"));
    gridWidget->setAccessibleName(QStringLiteral("Журнал ЭКЛЗ"));
    const QPalette system = window.palette();
    gridWidget->setColors({.back = system.color(QPalette::Base),
        .fore = system.color(QPalette::Text),
        .backFixed = QColor(255, 255, 192),
        .foreFixed = Qt::black,
        .backSel = QColor(255, 128, 128),
        .foreSel = QColor(192, 255, 255),
        .backBkg = QColor(128, 128, 128),
        .gridLines = QColor(192, 192, 192),
        .gridLinesFixed = Qt::black});

    // The cell box: a frameless line edit laid exactly over the cell being
    // edited, read out by its purpose, not by the text it holds while hidden.
    txtDataEntry = addLine(window, "txtDataEntry", QStringLiteral("Правка ячейки"), {120, 2280, 255, 285});
    txtDataEntry->setText(QStringLiteral("Text1"));
    txtDataEntry->setFrame(false);
    txtDataEntry->setTextMargins(0, 0, 0, 0);
    txtDataEntry->hide();

    setTabOrder();
}

QPushButton* MainControls::addButton(const char* name, const QString& caption, QRect twips)
{
    CommandButton* button = CommandButton::create(&window_, name, caption, twips);
    button->setFont(msSansSerif(8.25, true));
    // A fixed face takes a fixed caption colour: a dark desktop theme's
    // light text would vanish on it.
    QPalette face = button->palette();
    face.setColor(QPalette::Button, buttonFace);
    face.setColor(QPalette::ButtonText, Qt::black);
    button->setPalette(face);
    return button;
}

void MainControls::setTabOrder()
{
    // As the window reads: the upper row of buttons left to right, the lower
    // one with the input line, then the grid and the box laid over it.
    const std::array<QWidget*, 16> order = {CmdDelC, CmdDelS, CmdSortC, CmdZArch, CmdSaveAs, CmdEdit, CmdPrint, CmdProd,
        CmdAddC, CmdAddS, CmdSearh, CmdZagruz, CmdSave, TxtVvod, gridWidget, txtDataEntry};
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
