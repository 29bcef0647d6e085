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
    return p;
}

bool Preferences::save(const QString& file) const
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(keepShapeKey, keepPhotoShape);
    settings.setValue(eraKey, era == Era::Reiwa ? QStringLiteral("reiwa") : QStringLiteral("heisei"));
    settings.setValue(standardKey, deliveryStandard);
    settings.setValue(deliveryFolderKey, deliveryFolder);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace zk
