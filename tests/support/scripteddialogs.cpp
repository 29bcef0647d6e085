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
    return true;
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
