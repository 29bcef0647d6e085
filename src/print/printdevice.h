#pragma once

#include <QImage>
#include <QString>

namespace zk {

// What the album's layouts draw on: one print job of sheets laid out in
// millimetres. Every setting holds until it is set again within the job.
// A job begins with the first call after the previous endJob() or abortJob().
//
// A device that fails (no printer, a write error) keeps its first error and
// ignores the drawing calls that follow; the print commands look at failed()
// after every sheet and abort the job.
class PrintDevice
{
public:
    virtual ~PrintDevice() = default;

    // Millimetre units from here on; the printable area's left edge gets
    // x = left and its top edge y = top.
    virtual void setOrigin(double left, double top) = 0;
    // Where the next text goes: the top-left corner of its line box.
    virtual void setPosition(double x, double y) = 0;
    virtual void setFontName(const QString& name) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void setFontBold(bool bold) = 0;
    // One line at the position, black; nothing is wrapped or clipped.
    virtual void printText(const QString& text) = 0;

    // Pen for lines and rectangles, in the device's own dots.
    virtual void setPenWidth(int devicePixels) = 0;
    virtual void setPenSolid() = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2) = 0;
    // The unfilled outline of the rectangle with these opposite corners.
    virtual void drawRect(double x1, double y1, double x2, double y2) = 0;
    // The whole picture stretched to the rectangle; the aspect ratio is not kept.
    virtual void drawPicture(const QImage& picture, double x, double y, double width, double height)
        = 0;

    // Ends the sheet; the next drawing goes on a new one, and a sheet on which
    // nothing was drawn still comes out.
    virtual void newPage() = 0;
    // Hands the job with all its sheets to the printing system.
    virtual void endJob() = 0;
    // Gives up the job after an error or a cancel, so that it blocks nothing;
    // where the device can, the sheets drawn so far are discarded.
    virtual void abortJob() = 0;

    // The dots per inch that pictures are best decoded at for this device: its
    // own raster, or 300 where it has none (PDF).
    virtual double pictureDpi() const = 0;

    bool failed() const { return !error.isEmpty(); }
    // Why the device failed, for the user in Japanese; empty while it works.
    QString errorString() const { return error; }

protected:
    // Keeps the first failure of the job; later ones are its consequences.
    void setError(const QString& message);
    void clearError() { error.clear(); }

private:
    QString error;
};

} // namespace zk
