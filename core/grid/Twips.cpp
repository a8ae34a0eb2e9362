#include "grid/Twips.h"

#include <cmath>

namespace Twips {
namespace {
double dpi = 96.0;
}

void setLogicalDpi(double value)
{
    if (value > 0)
        dpi = value;
}

int toPixels(int twips)
{
    return static_cast<int>(std::lround(twips * dpi / perInch));
}

int fromPixels(int pixels)
{
    return static_cast<int>(std::lround(pixels * perInch / dpi));
}

QRect toPixels(const QRect& twips)
{
    return QRect(toPixels(twips.x()), toPixels(twips.y()), toPixels(twips.width()), toPixels(twips.height()));
}

QSize toPixels(const QSize& twips)
{
    return QSize(toPixels(twips.width()), toPixels(twips.height()));
}

QSize fromPixels(const QSize& pixels)
{
    return QSize(fromPixels(pixels.width()), fromPixels(pixels.height()));
}

} // namespace Twips
