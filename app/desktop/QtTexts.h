#pragma once

// Qt's own texts (the standard buttons of its boxes, "Отмена" and the rest)
// in Russian, like the program's own, from Qt's translation as the system
// installed it. Answers false when it is not installed: Qt then stays English.
bool installRussianQtTexts();
