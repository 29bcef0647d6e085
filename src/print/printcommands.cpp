#include "printcommands.h"

#include "app/mainwindow.h"

namespace zk {

PrintCommands::PrintCommands(MainWindow& mainWindow) : QObject(&mainWindow), window(mainWindow) { }

void PrintCommands::print_menu_Click() { }

void PrintCommands::print_page() { }

void PrintCommands::print_setting_Click() { }

} // namespace zk
