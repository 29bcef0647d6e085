#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <array>

namespace zk {

class EntryTable;
class PrintDevice;

// One slot of a printed photo page, as the page buffer holds it.
struct SlotRecord
{
    QString numberLabel; // "No." directly followed by the entry's number (" 12")
    QString title;
    QString text; // lines separated by CR LF
    QImage picture; // decoded for print; drawn only with hasPhoto
    bool hasPhoto = false; // the entry names an image file
};

// Slots 1, 2 and 3 of a page, from top to bottom.
using PageSlots = std::array<SlotRecord, 3>;

// The photo's box on paper, in millimetres.
constexpr double PhotoWidthMm = 120;
constexpr double PhotoHeightMm = 87;

// The pixel size photos are decoded at for a device of dpi dots per inch:
// never above 300 dpi, more is not seen on paper (1417 x 1028 at 300).
QSize photo_print_size(double dpi);

// The slots of page (from 1) from the entries: number labels, titles, texts
// and has-photo flags, without pictures. The page must lie within the table.
PageSlots page_slots(const EntryTable& entries, int page);

// Draws one photo page: its set-up, then slots 1, 2 and 3, each in full;
// a slot's picture only with its has-photo flag. Makes no page break and
// does not end the job.
void print_photo_page(PrintDevice& device, const PageSlots& slots);

} // namespace zk
