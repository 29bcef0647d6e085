#include "infoedit.h"

#include <QDate>
#include <QRegularExpression>

namespace zk {

PhotoInfo InfoPatch::applied_to(PhotoInfo info) const
{
    for (int i = 0; i < InfoItemCount; ++i) {
        const auto item = InfoItem(i);
        if (cleared.contains(item)) {
            info.setText(item, {});
        } else if (values.has(item)) {
            // setText keeps titles by index only; drawings go over whole.
            if (item == InfoItem::Drawings)
                info.drawings = values.drawings;
            else if (item == InfoItem::Reserves)
                info.reserves = values.reserves;
            else
                info.setText(item, values.text(item));
        }
    }
    return info;
}

QString normalized_shot_date(const QString& typed, QString* problem)
{
    QString text = typed.trimmed();
    for (QChar& c : text) {
        // Full-width digits and separators, as a Japanese input method types them.
        if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E)
            c = QChar(c.unicode() - 0xFEE0);
    }
    problem->clear();
    if (text.isEmpty())
        return {};
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) {
        *problem = QStringLiteral(
            "撮影年月日は 2024-05-01 のように 年(4 桁)-月-日 で入力してください.");
        return {};
    }
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!date.isValid()) {
        *problem = QStringLiteral("撮影年月日の %1 という日付はありません. 正しい日付を入力してください.")
                       .arg(text);
        return {};
    }
    return date.toString(Qt::ISODate);
}

} // namespace zk
