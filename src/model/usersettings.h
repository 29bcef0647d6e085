#pragma once

#include "model/preferences.h"

#include <QObject>

namespace zk {

// The one owner of the user's settings while the program runs: read from
// their file once, at start-up, and stored from here alone. Windows keep a
// reference and read it when they need a setting, so a change made in the
// options window reaches every one of them at once.
class UserSettings : public QObject
{
    Q_OBJECT

public:
    explicit UserSettings(const QString& file = Preferences::default_file(), QObject* parent = nullptr);

    const Preferences& preferences() const { return current; }
    const QString& file() const { return path; }
    // A file of the user's own kept beside the settings (the phrases, the
    // master list of work types).
    QString userFile(const QString& name) const;

    // Stores the settings and makes them current; false, keeping the settings
    // as they were, when the file cannot be written.
    bool store(const Preferences& next);

Q_SIGNALS:
    // The settings changed (stored by store()).
    void changed();

private:
    QString path;
    Preferences current;
};

} // namespace zk
