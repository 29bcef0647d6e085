#pragma once

#include "model/photoinfo.h"
#include "model/worktypelist.h"
#include "photos/photointegrity.h"

#include <QDialog>

class QLabel;

namespace zk {

class Dialogs;
class PhotoInfoForm;

// What the photo file of an entry tells, shown beside its information.
struct PhotoFileFacts
{
    QString exifTime; // "2024-05-01 10:23:45", empty when the photo has none
    bool tamperData = false; // carries 改ざん検知 data (APP5 "DCPMI")
    QString error; // why the file could not be read; empty when it could
    PhotoCheck change; // against the record made when it was placed
};

// 写真情報: the photo information of one entry, to see and edit. OK hands
// the whole form over at once (one undo step for the caller); キャンセル
// changes nothing. A shooting date that does not exist is refused with a
// message and the window stays open.
class PhotoInfoDialog : public QDialog
{
    Q_OBJECT

public:
    PhotoInfoDialog(Dialogs& dialogs, const QList<WorkTypeRow>& choices, QWidget* parent);

    PhotoInfoForm* form() const { return fields; }
    int position() const { return entry; }

    // The entry shown: its position, number and title, information and photo.
    void set_entry(int position, const QString& heading, const PhotoInfo& info,
        const QString& image);
    void set_facts(const PhotoFileFacts& facts);
    // The comparison with the placement record, as it becomes known (the
    // SHA-256 is compared after the window opens).
    void set_change(const PhotoCheck& change);

    QLabel* exifLabel() const { return exif; }
    QLabel* tamperLabel() const { return tamper; }
    QLabel* changeLabel() const { return changed; }

    void accept() override;

private:
    Dialogs& dialogs;
    int entry = 0;
    bool hasPhoto = false;
    QLabel* heading;
    QLabel* photo;
    PhotoInfoForm* fields;
    QLabel* exif;
    QLabel* tamper;
    QLabel* changed;
};

} // namespace zk
