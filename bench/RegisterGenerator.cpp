#include "RegisterGenerator.h"

#include <QDate>
#include <QFile>
#include <QStringEncoder>
#include <array>
#include <random>

bool writeRegister(const QString& path, int entries)
{
    static const std::array<QString, 6> models = {QStringLiteral("ЭКР 2102К"), QStringLiteral("АМС-100К"),
        QStringLiteral("ЭЛВЕС-МК"), QStringLiteral("Меркурий-115Ф"), QStringLiteral("ШТРИХ-М-ФР-К"),
        QStringLiteral("ОРИОН-100К")};
    static const std::array<QString, 6> owners = {QStringLiteral("ООО Ромашка"), QStringLiteral("ИП Иванов И.И."),
        QStringLiteral("ЗАО Вектор"), QStringLiteral("ООО Северное сияние"), QStringLiteral("ИП Петрова А.С."),
        QStringLiteral("ОАО Торговый дом")};

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    std::mt19937 random(20090115);
    const QDate first(2005, 1, 1);
    QStringEncoder encoder("windows-1251");
    QString line;
    for (int i = 0; i < entries; ++i) {
        const QDate activation = first.addDays(random() % 3650);
        line.clear();
        line += QString::number(8710000000LL + i) + u';';
        line += QString::number(1000000 + random() % 9000000).rightJustified(10, u'0') + u';';
        line += activation.toString(u"dd.MM.yyyy") + u';';
        line += u';';
        line += models[random() % models.size()] + u';';
        line += QString::number(100000 + random() % 900000) + u';';
        line += owners[random() % owners.size()] + QStringLiteral(";\r\n");
        const QByteArray bytes = encoder.encode(line);
        if (file.write(bytes) != bytes.size())
            return false;
    }
    return file.flush();
}
