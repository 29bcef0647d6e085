#include "printpreview.h"

#include "model/album.h"
#include "model/preferences.h"
#include "print/albumprint.h"
#include "print/coverpage.h"
#include "print/painterprintdevice.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

namespace zk {

namespace {

constexpr double MmPerInch = 25.4;

} // namespace

PrintPreview::PrintPreview(
    const Album& album, PrintSource& printing, int page, Scope initial, QWidget* parent)
    : QDialog(parent), document(album.document()), printing(printing), screenPage(page),
      keepShape(printing.preferences().keepPhotoShape), era(printing.preferences().era), scope(initial),
      scopeBox(new QComboBox(this)), sheetBox(new QSpinBox(this)), countLabel(new QLabel(this)),
      zoomBox(new QComboBox(this)), area(new QScrollArea(this)), paper(new QLabel(this)),
      notice(new QLabel(this)), noticeArea(new QScrollArea(this))
{
    setObjectName(QStringLiteral("printPreview"));
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    resize(720, 900);

    auto* bar = new QToolBar(this);
    scopeBox->setObjectName(QStringLiteral("previewScope"));
    scopeBox->addItems(
        { QStringLiteral("写真帳全体 (印刷)"), QStringLiteral("表示中のページ (単一印刷)") });
    scopeBox->setCurrentIndex(scope == Scope::Album ? 0 : 1);
    bar->addWidget(scopeBox);
    bar->addSeparator();
    QAction* previous = bar->addAction(QStringLiteral("前へ"));
    sheetBox->setObjectName(QStringLiteral("previewSheet"));
    bar->addWidget(sheetBox);
    bar->addWidget(countLabel);
    QAction* next = bar->addAction(QStringLiteral("次へ"));
    bar->addSeparator();
    zoomBox->setObjectName(QStringLiteral("previewZoom"));
    zoomBox->addItem(QStringLiteral("ページ全体"), 0);
    zoomBox->addItem(QStringLiteral("幅に合わせる"), -1);
    for (const int percent : { 50, 75, 100, 150, 200 })
        zoomBox->addItem(QStringLiteral("%1%").arg(percent), percent);
    bar->addWidget(zoomBox);
    bar->addSeparator();
    QAction* printAction = bar->addAction(QStringLiteral("印刷..."));
    printAction->setObjectName(QStringLiteral("previewPrint"));

    area->setObjectName(QStringLiteral("previewArea"));
    paper->setAlignment(Qt::AlignCenter);
    area->setWidget(paper);
    area->setWidgetResizable(true);
    area->setAlignment(Qt::AlignCenter);
    area->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addWidget(area, 1);
    // Findings: at most about five lines high, the rest scrolled.
    notice->setObjectName(QStringLiteral("previewNotice"));
    notice->setWordWrap(true);
    notice->setContentsMargins(8, 4, 8, 4);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    noticeArea->setObjectName(QStringLiteral("previewNoticeArea"));
    noticeArea->setWidget(notice);
    noticeArea->setWidgetResizable(true);
    noticeArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    noticeArea->setMaximumHeight(notice->fontMetrics().lineSpacing() * 5 + 12);
    noticeArea->hide();
    layout->addWidget(noticeArea);
    // The sheet fits the room it has whenever that room changes.
    area->viewport()->installEventFilter(this);
    // Page Up/Down turn the sheets also when the sheet has the focus.
    area->installEventFilter(this);

    // Tool bar
    connect(scopeBox, &QComboBox::currentIndexChanged, this, &PrintPreview::setScope);
    connect(previous, &QAction::triggered, this, [this] { showSheet(sheet - 1); });
    connect(next, &QAction::triggered, this, [this] { showSheet(sheet + 1); });
    connect(sheetBox, &QSpinBox::valueChanged, this, [this](int n) { showSheet(n - 1); });
    connect(zoomBox, &QComboBox::currentIndexChanged, this, &PrintPreview::render);
    connect(printAction, &QAction::triggered, this, &PrintPreview::print);

    setScope(scopeBox->currentIndex());
}

int PrintPreview::sheetCount() const
{
    return scope == Scope::Album ? document.entries.page_count() + 1 : 1;
}

void PrintPreview::setScope(int index)
{
    scope = index == 0 ? Scope::Album : Scope::CurrentPage;
    // The check the print will make, shown with the sheets it concerns.
    const int page = screenPage;
    problems = scope == Scope::Album ? AlbumCheck::run(document, 1, 0, era)
                                     : AlbumCheck::run_single_page(document, page, era);
    sheetBox->blockSignals(true);
    sheetBox->setRange(1, sheetCount());
    sheetBox->blockSignals(false);
    countLabel->setText(QStringLiteral(" / %1 枚 ").arg(sheetCount()));
    sheet = -1;
    showSheet(0);
}

void PrintPreview::showSheet(int index)
{
    index = std::clamp(index, 0, sheetCount() - 1);
    if (index == sheet)
        return;
    sheet = index;
    sheetBox->blockSignals(true);
    sheetBox->setValue(index + 1);
    sheetBox->blockSignals(false);
    render();
}

const PageSlots& PrintPreview::pageSlots(int page)
{
    // Only the pages next to the shown one stay decoded.
    for (auto it = decoded.begin(); it != decoded.end();) {
        if (std::abs(it.key() - page) > 1)
            it = decoded.erase(it);
        else
            ++it;
    }
    auto found = decoded.find(page);
    if (found != decoded.end())
        return *found;
    PageSlots slots;
    PhotoLoader loader(0);
    const PrintResult loaded = load_page_slots(slots, document.entries, page,
        photo_source(loader, keepShape ? PhotoFit::KeepShape : PhotoFit::Stretch),
        photo_print_size(300));
    if (!loaded.ok()) {
        // The sheet is shown without its photos; printing would stop here.
        slots = page_slots(document.entries, page);
        failures.insert(page, loaded.message);
    }
    return *decoded.insert(page, slots);
}

void PrintPreview::drawSheet(int index, PrintDevice& device)
{
    if (scope == Scope::CurrentPage) {
        // Key 0, which no album page has: the page on screen, decoded once.
        if (!decoded.contains(0))
            decoded.insert(0, printing.screen_page(300));
        print_photo_page(device, decoded.value(0), keepShape);
    } else if (index == 0) {
        print_cover(device, document.cover, era);
    } else {
        print_album_page(device, pageSlots(index), keepShape);
    }
}

void PrintPreview::render()
{
    const QPageLayout layout = printing.printer().pageLayout();
    const QSizeF paperMm = layout.fullRectPoints().size() * (MmPerInch / 72.0);
    const double screenDpi = logicalDpiX() * devicePixelRatioF();
    const int zoom = zoomBox->currentData().toInt();
    double dpi = screenDpi * zoom / 100.0;
    const QSize room = area->viewport()->size() * devicePixelRatioF() - QSize(16, 16);
    if (zoom == 0)
        dpi = std::min(room.width() / paperMm.width(), room.height() / paperMm.height())
            * MmPerInch;
    else if (zoom < 0)
        dpi = room.width() / paperMm.width() * MmPerInch;
    dpi = std::clamp(dpi, 10.0, 600.0);

    QImage image(qRound(paperMm.width() / MmPerInch * dpi),
        qRound(paperMm.height() / MmPerInch * dpi), QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi / MmPerInch * 1000);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    {
        PainterPrintDevice device(&image, layout);
        drawSheet(sheet, device);
        device.endJob();
    }
    shown = image;
    // What will not come out as the user expects on this sheet.
    const int page = scope == Scope::Album ? sheet : screenPage;
    QStringList lines;
    if (scope == Scope::Album && sheet > 0 && failures.contains(sheet))
        lines << failures.value(sheet);
    for (const CheckProblem& p : std::as_const(problems)) {
        const bool onSheet = page == 0
            ? p.entry == 0
            : p.entry >= entry_index(page, 0) && p.entry <= entry_index(page, 2);
        if (onSheet)
            lines << p.toString();
    }
    notice->setText(lines.join(QLatin1Char('\n')));
    noticeArea->setVisible(!lines.isEmpty());
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatioF());
    paper->setPixmap(pixmap);
}

bool PrintPreview::eventFilter(QObject* watched, QEvent* event)
{
    // The viewport, not the dialog: the room for the sheet changes on opening,
    // on every resize and when the findings appear or go.
    if (watched == area->viewport() && event->type() == QEvent::Resize
        && zoomBox->currentData().toInt() <= 0 && sheet >= 0)
        render();
    // A whole sheet on screen leaves nothing to scroll: the keys turn sheets.
    if (watched == area && event->type() == QEvent::KeyPress
        && zoomBox->currentData().toInt() == 0) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
            showSheet(sheet + (key == Qt::Key_PageDown ? 1 : -1));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PrintPreview::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_PageDown) {
        showSheet(sheet + 1);
        return;
    }
    if (event->key() == Qt::Key_PageUp) {
        showSheet(sheet - 1);
        return;
    }
    QDialog::keyPressEvent(event);
}

void PrintPreview::print()
{
    const Scope printed = scope;
    close();
    Q_EMIT printRequested(printed);
}

} // namespace zk
