#pragma once

#include "ui/dialogs.h"

#include <QStringList>

namespace zk {

// The dialogs as the user sees them: QFileDialog and QMessageBox.
class QtDialogs : public Dialogs
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

    // "desc|pattern|..." as QFileDialog name filters. "*.*" becomes "*",
    // which on this platform also matches names without a dot.
    static QStringList nameFilters(const QString& filter);
};

} // namespace zk
