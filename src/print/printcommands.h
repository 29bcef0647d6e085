#pragma once

#include <QObject>

namespace zk {

class MainWindow;

// Printing the album and the page on screen, and choosing the printer.
class PrintCommands : public QObject
{
    Q_OBJECT

public:
    explicit PrintCommands(MainWindow& window);

    void print_menu_Click();
    void print_page();
    void print_setting_Click();

private:
    MainWindow& window;
};

} // namespace zk
