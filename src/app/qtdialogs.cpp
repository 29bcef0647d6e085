#include "qtdialogs.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QPushButton>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include "ui/checkresultwindow.h"
#include "ui/printersetupdialog.h"

namespace zk {

namespace {

QString runFileDialog(QWidget* parent, const FileRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(
        mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = QtDialogs::nameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex - 1));
    dialog.setDefaultSuffix(request.defaultExtension);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (QFileInfo(request.proposedPath).isDir())
        dialog.setDirectory(request.proposedPath);
    else if (!request.proposedPath.isEmpty())
        dialog.selectFile(request.proposedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QStringList QtDialogs::nameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        QString pattern = parts.at(i + 1);
        if (pattern == QLatin1String("*.*")) {
            pattern = QStringLiteral("*");
            description.replace(QLatin1String("(*.*)"), QLatin1String("(*)"));
        }
        // QFileDialog reads the patterns from the parentheses of the text.
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (%1)").arg(pattern);
        filters << description;
    }
    return filters;
}

QString QtDialogs::openFile(QWidget* parent, const FileRequest& request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

QString QtDialogs::saveFile(QWidget* parent, const FileRequest& request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

QStringList QtDialogs::openFiles(QWidget* parent, const FileRequest& request)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    const QStringList filters = nameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex - 1));
    if (QFileInfo(request.proposedPath).isDir())
        dialog.setDirectory(request.proposedPath);
    QString folder;
    if (request.foldersToo) {
        // Qt's own dialog, which takes one more button: the folder shown,
        // whole, without selecting every file in it.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setWindowTitle(QStringLiteral("写真のファイルかフォルダーの選択"));
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("選んだファイルを取り込む"));
        dialog.setLabelText(QFileDialog::Reject, QStringLiteral("キャンセル"));
        dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("場所:"));
        dialog.setLabelText(QFileDialog::FileName, QStringLiteral("ファイル名:"));
        dialog.setLabelText(QFileDialog::FileType, QStringLiteral("種類:"));
        auto* wholeFolder = new QPushButton(QStringLiteral("このフォルダーをまとめて取り込む(&F)"), &dialog);
        wholeFolder->setObjectName(QStringLiteral("wholeFolder"));
        QObject::connect(wholeFolder, &QPushButton::clicked, &dialog, [&dialog, &folder] {
            folder = dialog.directory().absolutePath();
            static_cast<QDialog&>(dialog).done(QDialog::Accepted);
        });
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
            grid->addWidget(wholeFolder, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    if (!folder.isEmpty())
        return { folder };
    return dialog.selectedFiles();
}

QString QtDialogs::chooseFolder(QWidget* parent, const QString& title)
{
    return QFileDialog::getExistingDirectory(parent, title);
}

Answer QtDialogs::message(QWidget* parent, const MessageRequest& request)
{
    QMessageBox box(parent);
    box.setWindowTitle(request.title);
    QString text = request.text;
    box.setText(text.replace(QLatin1String("\r\n"), QLatin1String("\n")));
    switch (request.icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    if (request.buttons != MessageButtons::Ok) {
        const bool cancel = request.buttons == MessageButtons::YesNoCancel;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No
            | (cancel ? QMessageBox::Cancel : QMessageBox::NoButton));
        const QList<QMessageBox::StandardButton> order
            = { QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel };
        for (qsizetype i = 0; i < request.buttonTexts.size() && i < order.size(); ++i) {
            if (QAbstractButton* button = box.button(order.at(i)))
                button->setText(request.buttonTexts.at(i));
        }
        box.setDefaultButton(request.defaultButton == Answer::No ? QMessageBox::No
                : request.defaultButton == Answer::Cancel       ? QMessageBox::Cancel
                                                                : QMessageBox::Yes);
        box.setEscapeButton(cancel ? QMessageBox::Cancel : QMessageBox::No);
        const int chosen = box.exec();
        return chosen == QMessageBox::Yes ? Answer::Yes
            : chosen == QMessageBox::No   ? Answer::No
                                          : Answer::Cancel;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

bool QtDialogs::print(QWidget* parent, QPrinter& printer, const PrintRequest& request)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(request.minPage, request.maxPage);
    printer.setFromTo(request.fromPage, request.fromPage);
    printer.setPrintRange(QPrinter::AllPages);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, request.selectionEnabled);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

void QtDialogs::printerSetup(QWidget* parent, QPrinter& printer)
{
    PrinterSetupDialog dialog(printer, parent);
    dialog.exec();
}

CheckAnswer QtDialogs::reviewProblems(QWidget* parent, const QList<CheckProblem>& problems)
{
    CheckResultWindow window(CheckResultWindow::Mode::BeforePrint, parent);
    window.setProblems(problems);
    const bool accepted = window.exec() == QDialog::Accepted;
    return { accepted, window.chosenEntry() };
}

} // namespace zk
