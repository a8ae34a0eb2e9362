#include "app/document/NewYear.h"

#include "app/desktop/Desktop.h"
#include "app/desktop/ProgramTitle.h"
#include "app/document/RegisterDocument.h"
#include "grid/FlexGrid.h"
#include "register/RegisterLayout.h"
#include "rules/BlockingDate.h"
#include "storage/ArchiveName.h"

NewYear::NewYear(FlexGrid& grid, Desktop& desktop, RegisterDocument& document)
    : grid_(grid)
    , desktop_(desktop)
    , document_(document)
{
}

int NewYear::yearOf(const GridModel& model, QDate today)
{
    const int activation = model.columnWithKey(RegisterLayout::activationColumn);
    int year = 0;
    for (int row = GridModel::FixedRows; row < model.Rows() && activation >= 0; ++row)
        if (const std::optional<QDate> date = BlockingDate::readDate(model.TextMatrix(row, activation)))
            year = std::max(year, date->year());
    return year > 0 ? year : today.year();
}

bool NewYear::run()
{
    if (!document_.archiveHeld().isEmpty()) {
        desktop_.messageBox(QStringLiteral("В таблице архив «%1», а новый год начинается с текущего журнала. "
                                           "Загрузите журнал кнопкой «Загрузить» и повторите.")
                                .arg(document_.archiveHeld()),
            programTitle());
        return false;
    }
    const QString year = QString::number(yearOf(grid_.model(), today_.isValid() ? today_ : QDate::currentDate()));
    QString name = desktop_.nameQuestion(
        QStringLiteral("Сохранить журнал в архив «%1» и начать новый, пустой журнал?").arg(year), programTitle(), year);
    if (!document_.archives().acceptName(name) || !document_.saveAsArchive(name))
        return false;
    GridModel empty;
    empty.setCols(grid_.model().Cols());
    empty.setRows(GridModel::FixedRows);
    if (!document_.saveRegister(&empty)) {
        desktop_.messageBox(QStringLiteral("Архив «%1» записан, в нём весь журнал. Новый журнал не начат: "
                                           "%2 не заменён и хранит те же записи, таблица не изменилась.")
                                .arg(ArchiveName::fileName(name), RegisterLayout::registerFile),
            programTitle());
        return false;
    }
    document_.loadRegister();
    return true;
}
