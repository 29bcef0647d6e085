#include "dialogs.h"

namespace zk {

void Dialogs::inform(QWidget* parent, const QString& text, const QString& title)
{
    message(parent, { text, title, MessageIcon::None, MessageButtons::Ok, Answer::Ok });
}

void Dialogs::warn(QWidget* parent, const QString& text)
{
    message(parent, { text, programName(), MessageIcon::Warning, MessageButtons::Ok, Answer::Ok });
}

} // namespace zk
