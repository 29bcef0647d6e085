#include "printcommands.h"

#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "app/photobox.h"
#include "app/slotview.h"
#include "check/precheck.h"
#include "print/painterprintdevice.h"
#include "print/photopage.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressDialog>
#include <QTemporaryFile>
#include <QThread>

#include <cstdio>

namespace zk {

PrintCommands::PrintCommands(MainWindow& mainWindow)
    : window(mainWindow), chosen(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    // Starts as the desktop's default printer, A4 portrait as the album is laid out.
    chosen->setPageSize(QPageSize(QPageSize::A4));
    chosen->setPageOrientation(QPageLayout::Portrait);
}

PrintCommands::~PrintCommands() = default;

void PrintCommands::print_menu_Click()
{
    const int pages = window.entries().page_count();
    PrintRequest request;
    request.maxPage = pages;
    if (!window.dialogs().print(&window, *chosen, request))
        return;
    // The range as the page box numbers the pages; the cover comes with page 1.
    int first = 1;
    int last = 0;
    if (chosen->printRange() == QPrinter::PageRange && chosen->fromPage() > 0) {
        first = chosen->fromPage();
        last = chosen->toPage() > 0 ? chosen->toPage() : pages;
    }
    // The album prints once per copy; the printer makes one of each job and
    // leaves the choice of pages to the album.
    int copies = chosen->copyCount();
    chosen->setCopyCount(1);
    chosen->setPrintRange(QPrinter::AllPages);
    // Copies into one PDF file would only overwrite each other.
    if (chosen->outputFormat() == QPrinter::PdfFormat)
        copies = qMin(copies, 1);
    if (!PreCheck(window).confirm(first, last))
        return;
    // Let the window repaint where the dialog was before the work starts.
    QCoreApplication::processEvents();
    print_with_progress(copies, first, last);
}

void PrintCommands::print_with_progress(int copies, int first, int last)
{
    const int pages = window.entries().page_count();
    const int count = std::max(0, (last <= 0 ? pages : std::min(last, pages)) - first + 1);
    QProgressDialog progress(&window);
    progress.setWindowTitle(QStringLiteral("印刷"));
    progress.setCancelButtonText(QStringLiteral("中止"));
    progress.setRange(0, copies * (count + 1));
    progress.setMinimumDuration(500);
    progress.setWindowModality(Qt::WindowModal);

    const PrintResult result = run_job([&](PrintDevice& device) {
        return print_copies(
            device, copies,
            [&](int page, int pageCount) {
                progress.setValue(progress.value() + 1);
                progress.setLabelText(page == 0 ? QStringLiteral("印刷を始めています...")
                                                : QStringLiteral("%1 / %2 ページを印刷しています...")
                                                      .arg(page)
                                                      .arg(pageCount));
                return !progress.wasCanceled();
            },
            first, last);
    });
    progress.reset();
    report(result);
}

PrintResult PrintCommands::run_job(const std::function<PrintResult(PrintDevice&)>& job)
{
    // A PDF goes to a temporary file beside the chosen one and replaces it
    // only when the job succeeded: a failed or cancelled print leaves neither
    // half an album nor a damaged earlier PDF.
    const bool pdf = chosen->outputFormat() == QPrinter::PdfFormat;
    const QString target = chosen->outputFileName();
    QString partial;
    if (pdf) {
        QTemporaryFile temp(target + QStringLiteral(".XXXXXX"));
        temp.setAutoRemove(false);
        if (!temp.open()) {
            return { PrintStatus::Failed, 0, {},
                target
                    + QStringLiteral(": PDF ファイルを作れませんでした (%1).")
                          .arg(temp.errorString()) };
        }
        partial = temp.fileName();
        chosen->setOutputFileName(partial);
    }
    PrintResult result;
    {
        PainterPrintDevice device(chosen.get(), [this] { chosen->abort(); });
        result = job(device);
    }
    if (!pdf)
        return result;
    chosen->setOutputFileName(target);
    if (result.ok()
        && std::rename(
               QFile::encodeName(partial).constData(), QFile::encodeName(target).constData())
            == 0)
        return result;
    QFile::remove(partial);
    if (result.ok())
        result = { PrintStatus::Failed, 0, {},
            target + QStringLiteral(": PDF ファイルを保存できませんでした.") };
    return result;
}

PrintResult PrintCommands::print_copies(
    PrintDevice& device, int copies, const PrintProgress& progress, int firstPage, int lastPage)
{
    PrintOptions options;
    options.firstPage = firstPage;
    options.lastPage = lastPage;
    options.keepPhotoShape = window.preferences().keepPhotoShape;
    options.pagesAhead = 2;
    options.threads = std::max(2, QThread::idealThreadCount());
    // Printing keeps no photo beyond its page.
    const PhotoSource photos = print_photo_source(
        options.keepPhotoShape ? PhotoFit::KeepShape : PhotoFit::Stretch);
    for (int copy = 1; copy <= copies; ++copy) {
        const PrintResult result
            = print_album(device, window.document(), photos, progress, options);
        if (!result.ok())
            return result;
    }
    return {};
}

PageSlots PrintCommands::screen_page(double pictureDpi)
{
    PhotoLoader loader(0);
    const QSize size = photo_print_size(pictureDpi);
    PageSlots slots;
    for (int s = 0; s < 3; ++s) {
        SlotView& view = window.slot(s);
        const QString& path
            = window.entries().get_field(entry_index(window.current_page(), s), EntryField::Image);
        SlotRecord& record = slots[size_t(s)];
        record.numberLabel = view.numberBox()->text();
        record.title = view.title();
        record.text = view.text();
        record.hasPhoto = !path.isEmpty();
        if (record.hasPhoto) {
            const Picture picture = loader.load(path, size,
                window.preferences().keepPhotoShape ? PhotoFit::KeepShape : PhotoFit::Stretch);
            record.picture = picture.ok() && !picture.image.isNull() ? picture.image
                                                                     : view.photoBox()->picture();
        }
    }
    return slots;
}

void PrintCommands::print_page()
{
    // Without a dialog there is no other place to learn that nothing can print.
    // (Qt falls back to PDF output without a file when there is no printer.)
    const bool noTarget = chosen->outputFormat() == QPrinter::NativeFormat
        ? chosen->printerName().isEmpty()
        : chosen->outputFileName().isEmpty();
    if (noTarget) {
        window.dialogs().inform(&window,
            QStringLiteral("印刷できるプリンタがありません. "
                           "「プリンタ設定」でプリンタか PDF ファイルを選んでください."));
        return;
    }
    if (!PreCheck(window).confirm_page(window.current_page()))
        return;
    report(run_job([this](PrintDevice& device) {
        return zk::print_page(
            device, screen_page(device.pictureDpi()), window.preferences().keepPhotoShape);
    }));
}

void PrintCommands::print_setting_Click()
{
    window.dialogs().printerSetup(&window, *chosen);
}

void PrintCommands::report(const PrintResult& result)
{
    if (result.status == PrintStatus::Failed)
        window.dialogs().warn(&window, result.message);
}

} // namespace zk
