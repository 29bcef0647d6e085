#include "aboutbox.h"

#include "ui/dialogs.h"

namespace zk {

namespace {

constexpr int major = 1;
constexpr int minor = 1;
constexpr int revision = 43;

} // namespace

QString version_text()
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision);
}

void show_about(Dialogs& dialogs, QWidget* parent)
{
    const QString text = QStringLiteral("Version ") + version_text()
        + QStringLiteral("\r\n\r\nZelkora 工事写真帳\r\n\r\nZelkora の開発者たち");
    dialogs.message(parent,
        { text, QStringLiteral("Zelkora"), MessageIcon::Information, MessageButtons::Ok,
            Answer::Ok });
}

} // namespace zk
