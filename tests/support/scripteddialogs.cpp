#include "scripteddialogs.h"

#include <QPrinter>

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

QStringList ScriptedDialogs::openFiles(QWidget*, const FileRequest& request)
{
    fileRequests << request;
    return openFilesAnswers.isEmpty() ? QStringList() : openFilesAnswers.takeFirst();
}

QString ScriptedDialogs::chooseFolder(QWidget*, const QString&)
{
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}

Answer ScriptedDialogs::message(QWidget*, const MessageRequest& request)
{
    messages << request;
    return messageAnswers.isEmpty() ? request.defaultButton : messageAnswers.takeFirst();
}

bool ScriptedDialogs::print(QWidget*, QPrinter& printer, const PrintRequest& request)
{
    printRequests << request;
    if (printAnswers.isEmpty() || !printAnswers.takeFirst())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printToPdf);
    printer.setCopyCount(printCopies);
    if (printFrom > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(printFrom, printTo);
    } else {
        printer.setPrintRange(QPrinter::AllPages);
    }
    return true;
}

CheckAnswer ScriptedDialogs::reviewProblems(QWidget*, const QList<CheckProblem>& problems)
{
    reviewedProblems << problems;
    return checkAnswers.isEmpty() ? CheckAnswer { true, 0 } : checkAnswers.takeFirst();
}

void ScriptedDialogs::printerSetup(QWidget*, QPrinter& printer)
{
    ++printerSetups;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printToPdf);
}

void ScriptedDialogs::clear()
{
    printAnswers.clear();
    printRequests.clear();
    printFrom = printTo = 0;
    checkAnswers.clear();
    reviewedProblems.clear();
    printerSetups = 0;
    openAnswers.clear();
    saveAnswers.clear();
    messageAnswers.clear();
    openFilesAnswers.clear();
    folderAnswers.clear();
    fileRequests.clear();
    messages.clear();
}

} // namespace zk
