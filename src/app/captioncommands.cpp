#include "captioncommands.h"

#include "app/bulkcaptiondialog.h"
#include "ui/dialogs.h"
#include "app/phrasepicker.h"
#include "app/titleedit.h"
#include "model/album.h"
#include "model/captionfill.h"
#include "docfile/phrasefile.h"
#include "model/phrasestore.h"

#include <QApplication>
#include <QPlainTextEdit>

namespace zk {

CaptionCommands::CaptionCommands(
    Album& albumObject, Dialogs& messages, QWidget* parentWindow, SelectedPosition selectedPosition,
    QString phrases)
    : QObject(parentWindow), album(albumObject), dialogs(messages), window(parentWindow),
      selected(std::move(selectedPosition)), phraseFile(std::move(phrases))
{
}

void CaptionCommands::insert_phrase(QWidget* fallbackBox)
{
    QWidget* box = QApplication::focusWidget();
    const bool captionBox = box
        && (qobject_cast<TitleEdit*>(box) || qobject_cast<QPlainTextEdit*>(box)) && window
        && window->isAncestorOf(box) && !box->property("readOnly").toBool();
    if (!captionBox)
        box = fallbackBox;
    if (!box)
        return;

    const PhraseList stored = PhraseFile::load(phraseFile);
    if (!stored.ok())
        dialogs.warn(window, stored.message);
    const QStringList choices = phrase_choices(stored.phrases, album.entries());
    if (choices.isEmpty()) {
        dialogs.inform(window,
            QStringLiteral(
                "定型文がありません. 定型文は「オプション設定」の「定型文」で登録できます."));
        return;
    }
    box->setFocus(Qt::ShortcutFocusReason);
    auto* picker = new PhrasePicker(choices, box);
    picker->popup();
}

void CaptionCommands::same_as_previous()
{
    const int position = selected();
    const std::optional<EntryContent> content = previous_caption(album.entries(), position);
    if (!content) {
        dialogs.inform(window,
            QStringLiteral("No.%1 は最初の写真のため, 写す前の写真がありません.").arg(position));
        return;
    }
    const Entry& current = album.entries().entry(position);
    if (content->title.isEmpty() && content->text.isEmpty()) {
        dialogs.inform(window,
            QStringLiteral("前の写真 (No.%1) にはタイトルも説明もないため, 写すものがありません.")
                .arg(position - 1));
        return;
    }
    if (*content == current.content())
        return; // already the same: no empty undo step
    album.end_typing();
    album.set_contents({ { position, *content } }, QStringLiteral("前の写真と同じ"));
}

void CaptionCommands::bulk_caption(const QList<int>& positions)
{
    const int position = selected();
    const int first = entry_index(page_of_entry(position), 0);
    BulkCaptionDialog dialog(dialogs, album.entries(), positions, first,
        qMin(first + 2, album.entries().entry_count()), window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    apply_bulk_caption(dialog.positions(), dialog.caption());
}

void CaptionCommands::apply_bulk_caption(const QList<int>& positions, const BulkCaption& caption)
{
    const QMap<int, EntryContent> contents
        = bulk_caption_contents(album.entries(), positions, caption);
    if (contents.isEmpty()) {
        dialogs.inform(window, QStringLiteral("変更される写真はありませんでした."));
        return;
    }
    album.end_typing();
    album.set_contents(contents, QStringLiteral("一括入力"));
}

} // namespace zk
