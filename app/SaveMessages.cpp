#include "app/SaveMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace SaveMessages {

namespace {

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

// Why a file could not be opened for writing, found by looking at the disk.
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
    if (storage.isValid() && storage.bytesAvailable() < outcome.bytes)
        return QStringLiteral("на диске не хватает места");
    return QStringLiteral("ошибка записи на диск");
}

} // namespace

QString failure(const RegisterWriter::Outcome& outcome, const QString& path, const QString& header)
{
    const QString file = QDir::toNativeSeparators(path);
    using Kind = RegisterWriter::Outcome::Kind;
    switch (outcome.kind) {
    case Kind::CellUnwritable: {
        const QString caption = header.trimmed().isEmpty()
                                    ? QString()
                                    : QStringLiteral(" «%1»").arg(header.trimmed());
        return QStringLiteral("Файл «%1» не сохранён: ячейка в строке %2, колонке %3%4 содержит %5, "
                              "который нельзя записать в файл без искажения. Исправьте текст "
                              "ячейки и сохраните снова; файл не изменён.")
            .arg(file)
            .arg(outcome.row)
            .arg(outcome.col + 1)
            .arg(caption, characterName(outcome.character));
    }
    case Kind::CannotOpen:
    case Kind::WriteFailed: {
        const QString reason = outcome.kind == Kind::CannotOpen ? openReason(path)
                                                                : writeReason(outcome, path);
        return QStringLiteral("Файл «%1» не сохранён: %2. Данные остаются в таблице; прежний файл "
                              "не изменён.")
            .arg(file, reason);
    }
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

} // namespace SaveMessages
