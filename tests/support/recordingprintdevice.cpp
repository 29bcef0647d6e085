#include "recordingprintdevice.h"

#include <QColor>

namespace zk {

namespace {

QString num(double v)
{
    return QString::number(v, 'g', 10);
}

} // namespace

QString PrintCall::toString() const
{
    const QLatin1Char sp(' ');
    switch (op) {
    case PrintOp::Origin:
        return QLatin1String("origin ") + num(x1) + sp + num(y1);
    case PrintOp::Position:
        return QLatin1String("pos ") + num(x1) + sp + num(y1);
    case PrintOp::FontName:
        return QLatin1String("font ") + text;
    case PrintOp::FontSize:
        return QLatin1String("size ") + num(value);
    case PrintOp::FontBold:
        return QLatin1String("bold ") + num(value);
    case PrintOp::Text:
        return QLatin1String("text ") + text;
    case PrintOp::PenWidth:
        return QLatin1String("pen ") + num(value);
    case PrintOp::PenSolid:
        return QLatin1String("solid");
    case PrintOp::Line:
        return QLatin1String("line ") + num(x1) + sp + num(y1) + sp + num(x2) + sp + num(y2);
    case PrintOp::Rect:
        return QLatin1String("rect ") + num(x1) + sp + num(y1) + sp + num(x2) + sp + num(y2);
    case PrintOp::Picture:
        return QLatin1String("picture ") + num(x1) + sp + num(y1) + sp + num(x2) + sp + num(y2) + sp
            + QString::number(pictureSize.width()) + QLatin1Char('x')
            + QString::number(pictureSize.height()) + sp + QColor(pictureCentre).name();
    case PrintOp::NewPage:
        return QStringLiteral("newpage");
    case PrintOp::EndJob:
        return QStringLiteral("end");
    case PrintOp::AbortJob:
        return QStringLiteral("abort");
    }
    Q_UNREACHABLE();
}

QStringList RecordingPrintDevice::log() const
{
    QStringList lines;
    lines.reserve(recorded.size());
    for (const PrintCall& call : recorded)
        lines << call.toString();
    return lines;
}

void RecordingPrintDevice::failAtCall(int index, const QString& message)
{
    failIndex = index;
    failMessage = message;
}

void RecordingPrintDevice::record(PrintCall call)
{
    // Like a real device, the first call after the end of a job starts a new
    // one with a clean slate.
    if (!jobOpen) {
        jobOpen = true;
        clearError();
    }
    const bool ends = call.op == PrintOp::EndJob || call.op == PrintOp::AbortJob;
    if (recorded.size() == failIndex) {
        setError(failMessage);
        failIndex = -1;
    }
    recorded.append(std::move(call));
    if (ends)
        jobOpen = false;
}

void RecordingPrintDevice::setOrigin(double left, double top)
{
    record({ .op = PrintOp::Origin, .x1 = left, .y1 = top });
}

void RecordingPrintDevice::setPosition(double x, double y)
{
    record({ .op = PrintOp::Position, .x1 = x, .y1 = y });
}

void RecordingPrintDevice::setFontName(const QString& name)
{
    record({ .op = PrintOp::FontName, .text = name });
}

void RecordingPrintDevice::setFontSize(double points)
{
    record({ .op = PrintOp::FontSize, .value = points });
}

void RecordingPrintDevice::setFontBold(bool bold)
{
    record({ .op = PrintOp::FontBold, .value = bold ? 1.0 : 0.0 });
}

void RecordingPrintDevice::printText(const QString& text)
{
    record({ .op = PrintOp::Text, .text = text });
}

void RecordingPrintDevice::setPenWidth(int devicePixels)
{
    record({ .op = PrintOp::PenWidth, .value = double(devicePixels) });
}

void RecordingPrintDevice::setPenSolid()
{
    record({ .op = PrintOp::PenSolid });
}

void RecordingPrintDevice::drawLine(double x1, double y1, double x2, double y2)
{
    record({ .op = PrintOp::Line, .x1 = x1, .y1 = y1, .x2 = x2, .y2 = y2 });
}

void RecordingPrintDevice::drawRect(double x1, double y1, double x2, double y2)
{
    record({ .op = PrintOp::Rect, .x1 = x1, .y1 = y1, .x2 = x2, .y2 = y2 });
}

void RecordingPrintDevice::drawPicture(
    const QImage& picture, double x, double y, double width, double height)
{
    const QRgb centre
        = picture.isNull() ? 0 : picture.pixel(picture.width() / 2, picture.height() / 2);
    record({ .op = PrintOp::Picture,
        .x1 = x,
        .y1 = y,
        .x2 = width,
        .y2 = height,
        .pictureSize = picture.size(),
        .pictureCentre = qRgb(qRed(centre), qGreen(centre), qBlue(centre)) });
}

void RecordingPrintDevice::newPage()
{
    record({ .op = PrintOp::NewPage });
}

void RecordingPrintDevice::endJob()
{
    record({ .op = PrintOp::EndJob });
}

void RecordingPrintDevice::abortJob()
{
    record({ .op = PrintOp::AbortJob });
}

} // namespace zk
