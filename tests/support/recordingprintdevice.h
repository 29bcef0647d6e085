#pragma once

#include "print/printdevice.h"

#include <QList>
#include <QRgb>
#include <QSize>
#include <QStringList>

namespace zk {

enum class PrintOp {
    Origin,
    Position,
    FontName,
    FontSize,
    FontBold,
    Text,
    PenWidth,
    PenSolid,
    Line,
    Rect,
    Picture,
    NewPage,
    EndJob,
    AbortJob,
};

// One call made on a print device, with its arguments.
struct PrintCall
{
    PrintOp op = PrintOp::Text;
    // Origin and Position: x1, y1; Line and Rect: both points;
    // Picture: x1, y1 the top-left corner, x2, y2 the width and height.
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    double value = 0; // FontSize in points, PenWidth in pixels, FontBold 0 or 1
    QString text {}; // Text, FontName
    // Picture: what was drawn, without keeping the picture itself alive.
    QSize pictureSize {};
    QRgb pictureCentre = 0;

    // One line such as "pos 77 50", "text 工事番号", "line 54 90 174 90",
    // "picture 19.5 11 120 87 1417x1028 #ff0000".
    QString toString() const;
};

// A print device that draws nothing and keeps every call in order, for tests
// of the layouts and of the print commands.
class RecordingPrintDevice : public PrintDevice
{
public:
    explicit RecordingPrintDevice(double pictureDpi = 300) : dpi(pictureDpi) { }

    const QList<PrintCall>& calls() const { return recorded; }
    // The calls as toString() lines.
    QStringList log() const;
    void clear() { recorded.clear(); }

    // Makes the device fail once, with message, when the call with this index
    // (counted from 0 over everything recorded) is made.
    void failAtCall(int index, const QString& message);

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
    double pictureDpi() const override { return dpi; }

private:
    void record(PrintCall call);

    double dpi;
    QList<PrintCall> recorded;
    bool jobOpen = false;
    int failIndex = -1;
    QString failMessage;
};

} // namespace zk
