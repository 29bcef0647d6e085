#pragma once

#include <QByteArray>
#include <QImage>

#include <array>

namespace zk {

// Image files that Qt 6.4's readers turn into a wrong picture without any
// error, and what the loader does about each:
// - an OS/2 1.x BMP whose palette is shorter than its bit depth allows is
//   read with the palette running into the pixels: its header is rewritten
//   as a Windows BMP header that states the palette's length;
// - a BMP with bit fields wider than 8 bits (11-11-10, 10-bit colour) comes
//   out black: it is decoded here;
// - a 16-bit PNG with a transparent colour (tRNS) comes out garbled: Qt
//   reads it without that chunk, and the colour is made transparent here;
// - a 1-bit picture that Qt's reader shrinks comes out black and white
//   whatever its palette: it is read at its own size and scaled here.
// A file of these kinds that cannot be decoded correctly is refused.
class ReaderWorkarounds
{
public:
    explicit ReaderWorkarounds(const QByteArray& data);

    // The bytes for Qt's reader: the file itself or a repaired copy.
    const QByteArray& readerData() const { return bytes; }
    // The file is of one of the kinds above but cannot be decoded correctly.
    bool unreadable() const { return refused; }
    // The picture is decoded by decode(), not by Qt's reader.
    bool decodesHere() const { return bitFields; }
    QImage decode() const;
    // Qt's reader must read the picture at its own size, for finish().
    bool readsFullSize(QImage::Format readerFormat) const;
    // The picture read at its own size (or by decode()), completed and
    // scaled to size; null when it cannot be completed.
    QImage finish(QImage image, const QSize& size) const;

private:
    void inspectBmp();
    void inspectPng();

    QByteArray bytes;
    bool refused = false;
    // BMP bit fields decoded here: red, green, blue and alpha masks.
    bool bitFields = false;
    std::array<quint32, 4> masks {};
    // 16-bit PNG's transparent colour: one grey or red, green and blue values.
    int keyChannels = 0;
    std::array<quint16, 3> key {};
};

} // namespace zk
