#pragma once

#include "check/albumcheck.h"

#include <QList>
#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace zk {

// The file dialog's filter for photos.
QString photo_filter();

// The lines of a message, joined as MessageRequest::text takes them (CR LF);
// an empty line is an empty string. Every message joins its lines here.
QString message_lines(const QStringList& lines);

// What a file dialog is asked for, in the album's own terms.
struct FileRequest
{
    // Pairs of description and pattern, each followed by "|" (the last "|"
    // may be missing): "JPG ファイル (*.jpg)|*.jpg|".
    QString filter;
    int filterIndex = 1; // the pair chosen when the dialog opens, from 1
    QString defaultExtension; // added to a typed name without one
    bool confirmOverwrite = false;
    // The folder the dialog opens in, or a file in it to propose ("" : the
    // toolkit's choice).
    QString proposedPath;
    // openFiles(): a folder may be chosen instead, standing for the
    // pictures in it.
    bool foldersToo = false;
};

enum class MessageIcon { None, Information, Warning, Critical };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

// What the print dialog offers: the page range limits and the first page
// (the album always prints whole), the selection choice off.
struct PrintRequest
{
    int minPage = 1;
    int maxPage = 10;
    int fromPage = 1;
    bool selectionEnabled = false;
};

// What the user made of the problems the album check found before a print.
struct CheckAnswer
{
    bool printAnyway = false;
    int entry = 0; // the entry to go to, from 1; 0 for none
};

struct MessageRequest
{
    QString text; // lines separated by CR LF: see message_lines()
    QString title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    Answer defaultButton = Answer::Ok;
    // Own texts for the Yes, No (and Cancel) buttons, in that order; empty
    // keeps the toolkit's.
    QStringList buttonTexts {};
};

// Every file dialog, print dialog and message box the program shows goes through here, so
// tests can answer them.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // The chosen file's full path, or "" when the user cancels.
    virtual QString openFile(QWidget* parent, const FileRequest& request) = 0;
    virtual QString saveFile(QWidget* parent, const FileRequest& request) = 0;
    // Several files at once (batch import); empty when the user cancels.
    virtual QStringList openFiles(QWidget* parent, const FileRequest& request) = 0;
    // A folder's full path, or "" when the user cancels.
    virtual QString chooseFolder(QWidget* parent, const QString& title) = 0;

    virtual Answer message(QWidget* parent, const MessageRequest& request) = 0;

    // The print dialog for printer: the user's choice of printer, its
    // settings and the number of copies land in printer. False on cancel.
    virtual bool print(QWidget* parent, QPrinter& printer, const PrintRequest& request) = 0;
    // The printer and its paper, chosen for every later print of this run.
    // Cancel leaves printer as it was.
    virtual void printerSetup(QWidget* parent, QPrinter& printer) = 0;
    // The problems found before a print, with the choice to print anyway.
    virtual CheckAnswer reviewProblems(QWidget* parent, const QList<CheckProblem>& problems) = 0;

    // A message with one OK button and no icon, titled with the program's name.
    void inform(QWidget* parent, const QString& text, const QString& title = programName());
    // A failure the user must know about: warning icon, OK, the program's name.
    void warn(QWidget* parent, const QString& text);

    // The program's internal name, the title of its plain messages; lower
    // case as it has always read (fixed text: users know it so).
    static QString programName() { return QStringLiteral("zelkora"); }
};

} // namespace zk
