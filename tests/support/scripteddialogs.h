#pragma once

#include "ui/dialogs.h"

#include <QList>
#include <QStringList>

namespace zk {

// Dialogs answered from a script, recording what the program asked.
class ScriptedDialogs : public Dialogs
{
public:
    QString openFile(QWidget* parent, const FileRequest& request) override;
    QString saveFile(QWidget* parent, const FileRequest& request) override;
    QStringList openFiles(QWidget* parent, const FileRequest& request) override;
    QString chooseFolder(QWidget* parent, const QString& title) override;
    Answer message(QWidget* parent, const MessageRequest& request) override;
    bool print(QWidget* parent, QPrinter& printer, const PrintRequest& request) override;
    void printerSetup(QWidget* parent, QPrinter& printer) override;
    CheckAnswer reviewProblems(QWidget* parent, const QList<CheckProblem>& problems) override;

    // Answers in order; an empty queue answers "" (cancel) and the default button.
    QStringList openAnswers;
    QStringList saveAnswers;
    QList<Answer> messageAnswers;
    QList<QStringList> openFilesAnswers;
    QStringList folderAnswers;
    // The print dialog: false cancels; otherwise the printer prints into
    // printToPdf with printCopies copies. The set-up dialog does the same.
    QList<bool> printAnswers;
    QString printToPdf;
    int printCopies = 1;
    // A page range chosen in the print dialog; 0 leaves "all".
    int printFrom = 0;
    int printTo = 0;
    // The check's problems window: answered from the queue; empty prints anyway.
    QList<CheckAnswer> checkAnswers;
    QList<QList<CheckProblem>> reviewedProblems;

    QList<FileRequest> fileRequests;
    QList<MessageRequest> messages;
    QList<PrintRequest> printRequests;
    int printerSetups = 0;

    QString lastMessage() const { return messages.isEmpty() ? QString() : messages.last().text; }
    void clear();
};

} // namespace zk
