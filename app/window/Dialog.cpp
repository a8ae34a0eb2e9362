#include "app/window/Dialog.h"

#include "app/desktop/Fonts.h"
#include "app/window/CommandButton.h"
#include "grid/Twips.h"

#include <QLabel>
#include <QPushButton>

Dialog::Dialog(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Dialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Dialog Caption"));
    setFont(msSansSerif(8.25, false));
    // The client area's top-left corner stands at a fixed place on the screen.
    setGeometry(Twips::toPixels(QRect(2760, 3750, 6030, 1785)));
    setFixedSize(size());

    OKButton = CommandButton::create(this, "OKButton", QStringLiteral("ДА"), {4680, 120, 1215, 375});
    CancelButton = CommandButton::create(this, "CancelButton", QStringLiteral("НЕТ"), {4680, 600, 1215, 375});
    Label1 = new QLabel(QStringLiteral("СОХРАНИТЬ ИЗМЕНЕНИЯ?"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(msSansSerif(12, true));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    Label1->setGeometry(Twips::toPixels(QRect(1560, 240, 2295, 615)));
    CmdCancel = CommandButton::create(this, "CmdCancel", QStringLiteral("НАЗАД"), {4680, 1080, 1215, 375});
    QWidget::setTabOrder(OKButton, CancelButton);
    QWidget::setTabOrder(CancelButton, CmdCancel);
    OKButton->setFocus();

    connect(OKButton, &QPushButton::clicked, this, &Dialog::saveAndEnd);
    connect(CancelButton, &QPushButton::clicked, this, &Dialog::endWithoutSaving);
    connect(CmdCancel, &QPushButton::clicked, this, &QWidget::close);
}
