#pragma once

#include "ui/worktypespage.h"

#include <QDialog>

#include <array>

class QTabBar;

namespace zk {

class Dialogs;
class EraChoice;
class PhotoShapeChoice;
class PhrasesPage;
class UserSettings;
class WorkTypesPage;

// The options window: tabbed pages and three buttons. The user's settings
// it holds (the era of the cover, the phrase list, the photos' shape, the 工種 list) are stored by OK and 更新,
// which also show their notices; キャンセル stores nothing. Closing it
// discards it, so it opens again on its first page.
class OptionsDialog : public QDialog
{
    Q_OBJECT

public:
    // photoRows: the 工種/種別/細別 of the album's photos, for 写真から追加.
    OptionsDialog(Dialogs& dialogs, UserSettings& settings, QWidget* parent,
        WorkTypesPage::PhotoRows photoRows = {});

    QTabBar* tabs() const { return tabStrip; }
    QWidget* page(int i) const { return pages.at(size_t(i)); }
    EraChoice* eraChoice() const { return era; }
    PhrasesPage* phrasesPage() const { return phrasePage; }
    PhotoShapeChoice* photoShapeChoice() const { return photoShape; }
    WorkTypesPage* workTypesPage() const { return workTypes; }

    // Escape closes and discards the window like キャンセル.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTabs();
    void buildPages(UserSettings& settings, WorkTypesPage::PhotoRows photoRows);
    void buildButtons();
    // Shows the page of the chosen tab and keeps the others out of reach.
    void show_chosen_page();
    // OK and 更新: store the settings, then close or stay.
    void apply_and_close();
    void apply_and_stay_open();
    // Stores the settings of every page; false when one could not be stored.
    bool applySettings();

    Dialogs& dialogs;
    QTabBar* tabStrip;
    std::array<QWidget*, 4> pages {};
    EraChoice* era = nullptr;
    PhrasesPage* phrasePage = nullptr;
    PhotoShapeChoice* photoShape = nullptr;
    WorkTypesPage* workTypes = nullptr;
};

} // namespace zk
