#include "infocommands.h"

#include "ui/dialogs.h"
#include "docfile/worktypefile.h"
#include "model/album.h"
#include "model/infoedit.h"
#include "model/infoorder.h"
#include "photos/exifdate.h"
#include "photos/photofacts.h"
#include "photos/photofile.h"
#include "photos/photointegrity.h"
#include "ui/bulkinfodialog.h"
#include "ui/photoinfodialog.h"
#include "ui/photoinfoform.h"

#include <QApplication>
#include <QLabel>
#include <QSet>
#include <QThread>

#include <memory>

namespace zk {

namespace {

// The EXIF block stands in the first segments of a JPEG.
constexpr qint64 exifHeadBytes = 128 * 1024;

QDateTime photoTime(const QString& path)
{
    if (path.isEmpty())
        return {};
    PhotoFile file(path);
    const QByteArray head = file.readHead(exifHeadBytes);
    return file.error().isEmpty() ? ExifDate::read(head) : QDateTime();
}

PhotoFileFacts readFacts(const QString& path, const PhotoRecord& record)
{
    const PhotoFacts read = PhotoFacts::read(path);
    PhotoFileFacts facts;
    facts.error = read.error;
    facts.tamperData = read.tamperData;
    if (read.shotTime.isValid())
        facts.exifTime = read.shotTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    facts.change = read.error.isEmpty()
        ? PhotoIntegrity::compare_quick(path, record)
        : PhotoCheck { PhotoCheck::State::Unreadable, read.error };
    return facts;
}

} // namespace

InfoCommands::InfoCommands(
    Album& albumObject, Dialogs& messages, QWidget* parentWindow, SelectedPosition selectedPosition,
    QString masterList)
    : QObject(parentWindow), album(albumObject), dialogs(messages), window(parentWindow),
      selected(std::move(selectedPosition)), workTypeFile(std::move(masterList))
{
}

QList<WorkTypeRow> InfoCommands::choices() const
{
    const WorkTypeRead master = WorkTypeFile::load(workTypeFile);
    if (!master.ok())
        dialogs.warn(window, master.message);
    QList<WorkTypeRow> rows = master.rows;
    const EntryTable& entries = album.entries();
    for (int p = 1; p <= entries.entry_count(); ++p) {
        const PhotoInfo& info = entries.entry(p).info;
        if (!info.workType.isEmpty())
            rows.append({ info.workType, info.kind, info.detail });
    }
    return WorkTypeList::cleaned(rows);
}

QList<WorkTypeRow> InfoCommands::photo_rows() const
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QList<WorkTypeRow> rows;
    QSet<QString> seen;
    const EntryTable& entries = album.entries();
    for (int p = 1; p <= entries.entry_count(); ++p) {
        const QString& image = entries.entry(p).image;
        if (image.isEmpty() || seen.contains(image))
            continue;
        seen.insert(image);
        // Only the header is read: the board's data stand before the picture.
        const PhotoInfo board = PhotoFacts::read(image).info;
        rows.append({ board.workType, board.kind, board.detail });
    }
    QApplication::restoreOverrideCursor();
    return WorkTypeList::cleaned(rows);
}

PhotoInfoDialog* InfoCommands::edit_info(int position, QWidget* parent)
{
    if (position <= 0)
        position = selected();
    if (position <= 0 || position > album.entries().entry_count())
        return nullptr;
    const Entry& entry = album.entries().entry(position);
    auto* dialog = new PhotoInfoDialog(dialogs, choices(), parent ? parent : window.data());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The overview could move the entry away while the window is open.
    dialog->setWindowModality(Qt::ApplicationModal);
    const QString heading = entry.title.isEmpty()
        ? QStringLiteral("No.%1").arg(entry.number.trimmed())
        : QStringLiteral("No.%1  %2").arg(entry.number.trimmed(), entry.title);
    dialog->set_entry(position, heading, entry.info, entry.image);

    if (!entry.image.isEmpty()) {
        const PhotoRecord record = album.document().records.value(entry.image);
        const PhotoFileFacts facts = readFacts(entry.image, record);
        dialog->set_facts(facts);
        // Reading the whole file for its SHA-256 would hold up the window.
        if (facts.change.state == PhotoCheck::State::Unchanged && !record.sha256.isEmpty()) {
            dialog->changeLabel()->setText(QStringLiteral("照合しています..."));
            auto result = std::make_shared<PhotoCheck>();
            const QString path = entry.image;
            QThread* worker = QThread::create(
                [path, record, result] { *result = PhotoIntegrity::compare_full(path, record); });
            connect(worker, &QThread::finished, dialog,
                [dialog, result] { dialog->set_change(*result); });
            connect(worker, &QThread::finished, worker, &QObject::deleteLater);
            worker->start(QThread::LowPriority);
        }
    }

    // OK: the whole form is one step; an unchanged form makes none.
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const int p = dialog->position();
        if (p > album.entries().entry_count())
            return;
        const PhotoInfo info = dialog->form()->info();
        if (album.entries().entry(p).info != info)
            album.set_info(p, info);
    });
    dialog->open();
    return dialog;
}

BulkInfoDialog* InfoCommands::bulk_info(QWidget* parent, const QList<int>& positions)
{
    if (positions.isEmpty())
        return nullptr;
    auto* dialog = new BulkInfoDialog(dialogs, choices(), int(positions.size()), parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    connect(dialog, &QDialog::accepted, this, [this, dialog, positions] {
        if (apply_patch(positions, dialog->patch()) == 0)
            dialogs.inform(dialog->parentWidget(),
                QStringLiteral("選択した写真はどれもすでにこの写真情報です. 変更はありません."));
    });
    dialog->open();
    return dialog;
}

int InfoCommands::apply_patch(const QList<int>& positions, const InfoPatch& patch)
{
    QMap<int, PhotoInfo> infos;
    const EntryTable& entries = album.entries();
    for (int p : positions) {
        if (p < 1 || p > entries.entry_count())
            continue;
        const PhotoInfo& before = entries.entry(p).info;
        const PhotoInfo after = patch.applied_to(before);
        if (after != before)
            infos.insert(p, after);
    }
    if (!infos.isEmpty())
        album.set_infos(infos, QStringLiteral("写真情報の一括設定"));
    return int(infos.size());
}

QString InfoCommands::sort_album()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const EntryTable& entries = album.entries();
    QList<InfoSortKey> keys;
    keys.reserve(entries.entry_count());
    for (int p = 1; p <= entries.entry_count(); ++p) {
        const Entry& entry = entries.entry(p);
        // The photo's own time orders photos without a 撮影年月日 item and
        // tells apart those of the same day.
        keys.append({ entry.info, photoTime(entry.image), entry.isEmpty() });
    }
    const QList<int> order = info_sort_order(keys);
    QApplication::restoreOverrideCursor();

    bool moved = false;
    for (int i = 0; i < order.size() && !moved; ++i)
        moved = order.at(i) != i + 1;
    if (!moved)
        return QStringLiteral("写真はすでに写真情報の順に並んでいます.");
    album.reorder_entries(order, QStringLiteral("並べ替え"));
    return QStringLiteral("写真区分・工種・種別・細別・撮影日の順に並べ替えました. "
                          "元に戻す (Ctrl+Z) で元の順に戻せます.");
}

} // namespace zk
