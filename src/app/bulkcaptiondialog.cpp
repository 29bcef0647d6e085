#include "bulkcaptiondialog.h"

#include "ui/dialogs.h"
#include "app/titleedit.h"
#include "model/entrytable.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace zk {

BulkCaptionDialog::BulkCaptionDialog(Dialogs& messages, const EntryTable& table,
    const QList<int>& positions, int firstPosition, int lastPosition, QWidget* parent)
    : QDialog(parent), dialogs(messages), entries(table), given(positions),
      title(new QLineEdit(this)), text(new QPlainTextEdit(this)), start(new QSpinBox(this)),
      step(new QSpinBox(this)), preview(new QLabel(this))
{
    setObjectName(QStringLiteral("bulkCaptionDialog"));
    setWindowTitle(QStringLiteral("一括入力"));
    setMinimumWidth(440);
    std::sort(given.begin(), given.end());
    given.erase(std::unique(given.begin(), given.end()), given.end());

    auto* form = new QFormLayout;
    addTargetRow(form, firstPosition, lastPosition);
    title->setObjectName(QStringLiteral("bulkTitle"));
    text->setObjectName(QStringLiteral("bulkText"));
    text->setTabChangesFocus(true);
    text->setFixedHeight(text->fontMetrics().lineSpacing() * 4 + 12);
    form->addRow(QStringLiteral("タイトル:"), title);
    form->addRow(QStringLiteral("説明:"), text);

    addNumberingRow(form);

    auto* help
        = new QLabel(QStringLiteral("空欄の項目は変更しません.\n"
                                    "{n} は番号に、{n:3} は 3 桁の番号 (001) に置き換わります.\n"
                                    "例: 測点No.{n} → 測点No.1, 測点No.2, …"),
            this);
    help->setWordWrap(true);
    preview->setObjectName(QStringLiteral("bulkPreview"));
    preview->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(help);
    layout->addWidget(preview);
    layout->addWidget(buttons);

    // Buttons and the preview
    connect(buttons, &QDialogButtonBox::accepted, this, &BulkCaptionDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(title, &QLineEdit::textChanged, this, &BulkCaptionDialog::updatePreview);
    connect(text, &QPlainTextEdit::textChanged, this, &BulkCaptionDialog::updatePreview);
    connect(start, &QSpinBox::valueChanged, this, &BulkCaptionDialog::updatePreview);
    connect(step, &QSpinBox::valueChanged, this, &BulkCaptionDialog::updatePreview);
    updatePreview();
}

// The entries to fill: the selection given, or a range of numbers to choose.
void BulkCaptionDialog::addTargetRow(QFormLayout* form, int firstPosition, int lastPosition)
{
    if (given.isEmpty()) {
        from = new QSpinBox(this);
        to = new QSpinBox(this);
        from->setObjectName(QStringLiteral("bulkFrom"));
        to->setObjectName(QStringLiteral("bulkTo"));
        for (QSpinBox* box : { from, to })
            box->setRange(1, entries.entry_count());
        from->setValue(firstPosition);
        to->setValue(lastPosition);
        auto* range = new QHBoxLayout;
        range->addWidget(new QLabel(QStringLiteral("No."), this));
        range->addWidget(from);
        range->addWidget(new QLabel(QStringLiteral("から No."), this));
        range->addWidget(to);
        range->addWidget(new QLabel(QStringLiteral("まで"), this));
        range->addStretch();
        form->addRow(QStringLiteral("対象:"), range);
    } else {
        form->addRow(QStringLiteral("対象:"),
            new QLabel(QStringLiteral("選択した %1 件 (No.%2 〜 No.%3)")
                           .arg(given.size())
                           .arg(given.constFirst())
                           .arg(given.constLast()),
                this));
    }
}

// 開始 and 増分 of the number that {n} stands for.
void BulkCaptionDialog::addNumberingRow(QFormLayout* form)
{
    start->setObjectName(QStringLiteral("bulkStart"));
    step->setObjectName(QStringLiteral("bulkStep"));
    start->setRange(-999999, 999999);
    step->setRange(-9999, 9999);
    start->setValue(1);
    step->setValue(1);
    auto* numbers = new QHBoxLayout;
    numbers->addWidget(new QLabel(QStringLiteral("開始"), this));
    numbers->addWidget(start);
    numbers->addWidget(new QLabel(QStringLiteral("増分"), this));
    numbers->addWidget(step);
    numbers->addStretch();
    form->addRow(QStringLiteral("番号:"), numbers);
}

BulkCaption BulkCaptionDialog::caption() const
{
    BulkCaption c;
    if (!title->text().isEmpty())
        c.title = title->text();
    if (!text->toPlainText().isEmpty())
        c.text = text->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    c.start = start->value();
    c.step = step->value();
    return c;
}

QList<int> BulkCaptionDialog::positions() const
{
    if (!given.isEmpty())
        return given;
    QList<int> range;
    for (int i = qMin(from->value(), to->value()); i <= qMax(from->value(), to->value()); ++i)
        range.append(i);
    return range;
}

void BulkCaptionDialog::updatePreview()
{
    const BulkCaption c = caption();
    const qsizetype count = positions().size();
    const auto sample = [&c](qint64 n) {
        QStringList parts;
        if (c.title)
            parts << expand_numbering(*c.title, n);
        if (c.text)
            parts
                << expand_numbering(*c.text, n).replace(QLatin1String("\r\n"), QLatin1String(" "));
        return parts.join(QLatin1String(" / "));
    };
    if (!c.title && !c.text) {
        preview->setText(QStringLiteral("%1 件が対象です.").arg(count));
        return;
    }
    preview->setText(QStringLiteral("%1 件: 最初「%2」、最後「%3」")
                         .arg(count)
                         .arg(sample(c.start), sample(c.start + c.step * (count - 1))));
}

void BulkCaptionDialog::accept()
{
    const BulkCaption c = caption();
    if (!c.title && !c.text) {
        dialogs.inform(this, QStringLiteral("タイトルか説明を入力してください."));
        return;
    }
    if (c.title) {
        // A title may hold no more than can be typed into the title box.
        const QList<int> targets = positions();
        for (qsizetype i = 0; i < targets.size(); ++i) {
            const QString t = expand_numbering(*c.title, c.start + c.step * i);
            if (t.size() > TitleEdit::KeyboardLimit) {
                dialogs.inform(this,
                    QStringLiteral("No.%1 のタイトル「%2」が %3 文字を超えます. "
                                   "タイトルは %3 文字までにしてください.")
                        .arg(targets.at(i))
                        .arg(t)
                        .arg(TitleEdit::KeyboardLimit));
                return;
            }
        }
    }
    QDialog::accept();
}

} // namespace zk
