#include "autosaver.h"

#include "ui/dialogs.h"
#include "model/album.h"

#include <QDir>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace zk {

AutoSaver::AutoSaver(Album& album, RecoveryFile& file, int delay) : album(album), file(file)
{
    worker.setMaxThreadCount(1);
    timer.setSingleShot(true);
    timer.setInterval(delay);

    // Changes start the timer; it is not restarted by later ones, so that a
    // long burst of typing is still copied every `delay`.
    connect(&timer, &QTimer::timeout, this, &AutoSaver::save_now);
    connect(&album, &Album::changed, this, &AutoSaver::album_changed);
    // A save changes nothing in the album but ends the need for a copy.
    connect(&album, &Album::savedChanged, this, &AutoSaver::album_changed);
}

AutoSaver::~AutoSaver()
{
    worker.waitForDone();
}

void AutoSaver::album_changed()
{
    if (album.saved()) {
        // Saved (or new, or undone back to the saved state): nothing to recover.
        timer.stop();
        save_now();
    } else if (!timer.isActive()) {
        timer.start();
    }
}

void AutoSaver::save_now()
{
    timer.stop();
    const QString target = file.path();
    if (target.isEmpty())
        return;
    if (album.saved()) {
        worker.start([target] { QFile::remove(target); });
        return;
    }
    // A copy of the document shares its data until the album changes it, so
    // taking it costs nothing here; encoding and writing happen on the worker.
    const Document copy = album.document();
    const QString albumPath = album.filePath();
    worker.start([this, copy, albumPath, target] {
        const QString error = write_recovery_file(target, RecoveryFile::encode(copy, albumPath));
        if (!error.isEmpty())
            QMetaObject::invokeMethod(this, [this, error] {
                // Told once: a full disk would otherwise interrupt every 30 s.
                if (!reported)
                    Q_EMIT failed(error);
                reported = true;
            });
    });
}

void AutoSaver::wait()
{
    worker.waitForDone();
}

void AutoSaver::discard()
{
    timer.stop();
    worker.waitForDone();
    if (!file.path().isEmpty())
        QFile::remove(file.path());
}

bool AutoSaver::offer_recovery(Dialogs& dialogs, QWidget* window)
{
    file.purge_aside(QDateTime::currentDateTime());
    // Copies that cannot be offered are told of, with where they are kept.
    QStringList unread;
    const auto tellUnread = [&] {
        if (unread.isEmpty())
            return;
        dialogs.message(window,
            { message_lines(QStringList { QStringLiteral("前回、保存されずに終了した写真帳がありますが、"
                                                         "自動保存のファイルを読めませんでした.") }
                  + unread),
                QStringLiteral("Zelkora"), MessageIcon::Warning, MessageButtons::Ok, Answer::Ok });
        unread.clear();
    };
    for (const QString& orphan : file.orphans()) {
        Recovered found = RecoveryFile::read(orphan);
        if (!found.ok()) {
            // Kept aside for a week rather than deleted: someone may still want it.
            const QString kept = file.move_aside(orphan);
            unread << found.error
                   << (kept.isEmpty() ? QStringLiteral("移動できないため、そのまま残しています.")
                                      : QStringLiteral("%1 に %2 日間保管します.")
                                            .arg(QDir::toNativeSeparators(kept))
                                            .arg(RecoveryFile::KeepAsideDays));
            continue;
        }
        // An album saved after its copy was written has nothing to recover;
        // the copy, never offered, is kept until the user removes it.
        const QFileInfo album(found.albumPath);
        if (!found.albumPath.isEmpty() && album.exists() && album.lastModified() > found.written) {
            file.move_aside(orphan, AsideKeeping::Always);
            continue;
        }
        tellUnread();
        const QString name = found.albumPath.isEmpty() ? QStringLiteral("無題") : album.fileName();
        const Answer answer = dialogs.message(window,
            { message_lines({ QStringLiteral("前回、保存されずに終了した写真帳があります (%1, %2).")
                                    .arg(name,
                                        QLocale(QLocale::Japanese)
                                            .toString(found.written, QStringLiteral("yyyy/MM/dd HH:mm"))),
                  QStringLiteral("復元しますか？"), {},
                  QStringLiteral("いいえを選ぶと、控えを次のフォルダに %1 日間残してから削除します.")
                      .arg(RecoveryFile::KeepAsideDays),
                  QDir::toNativeSeparators(file.directory() + QStringLiteral("/aside")) }),
                QStringLiteral("Zelkora"), MessageIcon::None, MessageButtons::YesNo, Answer::Yes });
        if (answer != Answer::Yes) {
            file.move_aside(orphan);
            return false;
        }
        this->album.replace_document(std::move(found.document), found.albumPath, false);
        // The restored copy is this program's now, until the album is saved.
        file.adopt(orphan);
        return true;
    }
    tellUnread();
    return false;
}

} // namespace zk
