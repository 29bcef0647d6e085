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

// The loader's load() as a photo source; the loader must outlive it.
PhotoSource photo_source(PhotoLoader& loader);

// Fills slots with page's number labels, titles, texts and has-photo flags
// from the entries, and its pictures decoded from their image files at
// pictureSize. A photo that cannot be read gives a Failed result naming the
// entry and the file; slots then holds no picture.
PrintResult load_page_slots(PageSlots& slots, const EntryTable& entries, int page,
    const PhotoSource& photos, const QSize& pictureSize);

// Prints one copy of the album as one job: the cover, then a sheet for every
// page of three, its photos decoded from their files at print resolution
// (photo_print_size(device.pictureDpi())) and at most three held at a time.
// A page whose three entries have no image file comes out as an empty sheet.
// A photo that cannot be read, a device failure or a cancel aborts the job.
// The cover names its years in era.
PrintResult print_album(PrintDevice& device, const Document& document, const PhotoSource& photos,
    const PrintProgress& progress = {}, Era era = Era::Heisei);

// Prints one photo page as a job of one sheet, drawn in full even when no
// slot has a photo. The caller supplies the pictures, decoded at
// photo_print_size(device.pictureDpi()).
PrintResult print_page(PrintDevice& device, const PageSlots& slots);

} // namespace zk
