#include "ui/InputLine.h"

#include "grid/FlexGrid.h"
#include "ui/CellBox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace {

// Keys that type a character, Backspace, Enter and Escape among them; not
// the ones that move the cursor or the focus.
bool typesACharacter(const QKeyEvent& key)
{
    switch (key.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return false;
    default:
        return !key.text().isEmpty();
    }
}

} // namespace

InputLine::InputLine(FlexGrid& grid, QLineEdit& line, QPushButton& enter, CellBox& cellBox,
    CellBox::WriteCell writeCell, QObject* parent)
    : QObject(parent)
    , grid_(grid)
    , line_(line)
    , enter_(enter)
    , cellBox_(cellBox)
    , writeCell_(std::move(writeCell))
{
    line_.installEventFilter(this);
    enter_.installEventFilter(this);
    connect(&enter_, &QPushButton::clicked, this, &InputLine::copyToCell);
}

void InputLine::copyToCell()
{
    writeCell_(grid_.Row(), grid_.Col(), line_.text());
}

bool InputLine::eventFilter(QObject* watched, QEvent* event)
{
    // Text composed by an input method or dead keys arrives as a commit
    // string, not as a key: it types like one.
    const bool composed =
        event->type() == QEvent::InputMethod && !static_cast<QInputMethodEvent*>(event)->commitString().isEmpty();
    if (composed || (event->type() == QEvent::KeyPress && typesACharacter(*static_cast<QKeyEvent*>(event)))) {
        copyToCell(); // TxtVvod_KeyPress, CmdEdit_KeyPress
    } else if (watched == &line_ && event->type() == QEvent::MouseButtonPress &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        cellBox_.drop(); // TxtVvod_Click
        line_.setFocus();
    }
    return false;
}
