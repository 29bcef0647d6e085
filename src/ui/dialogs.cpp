#include "dialogs.h"

namespace zk {

QString photo_filter()
{
    return QStringLiteral("すべてのファイル (*.*)|*.*|"
                          "BMP ファイル (*.bmp)|*.bmp|"
                          "GIF ファイル (*.gif)|*.gif|"
                          "ICO ファイル (*.ico)|*.ico|"
                          "JPG ファイル (*.jpg)|*.jpg|"
                          "JPEG ファイル (*.jpeg)|*.jpeg|"
                          "WMF ファイル (*.wmf)|*.wmf|");
}

QString message_lines(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

void Dialogs::inform(QWidget* parent, const QString& text, const QString& title)
{
    message(parent, { text, title, MessageIcon::None, MessageButtons::Ok, Answer::Ok });
}

void Dialogs::warn(QWidget* parent, const QString& text)
{
    message(parent, { text, programName(), MessageIcon::Warning, MessageButtons::Ok, Answer::Ok });
}

} // namespace zk
