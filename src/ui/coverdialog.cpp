#include "coverdialog.h"

#include "ui/twips.h"
#include "model/album.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>

#include <vector>

namespace zk {

namespace {

enum class Face { Gothic, Mincho, SmallMincho };

QFont faceFont(Face face)
{
    QFont font(QString::fromUtf8(face == Face::Gothic ? "ＭＳ ゴシック" : "ＭＳ 明朝"));
    font.setPointSizeF(face == Face::SmallMincho ? 11.25 : 12);
    font.setBold(face == Face::Gothic);
    return font;
}

} // namespace

CoverDialog::CoverDialog(Album& album, QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint),
      album(album)
{
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("表紙データ"));
    setFixedSize(twips(8280), twips(3555));

    const auto label = [this](const char* text, Face face, int left, int top, int width) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setFont(faceFont(face));
        const QFontMetrics metrics(l->font());
        l->setGeometry(twips(left), twips(top),
            width ? twips(width) : metrics.horizontalAdvance(l->text()) + 2, twips(255));
        return l;
    };
    const auto rule = [this](int left, int top, int right) {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Plain);
        line->setGeometry(twips(left), twips(top), twips(right - left), 1);
    };
    const auto field = [this](CoverField f, int left, int top, int width) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text%1").arg(int(f)));
        box->setGeometry(twips(left), twips(top), twips(width), twips(270));
        boxes[size_t(int(f) - 1)] = box;
        return box;
    };
    // A date's three boxes (year, month, day) at their places on a date line.
    const auto dateFields = [&field](CoverField year, int left, int top) {
        field(year, left, top, 495);
        field(CoverField(int(year) + 1), left + 960, top, 495);
        field(CoverField(int(year) + 2), left + 1800, top, 495);
    };

    // The cover form, row by row (twips)
    label("工事番号", Face::Gothic, 120, 240, 1095);
    eraLabels[0] = label("平成", Face::Mincho, 1560, 240, 0);
    label("年度", Face::Mincho, 3000, 240, 0);
    label("工第", Face::Mincho, 4200, 240, 0);
    label("号", Face::Mincho, 5760, 240, 0);
    field(CoverField::FiscalYear, 2160, 225, 735);
    field(CoverField::ProjectNumber, 4920, 240, 735);
    rule(120, 600, 6360);
    // Fixed text: spaced to the width of the four-character labels.
    label("工 事 名", Face::Gothic, 120, 720, 0);
    field(CoverField::ProjectName, 1560, 720, 4815);
    rule(120, 1080, 6360);
    label("工事場所", Face::Gothic, 120, 1200, 0);
    field(CoverField::ProjectSite, 1560, 1200, 4815);
    rule(120, 1560, 6360);
    label("工　　期", Face::Gothic, 120, 1680, 0);
    label("着　工", Face::Mincho, 1560, 1680, 855);
    eraLabels[1] = label("平成　　　年　　 月　　 日", Face::Mincho, 3000, 1680, 3135);
    dateFields(CoverField::StartYear, 3600, 1680);
    rule(1560, 2040, 6360);
    label("竣　工", Face::Mincho, 1560, 2160, 855);
    eraLabels[2] = label("平成　　　年　　 月　　 日", Face::Mincho, 3000, 2160, 3135);
    dateFields(CoverField::CompletionYear, 3600, 2160);
    rule(1560, 2520, 6360);
    label("工事施工者", Face::Gothic, 120, 2640, 1335);
    field(CoverField::Contractor, 1560, 2640, 4815);
    rule(120, 3000, 6360);
    label("提出年月日", Face::SmallMincho, 120, 3120, 1335);
    eraLabels[3] = label("平成　　　年　　 月　　 日", Face::Mincho, 1560, 3120, 0);
    dateFields(CoverField::SubmissionYear, 2160, 3120);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(twips(6840, 240, 1215, 375));
    ok->setDefault(true);

    // The date boxes lie on top of their captions.
    for (QLineEdit* box : boxes)
        box->raise();

    // Keyboard order: the first row, OK, then the rest top to bottom (the
    // boxes' field order).
    std::vector<QWidget*> order(boxes.begin(), boxes.end());
    order.insert(order.begin() + 2, ok);
    for (size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    reload();

    // Boxes write through to the album and follow it; OK hides the window.
    for (int n = 1; n <= CoverData::FieldCount; ++n) {
        const auto f = CoverField(n);
        connect(box(f), &QLineEdit::textChanged, this, [this, f](const QString& text) {
            if (!reloading)
                this->album.set_cover_field(f, text);
        });
        // Leaving a box ends its typing step.
        box(f)->installEventFilter(this);
    }
    connect(&album, &Album::coverChanged, this, &CoverDialog::reload);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void CoverDialog::setEra(Era era)
{
    // Both names are two characters wide, so the boxes keep their places.
    for (QLabel* l : eraLabels)
        l->setText(era_name(era) + l->text().mid(2));
}

void CoverDialog::showEvent(QShowEvent* event)
{
    // QDialog centres a window on its owner. At start-up the owner, the main
    // window, is not shown yet and sits at the top-left corner, so the cover
    // window is centred on the screen instead, unless the program placed it.
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!testAttribute(Qt::WA_Moved) && !(owner && owner->isVisible())) {
        if (const QScreen* screen = owner ? owner->screen() : this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QDialog::showEvent(event);
}

void CoverDialog::reload()
{
    const QScopedValueRollback guard(reloading, true);
    for (int n = 1; n <= CoverData::FieldCount; ++n) {
        const auto f = CoverField(n);
        if (box(f)->text() != album.cover().field(f))
            box(f)->setText(album.cover().field(f));
    }
}

bool CoverDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut)
        album.end_typing();
    return QDialog::eventFilter(watched, event);
}

} // namespace zk
