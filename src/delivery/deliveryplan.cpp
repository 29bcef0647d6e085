#include "deliveryplan.h"

#include "delivery/deliveryrules.h"
#include "delivery/jistext.h"
#include "delivery/deliveredfile.h"
#include "model/coverdata.h"
#include "model/document.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace zk {

namespace {

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

// The original name goes into 写真ファイル日本語名 only when it may be delivered.
QString deliverableName(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return DeliveryRules::value_problem(QStringLiteral("写真ファイル日本語名"), name).isEmpty()
        ? name
        : QString();
}

QString notDeliverable(const DeliveredFile& facts, const QString& what)
{
    return QStringLiteral("%1が JPEG でも TIFF でもありません (%2)。電子納品では写真を変換しないので、"
                          "JPEG か TIFF のファイルを置いてください")
        .arg(what, facts.format.isEmpty() ? QStringLiteral("形式不明") : facts.format);
}

int coverNumber(const CoverData& cover, CoverField field)
{
    // The cover is free text: full-width digits count as digits.
    QString digits;
    for (const QChar c : cover.field(field).trimmed()) {
        if (c.isDigit())
            digits += QChar(u'0' + c.digitValue());
        else
            return 0;
    }
    return digits.toInt();
}

// Size or time differ; when only the time does, a recorded SHA-256 tells a
// touched file from a changed one.
bool changedSincePlaced(const PhotoRecord& record, const DeliveredFile& facts, const QString& path)
{
    if (!record.isValid() || (record.size == facts.size && record.modified == facts.modified))
        return false;
    if (record.size != facts.size || record.sha256.isEmpty())
        return true;
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return !file.open(QIODevice::ReadOnly) || !hash.addData(&file) || hash.result().toHex() != record.sha256;
}

// The photo's entry in PHOTO.XML: its names and the information of its entry.
DeliveryPhoto photoOf(const DeliverySource& source, const DeliveredFile& facts, int serial)
{
    const PhotoInfo& info = source.info;
    DeliveryPhoto photo;
    photo.entry = source.entry;
    photo.source = source.image;
    photo.serial = QString::number(serial);
    photo.fileName = DeliveryRules::delivered_name(u'P', serial, facts.extension);
    photo.japaneseName = deliverableName(source.image);
    photo.largeClass = info.largeClass.isEmpty() ? QStringLiteral("工事") : info.largeClass;
    photo.photoClass = info.photoClass;
    photo.workType = info.workType;
    photo.kind = info.kind;
    photo.detail = info.detail;
    photo.title = source.title;
    photo.reserves = info.reserves;
    photo.spot = info.spot;
    photo.representative = info.representative.isEmpty() ? QStringLiteral("0") : info.representative;
    photo.frequency = info.frequency.isEmpty() ? QStringLiteral("0") : info.frequency;
    photo.controlValue = info.controlValue;
    photo.remark = info.remark;
    return photo;
}

// A shooting date that differs from the EXIF date or lies outside the construction period.
QStringList dateWarnings(const QString& shotDate, const QDate& exifDate, const DeliveryOptions& options)
{
    QStringList warnings;
    const QDate shot = QDate::fromString(shotDate, QStringLiteral("yyyy-MM-dd"));
    if (shot.isValid() && exifDate.isValid() && shot != exifDate)
        warnings.append(QStringLiteral("撮影年月日 %1 が写真の EXIF の撮影日 %2 と違います").arg(shotDate, dateText(exifDate)));
    if (shot.isValid()
        && ((options.periodStart.isValid() && shot < options.periodStart)
            || (options.periodEnd.isValid() && shot > options.periodEnd)))
        warnings.append(QStringLiteral("撮影年月日 %1 が工期 (%2〜%3) の外です")
                 .arg(shotDate, dateText(options.periodStart), dateText(options.periodEnd)));
    return warnings;
}

// Gives the photo its reference drawings, each file once under its D name
// however many photos refer to it; what cannot be delivered is returned.
QStringList attachDrawings(DeliveryPhoto* photo, const QList<ReferenceDrawing>& drawings,
    QHash<QString, DeliveryDrawing>* drawingsByPath, int* nextDrawing)
{
    QStringList refused;
    for (const ReferenceDrawing& d : drawings) {
        auto known = drawingsByPath->constFind(d.path);
        DeliveryDrawing drawing;
        if (known != drawingsByPath->constEnd()) {
            drawing = *known;
        } else {
            const DeliveredFile drawingFacts = DeliveredFile::read(d.path);
            if (!drawingFacts.readable()) {
                refused.append(QStringLiteral("参考図: %1").arg(drawingFacts.error));
                continue;
            }
            if (!drawingFacts.deliverable()) {
                refused.append(notDeliverable(drawingFacts, QStringLiteral("参考図 %1 ").arg(d.path)));
                continue;
            }
            drawing.source = d.path;
            drawing.fileName = DeliveryRules::delivered_name(u'D', (*nextDrawing)++, drawingFacts.extension);
            drawing.japaneseName = deliverableName(d.path);
            drawingsByPath->insert(d.path, drawing);
        }
        drawing.title = d.title;
        photo->drawings.append(drawing);
    }
    return refused;
}

} // namespace

