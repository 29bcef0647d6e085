#include "albumprint.h"

#include "coverpage.h"
#include "printdevice.h"

#include "model/document.h"

#include <QDir>

#include <algorithm>

namespace zk {

namespace {

PrintResult cancelled()
{
    return { PrintStatus::Cancelled, 0, {}, QStringLiteral("印刷を取り消しました.") };
}

// Aborts the job and says why the device stopped it.
PrintResult deviceFailure(PrintDevice& device)
{
    PrintResult result { PrintStatus::Failed, 0, {},
        QStringLiteral("印刷を中止しました. ") + device.errorString() };
    device.abortJob();
    return result;
}

// Hands the job to the printing system; a device that fails there still
// fails the job.
PrintResult endJob(PrintDevice& device)
{
    device.endJob();
    if (device.failed())
        return { PrintStatus::Failed, 0, {},
            QStringLiteral("印刷を中止しました. ") + device.errorString() };
    return {};
}

} // namespace

PhotoSource photo_source(PhotoLoader& loader)
{
    return [&loader](const QString& path, const QSize& size) { return loader.load(path, size); };
}

PrintResult load_page_slots(PageSlots& slots, const EntryTable& entries, int page,
    const PhotoSource& photos, const QSize& pictureSize)
{
    // Replacing the slots first lets the last page's pictures go before this
    // page's are decoded.
    slots = page_slots(entries, page);
    for (int s = 0; s < 3; ++s) {
        const int position = entry_index(page, s);
        const QString& path = entries.get_field(position, EntryField::Image);
        if (path.isEmpty())
            continue;
        Picture picture = photos(path, pictureSize);
        if (!picture.ok() || picture.image.isNull()) {
            for (SlotRecord& slot : slots)
                slot.picture = QImage();
            const QString reason
                = picture.ok() ? QStringLiteral("写真ファイルを読めませんでした.") : picture.error;
            return { PrintStatus::Failed, position, path,
                QStringLiteral("%1 の写真ファイル %2 を読めないため、印刷を中止しました. %3")
                    .arg(slots[s].numberLabel, QDir::toNativeSeparators(path),
                        QString(reason).replace(QLatin1Char('\n'), QLatin1Char(' '))) };
        }
        slots[s].picture = std::move(picture.image);
    }
    return {};
}

PrintResult print_album(PrintDevice& device, const Document& document, const PhotoSource& photos,
    const PrintProgress& progress, Era era)
{
    const int pages = document.entries.page_count();
    // Nothing has been sent to the device yet: a cancel here leaves no job.
    if (progress && !progress(0, pages))
        return cancelled();

    print_cover(device, document.cover, era);
    if (device.failed())
        return deviceFailure(device);

    const QSize pictureSize = photo_print_size(device.pictureDpi());
    // The page buffer: one page's three slots, overwritten by the next page.
    PageSlots buffer;
    for (int page = 1; page <= pages; ++page) {
        if (progress && !progress(page, pages)) {
            device.abortJob();
            return cancelled();
        }
        const PrintResult loaded
            = load_page_slots(buffer, document.entries, page, photos, pictureSize);
        if (!loaded.ok()) {
            device.abortJob();
            return loaded;
        }
        // The cover's page break already started page 1's sheet. A page without
        // any photo still gets its sheet, left empty.
        if (page > 1)
            device.newPage();
        const bool anyPhoto = std::any_of(
            buffer.cbegin(), buffer.cend(), [](const SlotRecord& slot) { return slot.hasPhoto; });
        if (anyPhoto)
            print_photo_page(device, buffer);
        if (device.failed())
            return deviceFailure(device);
    }
    buffer = {};
    return endJob(device);
}

PrintResult print_page(PrintDevice& device, const PageSlots& slots)
{
    print_photo_page(device, slots);
    if (device.failed())
        return deviceFailure(device);
    return endJob(device);
}

} // namespace zk
