#include "app/desktop/ConflictWindow.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

enum Column { EntryColumn, CaptionColumn, ThereColumn, HereColumn, KeptColumn, Columns };

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setToolTip(text);
    return item;
}

} // namespace

ConflictWindow::ConflictWindow(const QString& intro, const std::vector<Desktop::Conflict>& conflicts, QWidget* parent)
    : QDialog(parent)
    , choices_(conflicts.size(), Choice::Open)
{
    setWindowTitle(QStringLiteral("Изменения на двух рабочих местах"));
    auto* label = new QLabel(intro, this);
    label->setWordWrap(true);

    table_ = new QTableWidget(int(conflicts.size()), Columns, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("Запись"), QStringLiteral("Колонка"), QStringLiteral("Там"),
        QStringLiteral("Здесь"), QStringLiteral("Оставить")});
    table_->setAccessibleName(windowTitle());
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < int(conflicts.size()); ++row) {
        const Desktop::Conflict& conflict = conflicts[size_t(row)];
        table_->setItem(row, EntryColumn, cell(conflict.entry));
        table_->setItem(row, CaptionColumn, cell(conflict.column));
        table_->setItem(row, ThereColumn, cell(conflict.there));
        table_->setItem(row, HereColumn, cell(conflict.here));
        table_->setItem(row, KeptColumn, cell(QString()));
        showChoice(row);
    }
    table_->resizeColumnsToContents();
    // A whole entry's text is cut short, the rest in its tooltip, so that
    // what each row keeps stays in view.
    for (const int column : {ThereColumn, HereColumn})
        table_->setColumnWidth(column, std::min(table_->columnWidth(column), 240));
    label->setBuddy(table_);

    auto* theirs = new QPushButton(QStringLiteral("Оставить &их"), this);
    auto* ours = new QPushButton(QStringLiteral("Оставить &мои"), this);
    auto* allTheirs = new QPushButton(QStringLiteral("Оставить &все их"), this);
    auto* allOurs = new QPushButton(QStringLiteral("Оставить вс&е мои"), this);
    for (QPushButton* button : {theirs, ours, allTheirs, allOurs})
        button->setAutoDefault(false);
    connect(theirs, &QPushButton::clicked, this, [this] { decide(Choice::Theirs, false); });
    connect(ours, &QPushButton::clicked, this, [this] { decide(Choice::Ours, false); });
    connect(allTheirs, &QPushButton::clicked, this, [this] { decide(Choice::Theirs, true); });
    connect(allOurs, &QPushButton::clicked, this, [this] { decide(Choice::Ours, true); });
    auto* choosing = new QHBoxLayout;
    for (QPushButton* button : {theirs, ours, allTheirs, allOurs})
        choosing->addWidget(button);
    choosing->addStretch();

    auto* buttons = new QDialogButtonBox(this);
    save_ = buttons->addButton(QStringLiteral("Сохранить"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    save_->setDefault(true);
    save_->setEnabled(conflicts.empty());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(table_, 1);
    layout->addLayout(choosing);
    layout->addWidget(buttons);
    resize(760, 420);
    if (!conflicts.empty())
        table_->selectRow(0);
    table_->setFocus();
}

void ConflictWindow::showChoice(int row)
{
    static const QString texts[] = {QStringLiteral("не выбрано"), QStringLiteral("их"), QStringLiteral("мои")};
    table_->item(row, KeptColumn)->setText(texts[int(choices_[size_t(row)])]);
}

void ConflictWindow::decide(Choice choice, bool all)
{
    QList<int> rows;
    if (all) {
        for (int row = 0; row < table_->rowCount(); ++row)
            rows << row;
    } else {
        for (const QModelIndex& index : table_->selectionModel()->selectedRows())
            rows << index.row();
        if (rows.isEmpty() && table_->currentRow() >= 0)
            rows << table_->currentRow();
    }
    for (const int row : rows) {
        choices_[size_t(row)] = choice;
        showChoice(row);
    }
    const bool decided = std::find(choices_.begin(), choices_.end(), Choice::Open) == choices_.end();
    save_->setEnabled(decided);
    if (decided) {
        save_->setFocus();
        return;
    }
    // On to the next row left to decide, after the last one decided.
    const int from = rows.isEmpty() ? 0 : *std::max_element(rows.begin(), rows.end());
    for (int step = 1; step <= table_->rowCount(); ++step) {
        const int row = (from + step) % table_->rowCount();
        if (choices_[size_t(row)] == Choice::Open) {
            table_->selectRow(row);
            break;
        }
    }
    table_->setFocus();
}

std::vector<bool> ConflictWindow::choices() const
{
    std::vector<bool> theirs;
    for (const Choice choice : choices_)
        theirs.push_back(choice == Choice::Theirs);
    return theirs;
}
