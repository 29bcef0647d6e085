#include "printcommands.h"

#include "ui/dialogs.h"
#include "app/precheck.h"
#include "docfile/safefile.h"
#include "model/album.h"
#include "model/usersettings.h"
#include "print/painterprintdevice.h"
#include "print/photopage.h"

#include <QCoreApplication>
#include <QPdfWriter>
#include <QPrinter>
#include <QProgressDialog>
#include <QThread>

namespace zk {

PrintCommands::PrintCommands(const Album& album, const UserSettings& settings, Dialogs& dialogs,
    QWidget* window, std::function<ScreenPage()> screen)
    : album(album), settings(settings), dialogs(dialogs), window(window),
      screen(std::move(screen)), chosen(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      check(new PreCheck(album, settings, dialogs, window, this))
{
    // Starts as the desktop's default printer, A4 portrait as the album is laid out.
    chosen->setPageSize(QPageSize(QPageSize::A4));
    chosen->setPageOrientation(QPageLayout::Portrait);
}

PrintCommands::~PrintCommands() = default;

const Preferences& PrintCommands::preferences() const
{
    return settings.preferences();
}

void PrintCommands::print_album()
{
    const int pages = album.entries().page_count();
    PrintRequest request;
    request.maxPage = pages;
    if (!dialogs.print(window, *chosen, request))
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
    if (!check->confirm(first, last))
        return;
    // Let the window repaint where the dialog was before the work starts.
    QCoreApplication::processEvents();
    print_with_progress(copies, first, last);
}

void PrintCommands::print_with_progress(int copies, int first, int last)
{
    const int pages = album.entries().page_count();
    const int count = std::max(0, (last <= 0 ? pages : std::min(last, pages)) - first + 1);
    QProgressDialog progress(window);
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
                progress.setLabelText(page == 0
                        ? QStringLiteral("印刷を始めています...")
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
    if (chosen->outputFormat() == QPrinter::PdfFormat)
        return run_pdf_job(job);
    PainterPrintDevice device(chosen.get(), [this] { chosen->abort(); });
    return job(device);
}

PrintResult PrintCommands::run_pdf_job(const std::function<PrintResult(PrintDevice&)>& job)
{
    // Qt's PDF engine does not report failed writes, so the PDF is written
    // through our own file, which checks every write and replaces the chosen
    // file only when the job succeeded and every byte reached the disk: a
    // failed or cancelled print leaves neither half an album nor a damaged
    // earlier PDF, and a killed one leaves no partial file behind.
    const QString target = chosen->outputFileName();
    SafeFile out(target);
    if (!out.open())
        return { PrintStatus::Failed, 0, {}, save_failure_message(target, out) };
    QPdfWriter writer(&out);
    writer.setCreator(chosen->creator());
    writer.setTitle(chosen->docName());
    writer.setResolution(chosen->resolution());
    writer.setPageLayout(chosen->pageLayout());
    PrintResult result;
    {
        PainterPrintDevice device(&writer);
        result = job(device);
    }
    if (!result.ok()) {
        out.cancel();
        return result;
    }
    if (!out.commit())
        return { PrintStatus::Failed, 0, {}, save_failure_message(target, out) };
    return result;
}

PrintResult PrintCommands::print_copies(
    PrintDevice& device, int copies, const PrintProgress& progress, int firstPage, int lastPage)
{
    const Preferences& preferences = settings.preferences();
    PrintOptions options;
    options.firstPage = firstPage;
    options.lastPage = lastPage;
    options.keepPhotoShape = preferences.keepPhotoShape;
    // The cover names its years in the era the user chose.
    options.era = preferences.era;
    options.pagesAhead = 2;
    options.threads = std::max(2, QThread::idealThreadCount());
    // Printing keeps no photo beyond its page.
    const PhotoSource photos
        = print_photo_source(options.keepPhotoShape ? PhotoFit::KeepShape : PhotoFit::Stretch);
    // Every copy prints the album as it stood when printing began.
    const Document snapshot = album.document();
    for (int copy = 1; copy <= copies; ++copy) {
        const PrintResult result = zk::print_album(device, snapshot, photos, progress, options);
        if (!result.ok())
            return result;
    }
    return {};
}

PageSlots PrintCommands::screen_page(double pictureDpi)
{
    PhotoLoader loader(0);
    const QSize size = photo_print_size(pictureDpi);
    const ScreenPage shown = screen();
    PageSlots slots;
    for (int s = 0; s < 3; ++s) {
        const Entry& entry = album.entries().entry(entry_index(shown.page, s));
        SlotRecord& record = slots[size_t(s)];
        record.numberLabel = QStringLiteral("No.") + entry.number;
        record.title = entry.title;
        record.text = entry.text;
        record.hasPhoto = !entry.image.isEmpty();
        if (record.hasPhoto) {
            const Picture picture = loader.load(entry.image, size,
                preferences().keepPhotoShape ? PhotoFit::KeepShape : PhotoFit::Stretch);
            record.picture = picture.ok() && !picture.image.isNull() ? picture.image
                                                                     : shown.pictures.at(size_t(s));
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
        dialogs.inform(window,
            QStringLiteral("印刷できるプリンタがありません. "
                           "「プリンタ設定」でプリンタか PDF ファイルを選んでください."));
        return;
    }
    if (!check->confirm_page(screen().page))
        return;
    const bool keepShape = preferences().keepPhotoShape;
    report(run_job([this, keepShape](PrintDevice& device) {
        return zk::print_page(device, screen_page(device.pictureDpi()), keepShape);
    }));
}

void PrintCommands::print_preview(PrintPreview::Scope scope)
{
    PrintPreview preview(album, *this, screen().page, scope, window);
    connect(&preview, &PrintPreview::printRequested, this, [this](PrintPreview::Scope printed) {
        if (printed == PrintPreview::Scope::Album)
            print_album();
        else
            print_page();
    });
    preview.exec();
}

void PrintCommands::choose_printer()
{
    dialogs.printerSetup(window, *chosen);
}

void PrintCommands::report(const PrintResult& result)
{
    if (result.status == PrintStatus::Failed)
        dialogs.warn(window, result.message);
}

} // namespace zk
