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
    const QString text = message_lines({ QStringLiteral("Version ") + version_text(), {},
        QStringLiteral("Zelkora 工事写真帳"), {}, QStringLiteral("Zelkora の開発者たち") });
    dialogs.message(parent,
        { text, QStringLiteral("Zelkora"), MessageIcon::Information, MessageButtons::Ok,
            Answer::Ok });
}

} // namespace zk
