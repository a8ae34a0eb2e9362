#include "app/document/SaveMessages.h"

#include "grid/FlexGrid.h"
#include "register/RegisterLayout.h"
#include "storage/RegisterFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>
#include <cerrno>
#include <cstring>

namespace SaveMessages {

QString characterName(char32_t ch)
{
    switch (ch) {
    case U';':
        return QStringLiteral("точку с запятой «;»");
    case U'\r':
        return QStringLiteral("возврат каретки");
    case U'\n':
        return QStringLiteral("перевод строки");
    default:
        break;
    }
    const QString code = QStringLiteral("U+%1").arg(static_cast<uint>(ch), 4, 16, QLatin1Char('0')).toUpper();
    const QChar::Category category = QChar::category(ch);
    if (category == QChar::Other_Control || category == QChar::Other_Format)
        return QStringLiteral("управляющий символ %1").arg(code);
    return QStringLiteral("символ «%1» (%2)").arg(QString::fromUcs4(&ch, 1), code);
}

namespace {

// Why a file could not be opened for writing, found by looking at the disk.
bool nameTooLong(const QString& path, int error)
{
    constexpr qsizetype longestName = 255; // bytes, on Linux file systems
    return error == ENAMETOOLONG || QFile::encodeName(QFileInfo(path).fileName()).size() > longestName;
}

QString openReason(const QString& path)
{
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (target.isDir())
        return QStringLiteral("на месте файла находится папка с тем же именем");
    if (folder.exists() && !folder.isDir())
        return QStringLiteral("на месте папки «%1» находится файл").arg(folder.fileName());
    if (!folder.exists())
        return QStringLiteral("папки «%1» нет").arg(QDir::toNativeSeparators(folder.filePath()));
    if (target.exists() && !target.isWritable())
        return QStringLiteral("файл доступен только для чтения");
    if (!folder.isWritable())
        return QStringLiteral("в папку нельзя записывать");
    return QStringLiteral("система не разрешила записать файл (возможно, он защищён или "
                          "имя недопустимо)");
}

QString writeReason(const RegisterWriter::Outcome& outcome, const QString& path)
{
    const QStorageInfo storage(QFileInfo(path).absolutePath());
    if (outcome.systemError == ENOSPC || outcome.systemError == EDQUOT ||
        (storage.isValid() && storage.bytesAvailable() < outcome.bytes))
        return QStringLiteral("на диске не хватает места");
    return QStringLiteral("ошибка записи на диск");
}

// The state a failed save left the file in.
QString fileState(const RegisterWriter::Outcome& outcome)
{
    const QString kept = QDir::toNativeSeparators(outcome.keptVersion);
    if (!outcome.inPlace)
        return QStringLiteral("прежний файл не изменён.");
    if (outcome.restored)
        return QStringLiteral("прежнее содержимое файла восстановлено, его копия лежит в «%1».").arg(kept);
    if (!outcome.keptVersion.isEmpty())
        return QStringLiteral("файл записан не полностью и может быть испорчен; прежняя версия "
                              "сохранена в «%1», её можно открыть кнопкой «Загрузить архив».")
            .arg(kept);
    return QStringLiteral("файл записан не полностью и может быть испорчен; копии прежней версии "
                          "нет: сохраните журнал снова.");
}

} // namespace

QString failure(const RegisterWriter::Outcome& outcome, const QString& path, const QString& header)
{
    const QString file = QDir::toNativeSeparators(path);
    using Kind = RegisterWriter::Outcome::Kind;
    switch (outcome.kind) {
    case Kind::CellUnwritable: {
        const QString caption = header.trimmed().isEmpty() ? QString() : QStringLiteral(" «%1»").arg(header.trimmed());
        return QStringLiteral("Файл «%1» не сохранён: ячейка в строке %2, колонке %3%4 содержит %5, "
                              "который нельзя записать в файл без искажения. Исправьте текст "
                              "ячейки и сохраните снова; файл не изменён.")
            .arg(file)
            .arg(outcome.row)
            .arg(outcome.col + 1)
            .arg(caption, characterName(outcome.character));
    }
    case Kind::LineTooLong:
        return QStringLiteral("Файл «%1» не сохранён: строка %2 длиннее %3 знаков, и программа не "
                              "смогла бы прочитать её снова. Сократите текст этой строки и сохраните "
                              "снова; файл не изменён.")
            .arg(file)
            .arg(outcome.row)
            .arg(RegisterFormat::maxLineLength);
    case Kind::CannotOpen:
    case Kind::WriteFailed: {
        const QString reason = nameTooLong(path, outcome.systemError)
                                   ? QStringLiteral("имя файла слишком длинное для файловой системы")
                               : outcome.kind == Kind::CannotOpen ? openReason(path)
                                                                  : writeReason(outcome, path);
        return QStringLiteral("Файл «%1» не сохранён: %2. Данные остаются в таблице; %3")
            .arg(file, reason, fileState(outcome));
    }
    case Kind::Busy:
        return QStringLiteral("Файл «%1» не сохранён: его сейчас сохраняет %2. "
                              "Повторите сохранение через несколько секунд; файл не изменён.")
            .arg(file, outcome.holder.isEmpty() ? QStringLiteral("другое окно Palomet") : outcome.holder);
    case Kind::LockBlocked:
        return QStringLiteral("Файл «%1» не сохранён: на месте файла блокировки «%2» стоит ссылка, "
                              "папка или канал, а не файл, который Palomet создаёт на время "
                              "сохранения. Уберите «%2» и сохраните снова; файл не изменён.")
            .arg(file, QDir::toNativeSeparators(outcome.linkTarget));
    case Kind::DanglingLink:
        return QStringLiteral("Файл «%1» не сохранён: %2 Данные остаются в таблице.")
            .arg(file, danglingLink(path, outcome.linkTarget));
    case Kind::NotRegularFile:
        return QStringLiteral("Файл «%1» не сохранён: на его месте не обычный файл, а канал, сокет "
                              "или устройство, и записывать туда нельзя. Данные остаются в таблице.")
            .arg(file);
    case Kind::ChangedMeanwhile:
        return QStringLiteral("Файл «%1» не сохранён: другая программа изменяла его всё время, пока "
                              "шло сохранение. Данные остаются в таблице; повторите сохранение.")
            .arg(file);
    case Kind::Saved:
    case Kind::Declined:
        break;
    }
    return {};
}

QString nameRefused(const QString& name)
{
    return QStringLiteral("Имя «%1» нельзя использовать: файл должен находиться в папке Archive, "
                          "поэтому имя не может содержать «/», «\\» или управляющие символы и не "
                          "может быть «.» или «..».")
        .arg(name);
}

QString loadFailure(RegisterReader::Status status, const QString& fileName, const QString& fallback)
{
    switch (status) {
    case RegisterReader::Status::Unreadable:
        return QStringLiteral("Не могу прочитать «%1»: нет прав на чтение файла.").arg(fileName);
    case RegisterReader::Status::NotRegularFile:
        return QStringLiteral("«%1» не загружен: на его месте не обычный файл, а канал, сокет или "
                              "устройство.")
            .arg(fileName);
    case RegisterReader::Status::LineTooLong:
        return QStringLiteral("«%1» загружен не полностью: в нём есть строка длиннее %2 знаков. В таблице строки "
                              "файла до неё.")
            .arg(fileName, QLocale(QLocale::Russian).toString(RegisterFormat::maxLineLength));
    case RegisterReader::Status::ReadFailed:
        return QStringLiteral("«%1» загружен не полностью: файл не удалось дочитать (ошибка чтения). В таблице "
                              "то, что прочитано до ошибки.")
            .arg(fileName);
    case RegisterReader::Status::TooManyRows:
        return QStringLiteral("«%1» загружен не полностью: в нём больше %2 строк, а таблица вмещает "
                              "не больше. В таблице первые %2 строк файла.")
            .arg(fileName, QLocale(QLocale::Russian).toString(FlexGrid::maxRows - FlexGrid::FixedRows));
    default:
        return fallback;
    }
}

QString textNotSaved(int row, int col, const QString& text)
{
    return QStringLiteral("В строке %1, колонке %2 есть текст «%3», но в файл записываются только "
                          "первые %4 колонок: этот текст и другие тексты правее седьмой колонки "
                          "в файл не попадут. Сохранить без них?")
        .arg(row)
        .arg(col + 1)
        .arg(text)
        .arg(RegisterLayout::savedColumns);
}

QString systemReason(int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return QStringLiteral("на диске не хватает места");
    if (error == ENOTDIR || error == EEXIST)
        return QStringLiteral("на месте папки Backup находится файл с тем же именем");
    if (error == EACCES || error == EPERM || error == EROFS)
        return QStringLiteral("в эту папку нельзя записывать");
    return QStringLiteral("система не разрешила записать файл (%1)").arg(QString::fromLocal8Bit(std::strerror(error)));
}

QString noKeptVersion(const QString& path, const QString& backupFolder, int error)
{
    const QString why = systemReason(error);
    return QStringLiteral("Не удалось сохранить копию прежней версии файла «%1» в папке «%2»: %3. "
                          "Если продолжить, файл будет перезаписан без копии. Перезаписать?")
        .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(backupFolder), why);
}

QString danglingLink(const QString& path, const QString& target)
{
    return QStringLiteral("«%1» ведёт на «%2», которого нет (возможно, диск или сетевая папка не "
                          "подключены).")
        .arg(QFileInfo(path).fileName(), QDir::toNativeSeparators(target));
}

} // namespace SaveMessages
