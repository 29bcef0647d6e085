#include "usersettings.h"

#include <QDir>
#include <QFileInfo>

namespace zk {

UserSettings::UserSettings(const QString& file, QObject* parent)
    : QObject(parent), path(file), current(Preferences::load(file))
{
}

QString UserSettings::userFile(const QString& name) const
{
    return QFileInfo(path).absoluteDir().filePath(name);
}

bool UserSettings::store(const Preferences& next)
{
    if (next == current)
        return true;
    // Only what changed is written: another running copy of the program may
    // have stored the other settings since this one started.
    if (!next.save_changes(current, path))
        return false;
    current = next;
    Q_EMIT changed();
    return true;
}

} // namespace zk
