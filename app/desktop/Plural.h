#pragma once

#include <QString>

// Russian counts: "1 изменение", "3 изменения", "11 изменений".
namespace Plural {

QString count(int n, const char* one, const char* few, const char* many);

} // namespace Plural
