#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Every position and size the program talks about is in twips, 1440 to the
// inch. This is the one place where twips become screen pixels and back; the
// screen's logical DPI is set once at start-up (96 unless told otherwise).
namespace Twips {

constexpr int perInch = 1440;

void setLogicalDpi(double dpi);

int toPixels(int twips);
int fromPixels(int pixels);

QRect toPixels(const QRect& twips);
QSize toPixels(const QSize& twips);
QSize fromPixels(const QSize& pixels);

} // namespace Twips
