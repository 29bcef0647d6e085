#pragma once

#include "print/albumprint.h"
#include "ui/printpreview.h"

#include <QImage>
#include <QObject>

#include <array>
#include <functional>
#include <memory>

class QPrinter;

namespace zk {

class Album;
class Dialogs;
class PreCheck;
class PrintDevice;
class UserSettings;

// The page on screen: its number and the picture each slot's photo box shows.
struct ScreenPage
{
    int page = 1;
    std::array<QImage, 3> pictures;
};

// Printing the album and the page on screen, and choosing the printer.
// The printer chosen in either dialog is kept for every later print of this
// run; the desktop's default printer is never changed.
class PrintCommands : public QObject, public PrintSource
{
    Q_OBJECT

public:
    // Dialogs and progress appear over window; screen tells which page is
    // on screen for the single print.
    PrintCommands(const Album& album, const UserSettings& settings, Dialogs& dialogs,
        QWidget* window, std::function<ScreenPage()> screen);
    ~PrintCommands() override;

    // 印刷: the print dialog, the check, then the album or the chosen pages.
    void print_album();
    // 単一印刷: the page on screen on the chosen printer, without a dialog.
    void print_page();
    // プリンタ設定: the printer and paper for the rest of the run.
    void choose_printer();
    // The print preview, modal over the window.
    void print_preview(PrintPreview::Scope scope = PrintPreview::Scope::Album);

    // The album check before printing, also the 写真帳のチェック command.
    PreCheck& preCheck() { return *check; }

    QPrinter& printer() override { return *chosen; }

    // Prints copies of the album, each its own job with its own cover, and
    // stops at the first copy that fails or is cancelled; progress is told
    // each page of each copy. Pages firstPage..lastPage (0: to the end) are
    // printed, the cover with a range from page 1; the next pages' photos are
    // decoded on other threads while a page is drawn.
    PrintResult print_copies(PrintDevice& device, int copies, const PrintProgress& progress = {},
        int firstPage = 1, int lastPage = 0);
    // The page on screen as its slots show it: number labels, titles and texts
    // of its entries, photos decoded from the entries' files at print
    // resolution, or the picture on screen where a file can no longer be read.
    PageSlots screen_page(double pictureDpi) override;
    const Preferences& preferences() const override;

private:
    // Runs one print (of any number of jobs) on the chosen printer.
    PrintResult run_job(const std::function<PrintResult(PrintDevice&)>& job);
    PrintResult run_pdf_job(const std::function<PrintResult(PrintDevice&)>& job);
    void report(const PrintResult& result);
    // Prints pages first..last in copies jobs with a progress window.
    void print_with_progress(int copies, int firstPage, int lastPage);

    const Album& album;
    const UserSettings& settings;
    Dialogs& dialogs;
    QWidget* window;
    std::function<ScreenPage()> screen;
    std::unique_ptr<QPrinter> chosen;
    PreCheck* check;
};

} // namespace zk
