#pragma once

#include <QByteArray>
#include <QString>

namespace zk {

// The era in which the cover's years are counted. Files store only the
// numbers; the era decides the labels and the default years of new albums.
enum class Era { Heisei, Reiwa };

// "平成" or "令和", as the cover reads.
QString era_name(Era era);
// The year of the era that the calendar year falls in: 平成 counts on past
// its end (2026 is 平成 38), 令和 starts at 2019.
int era_year(int calendarYear, Era era);

// The user's own settings, kept between runs in one INI file. A missing or
// unreadable file gives the defaults.
struct Preferences
{
    // Fit photos inside their frames keeping their proportions instead of
    // stretching them to the frame.
    bool keepPhotoShape = false;
    Era era = Era::Heisei;
    // The electronic delivery's 適用要領基準 and output folder, as last chosen.
    QString deliveryStandard = QStringLiteral("土木202303-01");
    QString deliveryFolder;
    // Where 写真一覧 stood and how large it was (QWidget::saveGeometry).
    QByteArray overviewGeometry;

    // $XDG_CONFIG_HOME/zelkora/zelkora.conf (by default ~/.config/zelkora/).
    static QString default_file();
    static Preferences load(const QString& file = default_file());
    // Returns false when the file cannot be written.
    bool save(const QString& file = default_file()) const;
    // Writes only the settings that differ from before, leaving the others
    // in the file as they are; false when the file cannot be written.
    bool save_changes(const Preferences& before, const QString& file) const;

    bool operator==(const Preferences&) const = default;
};

} // namespace zk
