#pragma once

#include <QIcon>

// The window's icon: a cash register with its control-tape module, the
// drawing data/icons/palomet.svg at every size rendered from it.
QIcon appIcon();
