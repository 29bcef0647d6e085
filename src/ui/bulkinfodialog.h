#pragma once

#include "model/infoedit.h"
#include "model/worktypelist.h"

#include <QDialog>

namespace zk {

class Dialogs;
class PhotoInfoForm;

// 写真情報の一括設定: items to set, or to empty, in every chosen entry;
// items left blank stay as they are in each. OK refuses a form that would
// change nothing and a shooting date that does not exist.
class BulkInfoDialog : public QDialog
{
    Q_OBJECT

public:
    BulkInfoDialog(
        Dialogs& dialogs, const QList<WorkTypeRow>& choices, int entryCount, QWidget* parent);

    PhotoInfoForm* form() const { return fields; }
    InfoPatch patch() const;

    void accept() override;

private:
    Dialogs& dialogs;
    PhotoInfoForm* fields;
};

} // namespace zk
