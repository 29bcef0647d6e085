#pragma once

#include "app/dialogs.h"

#include <QList>
#include <QStringList>

namespace zk {

// Dialogs answered from a script, recording what the program asked.
class ScriptedDialogs : public Dialogs
{
public:
    QString openFile(QWidget* parent, const FileRequest& request) override;
    QString saveFile(QWidget* parent, const FileRequest& request) override;
    Answer message(QWidget* parent, const MessageRequest& request) override;

    // Answers in order; an empty queue answers "" (cancel) and the default button.
    QStringList openAnswers;
    QStringList saveAnswers;
    QList<Answer> messageAnswers;

    QList<FileRequest> fileRequests;
    QList<MessageRequest> messages;

    QString lastMessage() const { return messages.isEmpty() ? QString() : messages.last().text; }
    void clear();
};

} // namespace zk
