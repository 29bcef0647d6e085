#include "albumprint.h"

#include "coverpage.h"
#include "photopipeline.h"
#include "printdevice.h"

#include "model/document.h"

#include <QDir>

#include <algorithm>
#include <memory>

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

PhotoSource photo_source(PhotoLoader& loader, PhotoFit fit)
{
    return [&loader, fit](
               const QString& path, const QSize& size) { return loader.load(path, size, fit); };
}

PhotoSource print_photo_source(PhotoFit fit)
{
    return [fit](const QString& path, const QSize& size) {
        // A loader of its own for every photo: nothing is shared between threads.
        PhotoLoader loader(0);
        return loader.load(path, size, fit);
    };
}

PrintResult photo_failure(
    const SlotRecord& slot, int position, const QString& path, const Picture& picture)
{
    const QString reason
        = picture.ok() ? QStringLiteral("写真ファイルを読めませんでした.") : picture.error;
    return { PrintStatus::Failed, position, path,
        QStringLiteral("%1 の写真ファイル %2 を読めないため、印刷を中止しました. %3")
            .arg(slot.numberLabel, QDir::toNativeSeparators(path),
                QString(reason).replace(QLatin1Char('\n'), QLatin1Char(' '))) };
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
            return photo_failure(slots[s], position, path, picture);
        }
        slots[s].picture = std::move(picture.image);
    }
    return {};
}

PrintResult print_album(PrintDevice& device, const Document& album, const PhotoSource& photos,
    const PrintProgress& progress, const PrintOptions& options)
{
    // The progress callback may run the event loop, where the user can change
    // the album: the job prints the album as it stood when the job started.
    const Document document = album;
    const int pages = document.entries.page_count();
    const int first = std::max(1, options.firstPage);
    const int last = options.lastPage <= 0 ? pages : std::min(options.lastPage, pages);
    if (first > last)
        return { PrintStatus::Failed, 0, {},
            QStringLiteral("印刷するページがありません. 写真帳は %1 ページまでです.").arg(pages) };
    const bool withCover = first == 1;

    // Nothing has been sent to the device yet: a cancel here leaves no job.
    if (progress && !progress(0, pages))
        return cancelled();

    if (withCover) {
        print_cover(device, document.cover, options.era);
        if (device.failed())
            return deviceFailure(device);
    }

    const QSize pictureSize = photo_print_size(device.pictureDpi());
    std::unique_ptr<PhotoPipeline> pipeline;
    if (options.pagesAhead > 0) {
        QList<int> list;
        for (int page = first; page <= last; ++page)
            list << page;
        pipeline = std::make_unique<PhotoPipeline>(
            document.entries, list, photos, pictureSize, options.pagesAhead, options.threads);
    }
    // Stops the job; the workers are stopped after the device has let go.
    const auto stop = [&](PrintResult result) {
        device.abortJob();
        pipeline.reset();
        return result;
    };

    // The page buffer: one page's three slots, overwritten by the next page.
    PageSlots buffer;
    for (int page = first; page <= last; ++page) {
        if (progress && !progress(page, pages))
            return stop(cancelled());
        const PrintResult loaded = pipeline
            ? pipeline->take(buffer)
            : load_page_slots(buffer, document.entries, page, photos, pictureSize);
        if (!loaded.ok())
            return stop(loaded);
        // The cover's page break already started the first page's sheet, and
        // without the cover the job starts with it. A page without any photo
        // still gets its sheet, left empty.
        if (page > first)
            device.newPage();
        print_album_page(device, buffer, options.keepPhotoShape);
        if (device.failed()) {
            pipeline.reset();
            return deviceFailure(device);
        }
    }
    buffer = {};
    pipeline.reset();
    return endJob(device);
}

void print_album_page(PrintDevice& device, const PageSlots& slots, bool keepPhotoShape)
{
    const bool anyPhoto = std::any_of(
        slots.cbegin(), slots.cend(), [](const SlotRecord& slot) { return slot.hasPhoto; });
    if (anyPhoto)
        print_photo_page(device, slots, keepPhotoShape);
}

PrintResult print_page(PrintDevice& device, const PageSlots& slots, bool keepPhotoShape)
{
    print_photo_page(device, slots, keepPhotoShape);
    if (device.failed())
        return deviceFailure(device);
    return endJob(device);
}

} // namespace zk
