#pragma once

#include "photopage.h"

#include "model/preferences.h"
#include "photos/photoloader.h"

#include <QString>

#include <functional>

namespace zk {

struct Document;
class EntryTable;
class PrintDevice;

// Decodes the image file at path at exactly size pixels, upright; an empty
// path gives an empty picture. In the program: a PhotoLoader that caches
// nothing (photo_source()), so that printing keeps no photo beyond its page.
using PhotoSource = std::function<Picture(const QString& path, const QSize& size)>;

// Told before the cover (page 0) and before each photo page (1 to pageCount)
// is drawn; returning false cancels the job.
using PrintProgress = std::function<bool(int page, int pageCount)>;

enum class PrintStatus {
    Printed,
    Cancelled, // the progress callback said stop; the job was aborted
    Failed, // a photo could not be read or the device failed; the job was aborted
};

// How a print job ended. A caller printing several copies stops at the first
// result that is not ok(); a Failed one carries the message to show.
struct PrintResult
{
    PrintStatus status = PrintStatus::Printed;
    int entry = 0; // the position of the entry whose photo stopped the job, else 0
    QString file; // that entry's image file
    QString message; // for the user, in Japanese, one line; empty when printed

    bool ok() const { return status == PrintStatus::Printed; }
};

// What print_album prints and how.
struct PrintOptions
{
    // The album's page numbers to print, as the page box shows them; lastPage
    // 0 is the album's last page. The cover comes with a range from page 1.
    int firstPage = 1;
    int lastPage = 0;
    // Photos drawn with their own proportions inside their boxes.
    bool keepPhotoShape = false;
    // Pages whose photos are decoded ahead, on `threads` worker threads, while
    // a page is drawn; 0 decodes each page on the calling thread just before
    // it is drawn. The photo source must then be safe to call from threads.
    int pagesAhead = 0;
    int threads = 2;
    // The era the cover names its years in.
    Era era = Era::Heisei;
};

// The loader's load() as a photo source; the loader must outlive it.
PhotoSource photo_source(PhotoLoader& loader, PhotoFit fit = PhotoFit::Stretch);
// The source printing uses: every call decodes the file anew and keeps
// nothing, and calls from several threads run at the same time.
PhotoSource print_photo_source(PhotoFit fit = PhotoFit::Stretch);

// The Failed result for slot's photo at position that could not be read.
PrintResult photo_failure(
    const SlotRecord& slot, int position, const QString& path, const Picture& picture);

// Fills slots with page's number labels, titles, texts and has-photo flags
// from the entries, and its pictures decoded from their image files at
// pictureSize. A photo that cannot be read gives a Failed result naming the
// entry and the file; slots then holds no picture.
PrintResult load_page_slots(PageSlots& slots, const EntryTable& entries, int page,
    const PhotoSource& photos, const QSize& pictureSize);

// Prints one copy of the album as one job: the cover, then a sheet for every
// page of three, its photos decoded from their files at print resolution
// (photo_print_size(device.pictureDpi())); at most three are held at a time,
// or (pagesAhead + 1) x 3 when pages are decoded ahead. options may narrow
// the job to a range of pages, with the cover only when it starts at page 1.
// A page whose three entries have no image file comes out as an empty sheet.
// A photo that cannot be read, a device failure or a cancel aborts the job;
// a range without any page of the album prints nothing and fails.
PrintResult print_album(PrintDevice& device, const Document& document, const PhotoSource& photos,
    const PrintProgress& progress = {}, const PrintOptions& options = {});

// Draws one page of the album as print_album does, on the current sheet:
// the photo page, or nothing at all when none of its slots has a photo.
void print_album_page(PrintDevice& device, const PageSlots& slots, bool keepPhotoShape);

// Prints one photo page as a job of one sheet, drawn in full even when no
// slot has a photo. The caller supplies the pictures, decoded at
// photo_print_size(device.pictureDpi()).
PrintResult print_page(PrintDevice& device, const PageSlots& slots, bool keepPhotoShape = false);

} // namespace zk
