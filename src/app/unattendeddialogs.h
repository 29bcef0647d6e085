#pragma once

#include "ui/dialogs.h"

#include <QStringList>

namespace zk {

// Dialogs that show nothing: each message is written to standard output
// (one line, "message: " and its text) and answered from a list of "yes" and
// "no" ("cancel" for a question with three buttons); file and print dialogs
// are cancelled, and so is a print after the album check found problems
// (each written as a line "problem: ...").
// Tests that run the program as a child process use it through
// ZELKORA_TEST_ANSWERS (see main.cpp).
class UnattendedDialogs : public Dialogs
{
public:
    explicit UnattendedDialogs(QStringList answers) : answers(std::move(answers)) { }

    QString openFile(QWidget* parent, const FileRequest& request) override;
    QString saveFile(QWidget* parent, const FileRequest& request) override;
    QStringList openFiles(QWidget* parent, const FileRequest& request) override;
    QString chooseFolder(QWidget* parent, const QString& title) override;
    Answer message(QWidget* parent, const MessageRequest& request) override;
    bool print(QWidget* parent, QPrinter& printer, const PrintRequest& request) override;
    void printerSetup(QWidget* parent, QPrinter& printer) override;
    CheckAnswer reviewProblems(QWidget* parent, const QList<CheckProblem>& problems) override;

private:
    QStringList answers;
};

} // namespace zk
