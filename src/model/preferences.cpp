#include "preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace zk {

namespace {

const QString keepShapeKey = QStringLiteral("print/keepPhotoShape");
const QString eraKey = QStringLiteral("cover/era");
const QString standardKey = QStringLiteral("delivery/standard");
const QString deliveryFolderKey = QStringLiteral("delivery/folder");
const QString overviewGeometryKey = QStringLiteral("overview/geometry");

QString eraValue(Era era)
{
    return era == Era::Reiwa ? QStringLiteral("reiwa") : QStringLiteral("heisei");
}

} // namespace

QString era_name(Era era)
{
    return era == Era::Reiwa ? QStringLiteral("令和") : QStringLiteral("平成");
}

int era_year(int calendarYear, Era era)
{
    return calendarYear - (era == Era::Reiwa ? 2018 : 1988);
}

QString Preferences::default_file()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/zelkora/zelkora.conf");
}

Preferences Preferences::load(const QString& file)
{
    Preferences p;
    const QSettings settings(file, QSettings::IniFormat);
    p.keepPhotoShape = settings.value(keepShapeKey, p.keepPhotoShape).toBool();
    if (settings.value(eraKey).toString() == QLatin1String("reiwa"))
        p.era = Era::Reiwa;
    p.deliveryStandard = settings.value(standardKey, p.deliveryStandard).toString();
    p.deliveryFolder = settings.value(deliveryFolderKey).toString();
    p.overviewGeometry = settings.value(overviewGeometryKey).toByteArray();
    return p;
}

bool Preferences::save(const QString& file) const
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(keepShapeKey, keepPhotoShape);
    settings.setValue(eraKey, eraValue(era));
    settings.setValue(standardKey, deliveryStandard);
    settings.setValue(deliveryFolderKey, deliveryFolder);
    // The window's place is written once it has one, as 写真一覧 always did.
    if (!overviewGeometry.isEmpty())
        settings.setValue(overviewGeometryKey, overviewGeometry);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool Preferences::save_changes(const Preferences& before, const QString& file) const
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings settings(file, QSettings::IniFormat);
    if (keepPhotoShape != before.keepPhotoShape)
        settings.setValue(keepShapeKey, keepPhotoShape);
    if (era != before.era)
        settings.setValue(eraKey, eraValue(era));
    if (deliveryStandard != before.deliveryStandard)
        settings.setValue(standardKey, deliveryStandard);
    if (deliveryFolder != before.deliveryFolder)
        settings.setValue(deliveryFolderKey, deliveryFolder);
    if (overviewGeometry != before.overviewGeometry)
        settings.setValue(overviewGeometryKey, overviewGeometry);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace zk
