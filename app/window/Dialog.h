#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The save question on exit: "СОХРАНИТЬ ИЗМЕНЕНИЯ?" with "ДА", "НЕТ" and
// "НАЗАД". Modeless, ownerless and without a task-bar entry; it holds no
// state, and closes itself on "НАЗАД" or its close box.
class Dialog : public QWidget {
    Q_OBJECT
public:
    explicit Dialog(QWidget* parent = nullptr);

signals:
    void saveAndEnd(); // "ДА"
    void endWithoutSaving(); // "НЕТ"

private:
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* CmdCancel = nullptr;
    QLabel* Label1 = nullptr;
};
