#include "app/desktop/Fonts.h"

#include <QFont>
#include <QString>

void installFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman cyr"), QStringLiteral("Liberation Serif"));
}

QFont msSansSerif(double points, bool bold)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
