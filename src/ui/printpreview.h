#pragma once

#include "check/albumcheck.h"
#include "model/document.h"
#include "model/preferences.h"
#include "print/photopage.h"
#include "ui/printsource.h"

#include <QDialog>
#include <QImage>
#include <QMap>

class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;

namespace zk {

class Album;
class PrintDevice;

// The print preview: the sheets exactly as 印刷 (the whole album: cover and
// every page) or 単一印刷 (the page on screen) prints them, drawn by the same
// layouts on the paper of the chosen printer, with the photos at print
// resolution. A page's photos are decoded only when that sheet is shown, so
// a long album opens at once. Its print button prints what it shows, with
// the usual dialog for the whole album. The photo shape and the cover's era
// are the user's settings when the preview opens.
class PrintPreview : public QDialog
{
    Q_OBJECT

public:
    enum class Scope { Album, CurrentPage };

    // page is the page on screen, which 単一印刷 prints.
    PrintPreview(
        const Album& album, PrintSource& printing, int page, Scope scope, QWidget* parent);

    // Sheets of the current scope: the cover and every page, or one.
    int sheetCount() const;
    int currentSheet() const { return sheet; }
    void showSheet(int index);
    // The sheet as shown, at the preview's current zoom.
    const QImage& shownImage() const { return shown; }
    // Draws sheet index on device as the print draws it; no page break, no end.
    void drawSheet(int index, PrintDevice& device);

Q_SIGNALS:
    // The print button: print what the preview shows. The preview has closed.
    void printRequested(zk::PrintPreview::Scope scope);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setScope(int index);
    void render();
    void print();
    // The page buffer of album page `page`, decoded at print resolution; the
    // sheets next to the shown one are kept, others let go.
    const PageSlots& pageSlots(int page);

    // The album as it stood when the preview opened.
    const Document document;
    PrintSource& printing;
    int screenPage;
    bool keepShape;
    Era era;
    Scope scope;
    int sheet = 0;
    QImage shown;
    QMap<int, PageSlots> decoded; // album page (0: the page on screen) -> its slots
    QComboBox* scopeBox;
    QSpinBox* sheetBox;
    QLabel* countLabel;
    QComboBox* zoomBox;
    QScrollArea* area;
    QLabel* paper;
    QLabel* notice; // why a sheet is shown without its photos
    QScrollArea* noticeArea; // keeps many findings from pushing the sheet away
    QMap<int, QString> failures; // album page -> the print's message for it
    QList<CheckProblem> problems; // what the check before printing finds
};

} // namespace zk