QList<DeliverySource> DeliveryPlan::sources(const Document& document)
{
    QList<DeliverySource> out;
    for (int i = 1; i <= document.entries.entry_count(); ++i) {
        const Entry& e = document.entries.entry(i);
        if (!e.image.isEmpty())
            out.append({ i, e.image, e.title, e.info, document.records.value(e.image) });
    }
    return out;
}

bool DeliveryPlan::cover_period(const CoverData& cover, Era era, QDate* start, QDate* end)
{
    const auto date = [&](CoverField y, CoverField m, CoverField d) {
        const int year = coverNumber(cover, y);
        return year > 0 ? QDate(year - era_year(0, era), coverNumber(cover, m), coverNumber(cover, d))
                        : QDate();
    };
    const QDate from = date(CoverField::StartYear, CoverField::StartMonth, CoverField::StartDay);
    const QDate to = date(CoverField::CompletionYear, CoverField::CompletionMonth, CoverField::CompletionDay);
    if (!from.isValid() || !to.isValid())
        return false;
    *start = from;
    *end = to;
    return true;
}

DeliveryPlanResult DeliveryPlan::make(const QList<DeliverySource>& sources, const DeliveryOptions& options)
{
    DeliveryPlanResult result;
    DeliveryData& data = result.data;
    data.standard = options.standard.isEmpty() ? DeliveryRules::default_standard() : options.standard;
    const QString standardProblem = DeliveryRules::value_problem(QStringLiteral("適用要領基準"), data.standard);
    if (!standardProblem.isEmpty())
        result.problems.append({ 0, standardProblem });

    QHash<QString, DeliveryDrawing> drawingsByPath;
    int nextDrawing = 1;
    for (const DeliverySource& source : sources) {
        if (source.image.isEmpty())
            continue;
        const auto refuse = [&](const QString& message) { result.problems.append({ source.entry, message }); };
        const auto warn = [&](const QString& message) { result.warnings.append({ source.entry, message }); };
        const PhotoInfo& info = source.info;
        const int serial = int(data.photos.size()) + 1;
        if (serial > DeliveryRules::MaxSerial) {
            refuse(QStringLiteral("写真が %1 枚を超えるため、7 桁の番号で名前を付けられません")
                       .arg(DeliveryRules::MaxSerial));
            continue;
        }

        const DeliveredFile facts = DeliveredFile::read(source.image);
        if (!facts.readable()) {
            refuse(facts.error);
            continue;
        }
        if (!facts.deliverable()) {
            refuse(notDeliverable(facts, QStringLiteral("写真")));
            continue;
        }

        DeliveryPhoto photo = photoOf(source, facts, serial);

        const QDate exifDate = facts.exifTime.date();
        photo.shotDate = info.shotDate.isEmpty() && exifDate.isValid() ? dateText(exifDate) : info.shotDate;
        if (photo.shotDate.isEmpty())
            refuse(QStringLiteral("撮影年月日がなく、写真に EXIF の撮影日時もありません。写真情報で撮影年月日を入れてください"));
        for (const QString& message : dateWarnings(photo.shotDate, exifDate, options))
            warn(message);
        if (changedSincePlaced(source.record, facts, source.image))
            warn(QStringLiteral("写真ファイルが配置後に変更されています (%1)").arg(source.image));
        if (facts.pixels() > DeliveryRules::MaxPixels)
            warn(QStringLiteral("写真の画素数が 300 万を超えています (%1×%2)").arg(facts.width).arg(facts.height));

        for (const QString& message : attachDrawings(&photo, info.drawings, &drawingsByPath, &nextDrawing))
            refuse(message);

        const QStringList broken = DeliveryRules::photo_problems(photo);
        // A missing date is told above, with what to do about it.
        const QString noDate = DeliveryRules::value_problem(QStringLiteral("撮影年月日"), QString());
        for (const QString& message : broken) {
            if (message != noDate)
                refuse(message);
        }
        data.photos.append(photo);
    }
    if (data.photos.isEmpty() && result.problems.isEmpty())
        result.problems.append({ 0, QStringLiteral("写真のある項目がありません。電子納品には写真が 1 枚以上要ります") });
    if (!drawingsByPath.isEmpty())
        data.drawingFolder = QStringLiteral("PHOTO/DRA");
    return result;
}

} // namespace zk
