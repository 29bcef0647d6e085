#pragma once

#include "model/coverdata.h"
#include "model/preferences.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;

namespace zk {

class Album;

// The cover data window: fourteen boxes laid out as the printed cover reads.
// Typing in a box changes the album's cover at once (one undo step per box
// and burst of typing); OK (or closing the window) only hides the window, so
// every value stays as typed. The boxes follow the album's cover.
class CoverDialog : public QDialog
{
    Q_OBJECT

public:
    CoverDialog(Album& album, QWidget* parent);

    QLineEdit* box(CoverField field) const { return boxes.at(size_t(int(field) - 1)); }
    // Shows the album's cover data again (after an undo, an open).
    void reload();
    // Names the years of the cover in era (平成 until the user chooses 令和).
    void setEra(Era era);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Album& album;
    bool reloading = false;
    std::array<QLineEdit*, CoverData::FieldCount> boxes {};
    // The captions that begin with the era's name.
    std::array<QLabel*, 4> eraLabels {};
};

} // namespace zk
