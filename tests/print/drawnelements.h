#pragma once

// Replays the calls a RecordingPrintDevice kept and writes one line per thing
// that reaches the paper, with the settings in force when it was drawn, so
// that tests compare layouts element by element:
//   "text 77 50 G 28 B 工 事 写 真 帳"   (x y font size Bold/Regular text)
//   "line 54 90 174 90 pen 2"            (end points, pen width)
//   "rect 38 22 192 276.5 pen 4"
//   "picture 19.5 11 120 87 1417x1028 #ff0000"
//   "origin 0 4", "newpage", "end", "abort"
// "G" and "M" stand for the fonts "ＭＳ ゴシック" and "ＭＳ 明朝". The settings
// start unset, so a layout that relies on what was drawn before shows it.

#include "recordingprintdevice.h"

#include <QStringList>

inline QStringList drawnElements(const QList<zk::PrintCall>& calls)
{
    using zk::PrintOp;
    const auto num = [](double v) { return QString::number(v, 'g', 10); };
    QString font;
    QString x, y, size, pen;
    bool bold = false;
    QStringList lines;
    for (const zk::PrintCall& call : calls) {
        if (call.op == PrintOp::Position) {
            x = num(call.x1);
            y = num(call.y1);
        } else if (call.op == PrintOp::FontName) {
            font = call.text == QStringLiteral("ＭＳ ゴシック") ? QStringLiteral("G")
                : call.text == QStringLiteral("ＭＳ 明朝")      ? QStringLiteral("M")
                                                                : call.text;
        } else if (call.op == PrintOp::FontSize) {
            size = num(call.value);
        } else if (call.op == PrintOp::FontBold) {
            bold = call.value != 0;
        } else if (call.op == PrintOp::PenWidth) {
            pen = num(call.value);
        } else if (call.op == PrintOp::Text) {
            lines << QStringLiteral("text %1 %2 %3 %4 %5 %6")
                         .arg(x, y, font, size, bold ? QStringLiteral("B") : QStringLiteral("R"),
                             call.text);
        } else if (call.op == PrintOp::Line || call.op == PrintOp::Rect) {
            lines << call.toString() + QStringLiteral(" pen ") + pen;
        } else if (call.op != PrintOp::PenSolid) {
            lines << call.toString(); // origin, picture, newpage, end, abort
        }
    }
    return lines;
}
