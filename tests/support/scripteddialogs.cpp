#include "scripteddialogs.h"

namespace zk {

QString ScriptedDialogs::openFile(QWidget*, const FileRequest& request)
{
    fileRequests << request;
    return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
}

QString ScriptedDialogs::saveFile(QWidget*, const FileRequest& request)
{
    fileRequests << request;
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

Answer ScriptedDialogs::message(QWidget*, const MessageRequest& request)
{
    messages << request;
    return messageAnswers.isEmpty() ? request.defaultButton : messageAnswers.takeFirst();
}

void ScriptedDialogs::clear()
{
    openAnswers.clear();
    saveAnswers.clear();
    messageAnswers.clear();
    fileRequests.clear();
    messages.clear();
}

} // namespace zk
