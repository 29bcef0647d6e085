#include "painterprintdevice.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPen>

#include <algorithm>

namespace zk {

namespace {

constexpr double MmPerInch = 25.4;
// A pen of n device pixels on a device without dots of its own (PDF) is n/300
// inch wide: the dot of an ordinary office printer, so the cover's frame of
// 4 stays clearly heavier than its rules of 2.
constexpr double NominalDpi = 300;

} // namespace

PainterPrintDevice::PainterPrintDevice(QPagedPaintDevice* target, std::function<void()> onAbort)
    : surface(target), target(target), onAbort(std::move(onAbort))
{
}

PainterPrintDevice::PainterPrintDevice(QImage* sheet, const QPageLayout& layout)
    : surface(sheet), target(nullptr), sheetLayout(layout)
{
}

PainterPrintDevice::~PainterPrintDevice()
{
    // A job left open by its caller is finished rather than lost.
    if (painter.isActive())
        painter.end();
}

bool PainterPrintDevice::ensureJob()
{
    if (state == JobState::Active)
        return true;
    if (state == JobState::Failed)
        return false;

    clearError();
    originLeft = originTop = 0;
    position = {};
    fontName.clear();
    fontSize = 10;
    fontBold = false;
    penWidth = 1;

    if (!painter.begin(surface)) {
        state = JobState::Failed;
        setError(
            QStringLiteral("印刷を始められませんでした. プリンタまたは出力先を確かめてください."));
        return false;
    }
    state = JobState::Active;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setBrush(Qt::NoBrush);

    pixelsPerMmX = surface->logicalDpiX() / MmPerInch;
    pixelsPerMmY = surface->logicalDpiY() / MmPerInch;
    if (!target) {
        // A sheet image covers the whole paper; the printable area starts at
        // the margins, as on the printer.
        QPageLayout layout = sheetLayout;
        layout.setMode(QPageLayout::StandardMode);
        printableOrigin = layout.paintRectPixels(surface->logicalDpiX()).topLeft();
        applyPen();
        return true;
    }

    // Where the printable area begins in painter coordinates. Qt's print and
    // PDF engines (QPdfWriter, and QPrinter, which on CUPS is a PDF engine too)
    // put the painter's origin at the top-left of the page layout's paint
    // rect, the paper less the layout's margins: for QPrinter the margins of
    // its page setup, for zkrtool 0, so that the printable area is the whole
    // sheet. Only in full-page mode is the origin the paper's corner; then the
    // same paint rect is found here, so the album lands on the same spot of
    // the sheet in either mode.
    QPageLayout layout = target->pageLayout();
    if (layout.mode() == QPageLayout::FullPageMode) {
        layout.setMode(QPageLayout::StandardMode);
        printableOrigin = layout.paintRectPixels(target->logicalDpiX()).topLeft();
    } else {
        printableOrigin = {};
    }
    applyPen();
    return true;
}

QPointF PainterPrintDevice::toDevice(double x, double y) const
{
    return printableOrigin
        + QPointF((x - originLeft) * pixelsPerMmX, (y - originTop) * pixelsPerMmY);
}

bool PainterPrintDevice::hasOwnDots() const
{
    // A preview sheet shows pens as a PDF has them.
    if (!target)
        return false;
    const QPaintEngine* engine = target->paintEngine();
    return engine && engine->type() != QPaintEngine::Pdf;
}

void PainterPrintDevice::applyPen()
{
    // Flat ends and mitred corners: a line ends exactly at its end points and
    // a frame's corners are square.
    const double dots = hasOwnDots() ? penWidth : penWidth * surface->logicalDpiX() / NominalDpi;
    painter.setPen(QPen(Qt::black, dots, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
}

void PainterPrintDevice::setOrigin(double left, double top)
{
    if (!ensureJob())
        return;
    originLeft = left;
    originTop = top;
}

void PainterPrintDevice::setPosition(double x, double y)
{
    if (!ensureJob())
        return;
    position = QPointF(x, y);
}

void PainterPrintDevice::setFontName(const QString& name)
{
    if (!ensureJob())
        return;
    fontName = name;
}

void PainterPrintDevice::setFontSize(double points)
{
    if (!ensureJob())
        return;
    fontSize = points;
}

void PainterPrintDevice::setFontBold(bool bold)
{
    if (!ensureJob())
        return;
    fontBold = bold;
}

void PainterPrintDevice::printText(const QString& text)
{
    if (!ensureJob() || text.isEmpty())
        return;
    // The name is asked for as the layout gives it ("ＭＳ 明朝"); the font
    // substitutes installed at start-up pick the installed face.
    QFont font(fontName);
    font.setPointSizeF(fontSize);
    font.setBold(fontBold);
    painter.setFont(font);
    // The position is the top of the line box; Qt draws at the baseline.
    const QFontMetricsF metrics(painter.font(), surface);
    painter.drawText(toDevice(position.x(), position.y()) + QPointF(0, metrics.ascent()), text);
}

void PainterPrintDevice::setPenWidth(int devicePixels)
{
    if (!ensureJob())
        return;
    penWidth = std::max(1, devicePixels);
    applyPen();
}

void PainterPrintDevice::setPenSolid()
{
    // The pen is always solid; the call only starts the job like any other.
    ensureJob();
}

void PainterPrintDevice::drawLine(double x1, double y1, double x2, double y2)
{
    if (!ensureJob())
        return;
    painter.drawLine(toDevice(x1, y1), toDevice(x2, y2));
}

void PainterPrintDevice::drawRect(double x1, double y1, double x2, double y2)
{
    if (!ensureJob())
        return;
    painter.drawRect(QRectF(toDevice(x1, y1), toDevice(x2, y2)).normalized());
}

void PainterPrintDevice::drawPicture(
    const QImage& picture, double x, double y, double width, double height)
{
    if (!ensureJob() || picture.isNull())
        return;
    painter.drawImage(QRectF(toDevice(x, y), toDevice(x + width, y + height)), picture);
}

void PainterPrintDevice::newPage()
{
    if (!ensureJob() || !target)
        return;
    if (!target->newPage()) {
        state = JobState::Failed;
        setError(QStringLiteral("次の用紙に進めませんでした. プリンタを確かめてください."));
    }
}

void PainterPrintDevice::endJob()
{
    // A job without any call still prints as one empty sheet.
    ensureJob();
    if (painter.isActive() && !painter.end())
        setError(QStringLiteral("印刷を終えられませんでした. プリンタを確かめてください."));
    state = JobState::Idle;
}

void PainterPrintDevice::abortJob()
{
    if (state == JobState::Idle)
        return;
    if (onAbort)
        onAbort();
    if (painter.isActive())
        painter.end();
    state = JobState::Idle;
}

double PainterPrintDevice::pictureDpi() const
{
    if (!hasOwnDots())
        return NominalDpi;
    return std::min(target->logicalDpiX(), target->logicalDpiY());
}

} // namespace zk
