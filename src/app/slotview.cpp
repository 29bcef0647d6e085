#include "slotview.h"

#include "app/photobox.h"
#include "app/slotframe.h"
#include "app/titleedit.h"
#include "ui/twips.h"

#include <QFont>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace zk {

namespace {

QString boxForm(const QString& text)
{
    QString shown = text;
    return shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

// Qt lays out a long line without spaces in time that grows faster than its
// length (a line of 1 MB took over a minute), and the file format sets no
// limit. Texts beyond these limits are shown in part, with a note, in a
// box that cannot be edited, so that the stored text stays whole.
constexpr qsizetype MaxShownChars = 20000;
constexpr qsizetype MaxShownLine = 2000;

bool tooLongToShow(QStringView text)
{
    if (text.size() > MaxShownChars)
        return true;
    qsizetype lineStart = 0;
    while (lineStart < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), lineStart);
        if (end < 0)
            end = text.size();
        if (end - lineStart > MaxShownLine)
            return true;
        lineStart = end + 1;
    }
    return false;
}

QString partForm(const QString& text, const QString& note)
{
    return text.left(MaxShownLine) + QStringLiteral("…\n") + note.arg(text.size());
}

QString storedForm(const QString& shown)
{
    QString text = shown;
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

} // namespace

SlotView::SlotView(int index, QWidget* parent)
    : QObject(parent), slotIndex(index), photo(new PhotoBox(parent)),
      outline(new SlotFrame(parent)), number(new QLineEdit(parent)),
      titleEdit(new TitleEdit(parent)), textEdit(new QPlainTextEdit(parent))
{
    const QString k = QString::number(index);
    photo->setObjectName(QStringLiteral("Image1_") + k);
    outline->setObjectName(QStringLiteral("Shape1_") + k);
    number->setObjectName(QStringLiteral("Text1_") + k);
    titleEdit->setObjectName(QStringLiteral("Text2_") + k);
    textEdit->setObjectName(QStringLiteral("Text3_") + k);

    // Each slot is a band 2640 twips high from 600 down.
    const int y = 600 + 2640 * index;
    photo->setGeometry(twips(120, y, 3855, 2535));
    outline->setGeometry(twips(120, y, 3855, 2535));
    number->setGeometry(twips(4080, y, 1215, 375));
    titleEdit->setGeometry(twips(4080, y + 480, 4095, 375));
    textEdit->setGeometry(twips(4080, y + 960, 4095, 1575));

    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSizeF(11.25);
    font.setBold(true);
    for (QWidget* w : { static_cast<QWidget*>(number), static_cast<QWidget*>(titleEdit),
             static_cast<QWidget*>(textEdit) })
        w->setFont(font);

    number->setReadOnly(true);
    number->setInputMethodHints(Qt::ImhPreferLatin);
    number->setText(QStringLiteral("No."));
    textEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textEdit->setTabChangesFocus(true);

    // Box changes
    connect(titleEdit, &QLineEdit::textChanged, this, [this] { Q_EMIT titleChanged(slotIndex); });
    connect(
        textEdit, &QPlainTextEdit::textChanged, this, [this] { Q_EMIT textChanged(slotIndex); });
}

void SlotView::setNumberLabel(const QString& label)
{
    if (number->text() != label)
        number->setText(label);
}

void SlotView::setTitle(const QString& title)
{
    setTitleValue = title;
    setting = true;
    const bool whole = !tooLongToShow(title);
    const QString shown = whole
        ? title
        : partForm(title, QStringLiteral("(全%1文字: 長すぎるため一部だけを表示しています)"))
              .replace(QLatin1Char('\n'), QLatin1Char(' '));
    titleEdit->setReadOnly(!whole);
    if (titleEdit->text() != shown)
        titleEdit->setText(shown);
    setting = false;
    shownTitle = titleEdit->text();
}

void SlotView::setText(const QString& text)
{
    setTextValue = text;
    setting = true;
    QString shown = boxForm(text);
    const bool whole = !tooLongToShow(shown);
    if (!whole) {
        shown = partForm(shown,
            QStringLiteral("(全%1文字: 長すぎるため一部だけを表示しています. "
                           "ここでは編集できませんが、保存や印刷では全文が使われます)"));
    }
    textEdit->setReadOnly(!whole);
    if (textEdit->toPlainText() != shown)
        textEdit->setPlainText(shown);
    setting = false;
    shownText = textEdit->toPlainText();
}

QString SlotView::title() const
{
    const QString box = titleEdit->text();
    return setting || box == shownTitle ? setTitleValue : box;
}

QString SlotView::text() const
{
    const QString box = textEdit->toPlainText();
    return setting || box == shownText ? setTextValue : storedForm(box);
}

} // namespace zk
