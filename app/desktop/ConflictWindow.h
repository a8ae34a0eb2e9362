#pragma once

#include "app/desktop/Desktop.h"

#include <QDialog>
#include <vector>

class QPushButton;
class QTableWidget;

// «Изменения на двух рабочих местах»: the cells another desk and this one
// both changed, and the entries one changed and the other deleted, each
// with «Оставить их» or «Оставить мои». The buttons act on the rows
// selected, then go on to the next row left to decide; two more decide every
// row at once. «Сохранить» (the default) is there once every row is decided;
// «Отмена» and Escape leave everything as it was. The list is a table to a
// screen reader, its last column saying what each row keeps.
class ConflictWindow : public QDialog {
    Q_OBJECT
public:
    ConflictWindow(const QString& intro, const std::vector<Desktop::Conflict>& conflicts, QWidget* parent = nullptr);

    // For each conflict, true where theirs is kept: valid once accepted.
    std::vector<bool> choices() const;

private:
    enum class Choice { Open, Theirs, Ours };
    void decide(Choice choice, bool all);
    void showChoice(int row);

    QTableWidget* table_ = nullptr;
    QPushButton* save_ = nullptr;
    std::vector<Choice> choices_;
};
