#pragma once

// Replays the calls a RecordingPrintDevice kept and writes one line per thing
// that reaches the paper, with the settings in force when it was drawn, so
// that tests compare layouts element by element:
//   "text 77 50 G 28 B 工 事 写 真 帳"   (x y font size Bold/Regular text)
//   "line 54 90 174 90 pen 2"            (end points, pen width)
//   "rect 38 22 192 276.5 pen 4"
//   "picture 19.5 11 120 87 1417x1028 #ff0000"
//   "origin 0 4", "newpage", "end", "abort"
// "G" and "M" stand for the fonts "ＭＳ ゴシック" and "ＭＳ 明朝".

#include "print/recordingprintdevice.h"

#include <QStringList>

inline QStringList drawnElements(const QList<zk::PrintCall>& calls)
{
    using zk::PrintOp;
    const auto num = [](double v) { return QString::number(v, 'g', 10); };
    QString font;
    double size = 0;
    bool bold = false;
    double pen = 0;
    double x = 0;
    double y = 0;
    QStringList lines;
    for (const zk::PrintCall& call : calls) {
        switch (call.op) {
        case PrintOp::Position:
            x = call.x1;
            y = call.y1;
            break;
        case PrintOp::FontName:
            font = call.text == QStringLiteral("ＭＳ ゴシック") ? QStringLiteral("G")
                : call.text == QStringLiteral("ＭＳ 明朝")      ? QStringLiteral("M")
                                                                : call.text;
            break;
        case PrintOp::FontSize:
            size = call.value;
            break;
        case PrintOp::FontBold:
            bold = call.value != 0;
            break;
        case PrintOp::PenWidth:
            pen = call.value;
            break;
        case PrintOp::PenSolid:
            break;
        case PrintOp::Text:
            lines << QStringLiteral("text %1 %2 %3 %4 %5 %6")
                         .arg(num(x), num(y), font, num(size),
                             bold ? QStringLiteral("B") : QStringLiteral("R"), call.text);
            break;
        case PrintOp::Line:
        case PrintOp::Rect:
            lines << call.toString() + QStringLiteral(" pen ") + num(pen);
            break;
        case PrintOp::Origin:
        case PrintOp::Picture:
        case PrintOp::NewPage:
        case PrintOp::EndJob:
        case PrintOp::AbortJob:
            lines << call.toString();
            break;
        }
    }
    return lines;
}
