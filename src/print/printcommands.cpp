#include "printcommands.h"

#include "app/dialogs.h"
#include "model/album.h"
#include "print/painterprintdevice.h"
#include "print/photopage.h"

#include <QCoreApplication>
#include <QFile>
#include <QPrinter>
#include <QProgressDialog>
#include <QTemporaryFile>

#include <cstdio>

namespace zk {

PrintCommands::PrintCommands(
    const Album& album, Dialogs& dialogs, QWidget* window, std::function<ScreenPage()> screen)
    : album(album), dialogs(dialogs), window(window), screen(std::move(screen)),
      chosen(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    // Starts as the desktop's default printer, A4 portrait as the album is laid out.
    chosen->setPageSize(QPageSize(QPageSize::A4));
    chosen->setPageOrientation(QPageLayout::Portrait);
}

PrintCommands::~PrintCommands() = default;

void PrintCommands::print_menu_Click()
{
    if (!dialogs.print(window, *chosen, PrintRequest {}))
        return;
    // The album always prints whole, once per copy; the printer makes one of each job.
    int copies = chosen->copyCount();
    chosen->setCopyCount(1);
    chosen->setPrintRange(QPrinter::AllPages);
    // Copies into one PDF file would only overwrite each other.
    if (chosen->outputFormat() == QPrinter::PdfFormat)
        copies = qMin(copies, 1);
    // Let the window repaint where the dialog was before the work starts.
    QCoreApplication::processEvents();

    const int pages = album.entries().page_count();
    QProgressDialog progress(window);
    progress.setWindowTitle(QStringLiteral("印刷"));
    progress.setCancelButtonText(QStringLiteral("中止"));
    progress.setRange(0, copies * (pages + 1));
    progress.setMinimumDuration(500);
    progress.setWindowModality(Qt::WindowModal);

    const PrintResult result = run_job([&](PrintDevice& device) {
        return print_copies(device, copies, [&](int page, int pageCount) {
            progress.setValue(progress.value() + 1);
            progress.setLabelText(page == 0
                    ? QStringLiteral("表紙を印刷しています...")
                    : QStringLiteral("%1 / %2 ページを印刷しています...").arg(page).arg(pageCount));
            return !progress.wasCanceled();
        });
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
    PrintDevice& device, int copies, const PrintProgress& progress)
{
    PhotoLoader loader(0); // printing keeps no photo beyond its page
    const PhotoSource photos = photo_source(loader);
    for (int copy = 1; copy <= copies; ++copy) {
        const PrintResult result = print_album(device, album.document(), photos, progress);
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
            const Picture picture = loader.load(entry.image, size);
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
    report(run_job([this](PrintDevice& device) {
        return zk::print_page(device, screen_page(device.pictureDpi()));
    }));
}

void PrintCommands::print_setting_Click()
{
    dialogs.printerSetup(window, *chosen);
}

void PrintCommands::report(const PrintResult& result)
{
    if (result.status == PrintStatus::Failed)
        dialogs.warn(window, result.message);
}

} // namespace zk
