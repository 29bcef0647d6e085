#include "unattendeddialogs.h"

#include "check/albumcheck.h"

#include <cstdio>

namespace zk {

QString UnattendedDialogs::openFile(QWidget*, const FileRequest&)
{
    return {};
}

QString UnattendedDialogs::saveFile(QWidget*, const FileRequest&)
{
    return {};
}

QStringList UnattendedDialogs::openFiles(QWidget*, const FileRequest&)
{
    return {};
}

QString UnattendedDialogs::chooseFolder(QWidget*, const QString&)
{
    return {};
}

Answer UnattendedDialogs::message(QWidget*, const MessageRequest& request)
{
    QString text = request.text;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    std::fputs(qPrintable(QStringLiteral("message: ") + text + u'\n'), stdout);
    std::fflush(stdout);
    if (answers.isEmpty() || request.buttons == MessageButtons::Ok)
        return request.buttons == MessageButtons::Ok ? Answer::Ok : request.defaultButton;
    const QString answer = answers.takeFirst();
    if (answer == u"cancel" && request.buttons == MessageButtons::YesNoCancel)
        return Answer::Cancel;
    return answer == u"yes" ? Answer::Yes : Answer::No;
}

bool UnattendedDialogs::print(QWidget*, QPrinter&, const PrintRequest&)
{
    return false;
}

void UnattendedDialogs::printerSetup(QWidget*, QPrinter&) { }

CheckAnswer UnattendedDialogs::reviewProblems(QWidget*, const QList<CheckProblem>& problems)
{
    for (const CheckProblem& problem : problems)
        std::fputs(qPrintable(QStringLiteral("problem: ") + problem.toString() + u'\n'), stdout);
    std::fflush(stdout);
    return { false, 0 };
}

} // namespace zk
