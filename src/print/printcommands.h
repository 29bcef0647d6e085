#pragma once

#include "print/albumprint.h"

#include <QImage>
#include <QObject>

#include <array>
#include <functional>
#include <memory>

class QPrinter;

namespace zk {

class Album;
class Dialogs;
class PrintDevice;

// The page on screen: its number and the picture each slot's photo box shows.
struct ScreenPage
{
    int page = 1;
    std::array<QImage, 3> pictures;
};

// Printing the album and the page on screen, and choosing the printer.
// The printer chosen in either dialog is kept for every later print of this
// run; the desktop's default printer is never changed.
class PrintCommands : public QObject
{
    Q_OBJECT

public:
    // Dialogs and progress appear over window; screen tells which page is
    // on screen for the single print.
    PrintCommands(
        const Album& album, Dialogs& dialogs, QWidget* window, std::function<ScreenPage()> screen);
    ~PrintCommands() override;

    void print_menu_Click();
    void print_page();
    void print_setting_Click();

    QPrinter& printer() { return *chosen; }

    // Prints copies of the album, each its own job with its own cover, and
    // stops at the first copy that fails or is cancelled; progress is told
    // each page of each copy.
    PrintResult print_copies(PrintDevice& device, int copies, const PrintProgress& progress = {});
    // The page on screen as its slots show it: number labels, titles and texts
    // of its entries, photos decoded from the entries' files at print
    // resolution, or the picture on screen where a file can no longer be read.
    PageSlots screen_page(double pictureDpi);

private:
    // Runs one print (of any number of jobs) on the chosen printer.
    PrintResult run_job(const std::function<PrintResult(PrintDevice&)>& job);
    void report(const PrintResult& result);

    const Album& album;
    Dialogs& dialogs;
    QWidget* window;
    std::function<ScreenPage()> screen;
    std::unique_ptr<QPrinter> chosen;
};

} // namespace zk
