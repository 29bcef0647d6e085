#pragma once

#include "printdevice.h"

#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPointF>

#include <functional>

class QPagedPaintDevice;

namespace zk {

// The print device on a QPainter over a paged paint device: a QPdfWriter in
// the core and in zkrtool, a QPrinter in the program. Each job runs from the
// first call to endJob() or abortJob() as one QPainter::begin()/end(), so one
// device prints any number of jobs (one per copy) on the same target.
class PainterPrintDevice : public PrintDevice
{
public:
    // onAbort runs in abortJob() while the job is still open, so that the
    // owner can discard it (QPrinter::abort(), QSaveFile::cancelWriting()).
    explicit PainterPrintDevice(QPagedPaintDevice* target, std::function<void()> onAbort = {});
    // Draws on sheet, an image of the whole paper of layout at the image's
    // own dots per inch, for a preview; the printable area begins at the
    // layout's margins. Each job is one sheet: page breaks draw nothing.
    PainterPrintDevice(QImage* sheet, const QPageLayout& layout);
    ~PainterPrintDevice() override;

    PainterPrintDevice(const PainterPrintDevice&) = delete;
    PainterPrintDevice& operator=(const PainterPrintDevice&) = delete;

    void setOrigin(double left, double top) override;
    void setPosition(double x, double y) override;
    void setFontName(const QString& name) override;
    void setFontSize(double points) override;
    void setFontBold(bool bold) override;
    void printText(const QString& text) override;
    void setPenWidth(int devicePixels) override;
    void setPenSolid() override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    void drawRect(double x1, double y1, double x2, double y2) override;
    void drawPicture(
        const QImage& picture, double x, double y, double width, double height) override;
    void newPage() override;
    void endJob() override;
    void abortJob() override;
    double pictureDpi() const override;

private:
    enum class JobState { Idle, Active, Failed };

    // Starts the job on the first call after the last one ended; false when
    // the job has failed and drawing is pointless.
    bool ensureJob();
    QPointF toDevice(double x, double y) const;
    bool hasOwnDots() const;
    void applyPen();

    QPaintDevice* surface;
    QPagedPaintDevice* target; // null when drawing on a sheet image
    QPageLayout sheetLayout;
    std::function<void()> onAbort;
    QPainter painter;
    JobState state = JobState::Idle;

    // Fixed per job: device pixels per millimetre and where the printable
    // area's top-left corner lies in painter coordinates.
    double pixelsPerMmX = 0;
    double pixelsPerMmY = 0;
    QPointF printableOrigin;

    // The layout's settings; a new job starts from these defaults.
    double originLeft = 0;
    double originTop = 0;
    QPointF position;
    QString fontName;
    double fontSize = 10;
    bool fontBold = false;
    int penWidth = 1;
};

} // namespace zk
