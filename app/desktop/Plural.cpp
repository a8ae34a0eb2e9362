#include "app/desktop/Plural.h"

namespace Plural {

QString count(int n, const char* one, const char* few, const char* many)
{
    const int lastTwo = n % 100;
    const int last = n % 10;
    const char* word = many;
    if (last == 1 && lastTwo != 11)
        word = one;
    else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        word = few;
    return QString::number(n) + u' ' + QString::fromUtf8(word);
}

} // namespace Plural
