#include "csvexchange.h"

#include "docfile/safefile.h"
#include "model/album.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zk {

namespace {

// The encoding of the CSV to write; false when the user cancels.
bool askEncoding(QWidget* parent, CsvEncoding* encoding)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("csvEncodingDialog"));
    dialog.setWindowTitle(QStringLiteral("CSVに書き出し"));
    auto* utf8
        = new QRadioButton(QStringLiteral("UTF-8 (BOM 付き、新しい表計算ソフト向け)"), &dialog);
    auto* sjis = new QRadioButton(QStringLiteral("Shift-JIS (古い表計算ソフト向け)"), &dialog);
    utf8->setObjectName(QStringLiteral("csvUtf8"));
    sjis->setObjectName(QStringLiteral("csvShiftJis"));
    utf8->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("文字コードを選んでください."), &dialog));
    layout->addWidget(utf8);
    layout->addWidget(sjis);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *encoding = sjis->isChecked() ? CsvEncoding::ShiftJis : CsvEncoding::Utf8;
    return true;
}

} // namespace

CsvExchange::CsvExchange(Album& albumObject, Dialogs& messages, QWidget* parentWindow)
    : QObject(parentWindow), album(albumObject), dialogs(messages), window(parentWindow)
{
}

FileRequest CsvExchange::csvRequest(bool save)
{
    FileRequest request;
    request.filter = QStringLiteral("CSV ファイル (*.csv)|*.csv|すべてのファイル (*.*)|*.*");
    request.filterIndex = 1;
    request.defaultExtension = QStringLiteral("csv");
    request.confirmOverwrite = save;
    return request;
}

void CsvExchange::csv_export()
{
    CsvEncoding encoding = CsvEncoding::Utf8;
    if (!askEncoding(window, &encoding))
        return;
    const QString path = dialogs.saveFile(window, csvRequest(true));
    if (!path.isEmpty())
        export_to(path, encoding);
}

void CsvExchange::csv_import()
{
    const QString path = dialogs.openFile(window, csvRequest(false));
    if (!path.isEmpty())
        import_from(path);
}

bool CsvExchange::export_to(const QString& path, CsvEncoding encoding)
{
    const CsvExportResult csv = encode_caption_csv(album.entries(), encoding);
    if (!csv.ok()) {
        dialogs.warn(window, csv.message);
        return false;
    }
    // Replaced in one step: a full disk leaves an older export as it was.
    SafeFile file(path);
    if (!file.open() || file.write(csv.bytes) != csv.bytes.size() || !file.commit()) {
        dialogs.warn(window,
            message_lines({ QDir::toNativeSeparators(path), {},
                QStringLiteral("書き出せませんでした (%1).").arg(file.failure()) }));
        return false;
    }
    return true;
}

bool CsvExchange::import_from(const QString& path)
{
    const CsvReadResult csv = read_caption_csv(path);
    if (!csv.ok()) {
        dialogs.warn(window, csv.message + QStringLiteral(" 写真帳は変更していません."));
        return false;
    }
    const CaptionImportPlan plan = plan_caption_import(album.entries(), csv.rows);
    if (!plan.ok()) {
        dialogs.warn(window,
            message_lines({ QDir::toNativeSeparators(path), {},
                plan.message + QStringLiteral(" 写真帳は変更していません.") }));
        return false;
    }
    if (plan.changed == 0) {
        dialogs.inform(window,
            QStringLiteral("CSV の %1 行はどれも写真帳と同じです. 変更はありません.")
                .arg(csv.rows.size()));
        return false;
    }
    QStringList summary { QStringLiteral("CSV の %1 行を読み込み, %2 件の写真のタイトル・説明・"
                                         "写真ファイル%3を変更します.")
            .arg(csv.rows.size())
            .arg(plan.changed)
            .arg(plan.infoChanged ? QStringLiteral("・写真情報") : QString()) };
    if (plan.pagesAdded > 0)
        summary << QStringLiteral("ページを %1 ページ追加します.").arg(plan.pagesAdded);
    summary << QString() << QStringLiteral("読み込みますか?");
    const Answer answer = dialogs.message(window,
        { message_lines(summary), Dialogs::programName(), MessageIcon::Information, MessageButtons::YesNo,
            Answer::Yes });
    if (answer != Answer::Yes)
        return false;
    album.end_typing();
    if (!album.set_contents(plan.contents, QStringLiteral("CSVから読み込み"))) {
        dialogs.warn(window,
            QStringLiteral("写真帳はこれ以上ページを増やせません (最大 %1 ページ). "
                           "写真帳は変更していません.")
                .arg(EntryTable::MaxEntries / 3));
        return false;
    }
    return true;
}

} // namespace zk
