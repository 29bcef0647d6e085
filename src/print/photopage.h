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

// The column right of the photo: titles and text lines, in millimetres, and
// how many 6 mm text lines fit in a slot before they run into the next one.
constexpr double ColumnWidthMm = 46.5;
constexpr int TextLinesPerSlot = 11;
// Font sizes of the photo page, in points.
constexpr double LabelPoints = 11;
constexpr double TextPoints = 10;

// The pixel size photos are decoded at for a device of dpi dots per inch:
// never above 300 dpi, more is not seen on paper (1417 x 1028 at 300).
QSize photo_print_size(double dpi);

// The slots of page (from 1) from the entries: number labels, titles, texts
// and has-photo flags, without pictures. The page must lie within the table.
PageSlots page_slots(const EntryTable& entries, int page);

// Draws one photo page: its set-up, then slots 1, 2 and 3, each in full;
// a slot's picture only with its has-photo flag. Makes no page break and
// does not end the job. With keepPhotoShape each picture is drawn with its
// own proportions, centred in its 120 x 87 mm box, instead of stretched.
void print_photo_page(PrintDevice& device, const PageSlots& slots, bool keepPhotoShape = false);

// Where a picture of pictureSize lands in a box at (x, y) of width x height
// when it keeps its proportions: the largest such rectangle, centred.
struct FittedRect
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};
FittedRect fit_picture(const QSize& pictureSize, double x, double y, double width, double height);

} // namespace zk
