#pragma once

#include <QString>

class QWidget;

namespace zk {

class Dialogs;

// The version, shown as "Version 1.1.43".
QString version_text();

// The about message: the version and who publishes the program.
void show_about(Dialogs& dialogs, QWidget* parent);

} // namespace zk
