#include "coverpage.h"

#include "printdevice.h"

#include "model/coverdata.h"
#include "model/leadingnumber.h"

namespace zk {

namespace {

enum class Face { Gothic, Mincho };

struct TextStyle
{
    Face face;
    double points;
    bool bold;
};

// Title, row headings, and everything else.
constexpr TextStyle Title { Face::Gothic, 28, true };
constexpr TextStyle Heading { Face::Gothic, 16, true };
constexpr TextStyle Body { Face::Mincho, 14, false };
// "提出年月日" is a heading in the body face.
constexpr TextStyle SubmissionHeading = Body;

QString fontName(Face face)
{
    return face == Face::Gothic ? QStringLiteral("ＭＳ ゴシック") : QStringLiteral("ＭＳ 明朝");
}

// Every text sets its position and its whole font anew, also when they repeat.
void text(PrintDevice& device, double x, double y, TextStyle style, const QString& s)
{
    device.setPosition(x, y);
    device.setFontName(fontName(style.face));
    device.setFontSize(style.points);
    device.setFontBold(style.bold);
    device.printText(s);
}

// A one-digit month or day stands further right, so that it ends where a
// two-digit one does.
double shifted(const QString& value, double belowTen, double otherwise)
{
    return leading_number(value) < 10 ? belowTen : otherwise;
}

// One date row of the construction period: 着工 or 竣工 and its date.
void periodRow(PrintDevice& device, double y, const QString& era, const QString& first,
    const QString& year, const QString& month, const QString& day)
{
    text(device, 83, y, Body, first);
    text(device, 100, y, Body, QStringLiteral("工"));
    text(device, 113, y, Body, era);
    text(device, 126.5, y, Body, year);
    text(device, 133.5, y, Body, QStringLiteral("年"));
    text(device, shifted(month, 147.5, 144), y, Body, month);
    text(device, 151, y, Body, QStringLiteral("月"));
    text(device, shifted(day, 164, 160.5), y, Body, day);
    text(device, 167, y, Body, QStringLiteral("日"));
}

} // namespace

void print_cover(PrintDevice& device, const CoverData& cover, Era era)
{
    const auto field = [&cover](CoverField f) { return cover.field(f); };
    const QString eraName = era_name(era);

    device.setOrigin(0.0, 4.0);
    device.setPenWidth(4);
    device.drawRect(38, 22, 192, 276.5);
    device.setPenWidth(2);

    // Fixed text: the spaced title is how the handed-in cover reads.
    text(device, 77, 50, Title, QStringLiteral("工 事 写 真 帳"));

    text(device, 54, 82, Heading, QStringLiteral("工事番号"));
    // Era, fiscal year and 年度 are one text, and so is the project number.
    text(device, 87.5, 82.5, Body,
        eraName + QStringLiteral("　") + field(CoverField::FiscalYear) + QStringLiteral(" 年度"));
    text(device, 147, 82.5, Body,
        QStringLiteral("工第　") + field(CoverField::ProjectNumber) + QStringLiteral(" 号"));
    device.drawLine(54, 90, 174, 90);

    text(device, 54, 111, Heading, QStringLiteral("工 事 名"));
    text(device, 87.5, 111.5, Body, field(CoverField::ProjectName));
    device.drawLine(54, 119, 174, 119);

    text(device, 54, 140, Heading, QStringLiteral("工事場所"));
    text(device, 87.5, 140.5, Body, field(CoverField::ProjectSite));
    device.drawLine(54, 148, 174, 148);

    text(device, 54, 169, Heading, QStringLiteral("工　　期"));
    periodRow(device, 169.5, eraName, QStringLiteral("着"), field(CoverField::StartYear),
        field(CoverField::StartMonth), field(CoverField::StartDay));
    device.drawLine(77, 177, 174, 177);
    periodRow(device, 190, eraName, QStringLiteral("竣"), field(CoverField::CompletionYear),
        field(CoverField::CompletionMonth), field(CoverField::CompletionDay));
    device.drawLine(77, 198, 174, 198);

    text(device, 54, 247, Heading, QStringLiteral("工事施工者"));
    text(device, 87.5, 247.5, Body, field(CoverField::Contractor));
    device.drawLine(54, 256, 174, 256);

    // The submission date has no rule of its own; its month moves by 5 mm.
    const QString month = field(CoverField::SubmissionMonth);
    const QString day = field(CoverField::SubmissionDay);
    text(device, 54, 258.5, SubmissionHeading, QStringLiteral("提出年月日"));
    text(device, 87.5, 258.5, Body, eraName);
    text(device, 102, 258.5, Body, field(CoverField::SubmissionYear));
    text(device, 109.5, 258.5, Body, QStringLiteral("年"));
    text(device, shifted(month, 123, 118), 258.5, Body, month);
    text(device, 127, 258.5, Body, QStringLiteral("月"));
    text(device, shifted(day, 143.5, 140), 258.5, Body, day);
    text(device, 147, 258.5, Body, QStringLiteral("日"));

    device.setPenWidth(1);
    device.newPage();
}

} // namespace zk
