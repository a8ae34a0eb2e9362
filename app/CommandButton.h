#pragma once

#include <QPushButton>

// A push button whose caption wraps at blanks when it does not fit on one
// line, as the captions of the main window's narrow buttons must. Enter and
// Return press it when it has the focus, as Space does; it is never a
// default button.
class CommandButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
