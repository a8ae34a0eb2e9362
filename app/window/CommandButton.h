#pragma once

#include <QPushButton>

// A push button whose caption wraps at blanks when it does not fit on one
// line, as the captions of the main window's narrow buttons must. Enter and
// Return press it when it has the focus, as Space does; it is never a
// default button.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

    // A button of a window laid out in twips: named, placed, never a
    // default button.
    static CommandButton* create(QWidget* parent, const char* name, const QString& caption, QRect twips);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
