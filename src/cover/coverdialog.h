#pragma once

#include "model/coverdata.h"

#include <QDialog>

#include <array>

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

protected:
    void showEvent(QShowEvent* event) override;

private:
    CoverData& cover;
    bool reloading = false;
    std::array<QLineEdit*, CoverData::FieldCount> boxes {};
};

} // namespace zk
