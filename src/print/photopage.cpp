#include "photopage.h"

#include "printdevice.h"

#include "model/entrytable.h"

#include <QStringList>

#include <algorithm>

namespace zk {

namespace {

// The vertical places of one slot, in millimetres. The slots are not evenly
// spaced: slot 3 lies 184 mm below slot 1 for its two upper rules but 183 mm
// for everything else, so each row is given as it is printed.
struct SlotGeometry
{
    double shortRule; // above the number
    double label;
    double numberRule; // under the number, above the title
    double title;
    double titleRule;
    double textTop; // text line k at textTop + 6k
    double frameTop;
    double frameBottom;
    double photoTop;
};

constexpr std::array<SlotGeometry, 3> Slots { {
    { 13, 15, 20.5, 23, 29, 31, 10, 99, 11 },
    { 105, 107, 112.5, 115, 121, 123, 102, 191, 103 },
    { 197, 198, 204.5, 206, 212, 214, 193, 282, 194 },
} };

constexpr double ColumnLeft = 143.5; // texts and rules of the right-hand column
constexpr double ShortRuleRight = 158;
constexpr double RuleRight = 190;
constexpr double FrameLeft = 18.5;
constexpr double FrameRight = 140.5;
constexpr double PhotoLeft = 19.5;
constexpr double LinePitch = 6;

void printSlot(PrintDevice& device, const SlotRecord& slot, const SlotGeometry& g, bool keepShape)
{
    device.drawLine(ColumnLeft, g.shortRule, ShortRuleRight, g.shortRule);
    device.setFontSize(LabelPoints);
    device.setPosition(ColumnLeft, g.label);
    device.printText(slot.numberLabel);
    device.drawLine(ColumnLeft, g.numberRule, RuleRight, g.numberRule);
    device.setFontSize(LabelPoints);
    device.setPosition(ColumnLeft, g.title);
    device.printText(slot.title);
    device.drawLine(ColumnLeft, g.titleRule, RuleRight, g.titleRule);

    // Only CR LF breaks a line. An empty line still takes its 6 mm, and a
    // long text runs on down the sheet: nothing is wrapped or cut.
    const QStringList lines = slot.text.split(QLatin1String("\r\n"));
    for (qsizetype k = 0; k < lines.size(); ++k) {
        device.setFontSize(TextPoints);
        device.setPosition(ColumnLeft, g.textTop + LinePitch * double(k));
        device.printText(lines.at(k));
    }

    device.setPenWidth(1);
    device.setPenSolid();
    device.drawRect(FrameLeft, g.frameTop, FrameRight, g.frameBottom);
    if (!slot.hasPhoto)
        return;
    if (keepShape && !slot.picture.isNull()) {
        const FittedRect r
            = fit_picture(slot.picture.size(), PhotoLeft, g.photoTop, PhotoWidthMm, PhotoHeightMm);
        device.drawPicture(slot.picture, r.x, r.y, r.width, r.height);
    } else {
        device.drawPicture(slot.picture, PhotoLeft, g.photoTop, PhotoWidthMm, PhotoHeightMm);
    }
}

} // namespace

QSize photo_print_size(double dpi)
{
    const double d = std::min(dpi, 300.0);
    constexpr double MmPerInch = 25.4;
    return QSize(std::max(1, qRound(PhotoWidthMm / MmPerInch * d)),
        std::max(1, qRound(PhotoHeightMm / MmPerInch * d)));
}

PageSlots page_slots(const EntryTable& entries, int page)
{
    Q_ASSERT(page >= 1 && page <= entries.page_count());
    PageSlots slots;
    for (int s = 0; s < 3; ++s) {
        const Entry& entry = entries.entry(entry_index(page, s));
        slots[s].numberLabel = QLatin1String("No.") + entry.number;
        slots[s].title = entry.title;
        slots[s].text = entry.text;
        slots[s].hasPhoto = !entry.image.isEmpty();
    }
    return slots;
}

FittedRect fit_picture(const QSize& pictureSize, double x, double y, double width, double height)
{
    if (pictureSize.isEmpty())
        return { x, y, width, height };
    const double scale
        = std::min(width / pictureSize.width(), height / pictureSize.height());
    const double w = pictureSize.width() * scale;
    const double h = pictureSize.height() * scale;
    return { x + (width - w) / 2, y + (height - h) / 2, w, h };
}

void print_photo_page(PrintDevice& device, const PageSlots& slots, bool keepPhotoShape)
{
    // The page sets up everything it relies on, so it prints the same after
    // the cover, after another page or as a job of its own.
    device.setOrigin(-13.5, 4.0);
    device.setFontName(QStringLiteral("ＭＳ 明朝"));
    device.setFontBold(false);
    device.setPenWidth(1);
    device.setPenSolid();
    for (int s = 0; s < 3; ++s)
        printSlot(device, slots[s], Slots[s], keepPhotoShape);
}

} // namespace zk
