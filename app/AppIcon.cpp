#include "app/AppIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace {

QPixmap drawIcon(int size)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    // The register's body, its paper slot and the display.
    painter.setBrush(QColor(192, 192, 192));
    painter.drawRect(3, 12, 26, 17);
    painter.setBrush(QColor(0, 0, 128));
    painter.drawRect(6, 4, 14, 7);
    painter.setBrush(QColor(0, 255, 0));
    painter.drawRect(8, 6, 10, 3);
    // The keys.
    painter.setBrush(QColor(128, 128, 128));
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            painter.drawRect(6 + col * 5, 16 + row * 5, 3, 3);
    // The EKLZ module, in red.
    painter.setBrush(QColor(255, 0, 0));
    painter.drawRect(22, 16, 5, 9);
    painter.end();
    const QImage scaled = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return QPixmap::fromImage(scaled.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither));
}

} // namespace

QIcon appIcon()
{
    QIcon icon;
    icon.addPixmap(drawIcon(32));
    icon.addPixmap(drawIcon(16));
    return icon;
}
