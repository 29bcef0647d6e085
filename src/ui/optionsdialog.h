#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QTabBar;

namespace zk {

class Dialogs;

// The options window: two tabbed pages with sample frames and three buttons.
// It holds no settings; OK and 更新 show notices where settings will go.
// Closing it discards it, so it opens again on its first page.
class OptionsDialog : public QDialog
{
    Q_OBJECT

public:
    OptionsDialog(Dialogs& dialogs, QWidget* parent);

    QTabBar* tabs() const { return tabStrip; }
    QWidget* page(int i) const { return pages.at(size_t(i)); }

    // 写真の縦横比を保つ on the 印刷設定 page, applied by OK and 更新.
    void setKeepPhotoShape(bool keep);
    QCheckBox* keepPhotoShapeBox() const { return keepShape; }

    // Escape closes and discards the window like キャンセル.
    void reject() override;

Q_SIGNALS:
    void keepPhotoShapeApplied(bool keep);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tbsOptions_Click();
    void cmdOK_Click();
    void cmdApply_Click();

    Dialogs& dialogs;
    QTabBar* tabStrip;
    std::array<QWidget*, 4> pages {};
    QCheckBox* keepShape = nullptr;
};

} // namespace zk
