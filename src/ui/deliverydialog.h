#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zk {

// 電子納品データの作成: where the PHOTO folder goes and which 適用要領基準
// PHOTO.XML names. OK stays off until a folder is given.
class DeliveryDialog : public QDialog
{
    Q_OBJECT

public:
    // chooseFolder: the folder dialog of the dialogs layer; "" on cancel.
    DeliveryDialog(std::function<QString()> chooseFolder, QWidget* parent);

    void setFolder(const QString& folder);
    QString folder() const;
    void setStandard(const QString& standard);
    QString standard() const;

private:
    void update_ok();

    std::function<QString()> chooser;
    QLineEdit* folderBox;
    QComboBox* standardBox;
    QPushButton* ok = nullptr;
};

} // namespace zk
