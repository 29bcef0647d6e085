#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPrinter;
class QPushButton;

namespace zk {

// The printer set-up: which printer (or a PDF file) the album prints on, and
// its paper size and orientation. OK applies the choice to the printer that
// the program keeps for this run; the desktop's default printer is never
// changed. Cancel changes nothing.
class PrinterSetupDialog : public QDialog
{
    Q_OBJECT

public:
    PrinterSetupDialog(QPrinter& printer, QWidget* parent);

    // Entries of the printer list: the installed printers, then "PDF ファイル".
    QComboBox* printerList() const { return printers; }

private:
    bool pdfChosen() const;
    void fillPaperSizes();
    void browse();
    void apply();

    QPrinter& printer;
    QComboBox* printers;
    QLineEdit* pdfPath;
    QPushButton* browseButton;
    QComboBox* papers;
    QComboBox* orientation;
};

} // namespace zk
