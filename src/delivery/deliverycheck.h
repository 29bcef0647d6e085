#pragma once

#include <QDate>
#include <QList>
#include <QString>

namespace zk {

// One thing the checker found in a PHOTO folder.
struct DeliveryFinding
{
    bool error = true; // false: a notice
    QString file; // relative to the PHOTO folder ("PIC/P0000003.JPG"); empty for the folder
    QString message;
    // For a listed photo: its full path and its 写真ファイル日本語名, so that
    // a window can find the album entry it came from.
    QString path;
    QString japaneseName;

    // "エラー: PIC/P0000003.JPG: …" or "注意: …".
    QString toString() const;
};

struct DeliveryCheckOptions
{
    // Shooting dates outside this period are noticed; invalid leaves it open.
    QDate periodStart;
    QDate periodEnd;
};

// Checks any PHOTO folder, ours or made elsewhere: PHOTO.XML well formed and
// valid against the DTD in the folder (libxml2), the files it lists, the
// naming and serial rules, every item rule, and the notices a supervisor
// looks at (unlisted files, shooting dates, pixel counts).
class DeliveryCheck
{
public:
    // dir: the PHOTO folder or the folder that holds it.
    static QList<DeliveryFinding> run(const QString& dir, const DeliveryCheckOptions& options = {});
    static bool has_error(const QList<DeliveryFinding>& findings);
};

} // namespace zk
