#pragma once

#include <QPushButton>

// A push button whose caption wraps at blanks when it does not fit on one
// line, as the captions of the main window's narrow buttons must.
class CommandButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};
