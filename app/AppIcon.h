#pragma once

#include <QIcon>

// The window's icon: a cash register with its control-tape module, drawn in
// the sixteen VGA colours at 32×32 and 16×16.
QIcon appIcon();
