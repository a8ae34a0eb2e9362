#include "RegisterGenerator.h"

#include <QDate>
#include <QStringEncoder>
#include <array>
#include <random>

QByteArray generateRegister(int entries)
{
    static const std::array<QString, 6> models = {
        QStringLiteral("ЭКР 2102К"), QStringLiteral("АМС-100К"),      QStringLiteral("ЭЛВЕС-МК"),
        QStringLiteral("Меркурий-115Ф"), QStringLiteral("ШТРИХ-М-ФР-К"), QStringLiteral("ОРИОН-100К")};
    static const std::array<QString, 6> owners = {
        QStringLiteral("ООО Ромашка"),      QStringLiteral("ИП Иванов И.И."),
        QStringLiteral("ЗАО Вектор"),       QStringLiteral("ООО Северное сияние"),
        QStringLiteral("ИП Петрова А.С."), QStringLiteral("ОАО Торговый дом")};

    std::mt19937 random(20090115);
    const QDate first(2005, 1, 1);
    QString text;
    text.reserve(static_cast<qsizetype>(entries) * 80);
    for (int i = 0; i < entries; ++i) {
        const QDate activation = first.addDays(random() % 3650);
        text += QString::number(8710000000LL + i) + u';';
        text += QString::number(1000000 + random() % 9000000).rightJustified(10, u'0') + u';';
        text += activation.toString(u"dd.MM.yyyy") + u';';
        text += QString() + u';';
        text += models[random() % models.size()] + u';';
        text += QString::number(100000 + random() % 900000) + u';';
        text += owners[random() % owners.size()] + QStringLiteral(";\r\n");
    }
    QStringEncoder encoder("windows-1251");
    return encoder.encode(text);
}
