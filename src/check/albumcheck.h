#pragma once

#include "model/preferences.h"

#include <QList>
#include <QString>

namespace zk {

struct Document;

// One thing in the album that will not come out on paper as the user expects.
struct CheckProblem
{
    int entry = 0; // position of the entry, from 1; 0 for the cover
    QString message; // for the user, in Japanese, one line

    // "No.N: message", or "表紙: message" for the cover.
    QString toString() const;
    bool operator==(const CheckProblem&) const = default;
};

// Looks the album over before it is printed: photos missing, unreadable or
// not a picture (read from their headers only, nothing is decoded in full),
// titles and texts that their printed boxes cannot show whole (measured with
// the print fonts), characters the print fonts cannot draw or Shift-JIS
// cannot save, a photo file placed twice, empty pages within the album and
// entries with a title or text but no photo. For the delivery: a shooting
// date (撮影年月日, else the photo's EXIF time) outside the cover's
// construction period, whose years count in `era`; in an album that carries
// photo information, a photo without any shooting date; and a photo file
// changed since it was placed (its record's size or time differ; when only
// the time does, the recorded SHA-256 decides).
//
// Measuring needs the fonts, so a QGuiApplication must exist.
class AlbumCheck
{
public:
    // Pages firstPage..lastPage (0: to the end) are checked; the cover too
    // when the range starts at page 1.
    static QList<CheckProblem> run(
        const Document& document, int firstPage = 1, int lastPage = 0, Era era = Era::Heisei);
    // The page as 単一印刷 prints it: drawn in full even without photos, so an
    // empty page is no problem there.
    static QList<CheckProblem> run_single_page(
        const Document& document, int page, Era era = Era::Heisei);
};

} // namespace zk
