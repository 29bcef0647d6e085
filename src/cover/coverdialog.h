#pragma once

#include "model/coverdata.h"
#include "model/preferences.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;

namespace zk {

// The cover data window: fourteen boxes laid out as the printed cover reads.
// The boxes edit the album's cover data directly; OK (or closing the window)
// only hides the window, so every value stays as typed.
class CoverDialog : public QDialog
{
    Q_OBJECT

public:
    CoverDialog(CoverData& cover, QWidget* parent);

    QLineEdit* box(CoverField field) const { return boxes.at(size_t(int(field) - 1)); }
    // Shows the cover data again after it was replaced (an album was opened).
    void reload();
    // Names the years of the cover in era (平成 until the user chooses 令和).
    void setEra(Era era);

private:
    CoverData& cover;
    bool reloading = false;
    std::array<QLineEdit*, CoverData::FieldCount> boxes {};
    // The captions that begin with the era's name.
    std::array<QLabel*, 4> eraLabels {};
};

} // namespace zk
