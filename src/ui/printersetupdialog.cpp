#include "printersetupdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

namespace zk {

namespace {

// Paper a PDF file can have; the album is laid out for A4 portrait.
const QPageSize::PageSizeId pdfPapers[]
    = { QPageSize::A4, QPageSize::A3, QPageSize::B5, QPageSize::B4, QPageSize::Letter };

} // namespace

PrinterSetupDialog::PrinterSetupDialog(QPrinter& target, QWidget* parent)
    : QDialog(parent), printer(target), printers(new QComboBox(this)), pdfPath(new QLineEdit(this)),
      browseButton(new QPushButton(QStringLiteral("参照..."), this)), papers(new QComboBox(this)),
      orientation(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("プリンタ設定"));

    const QString defaultPrinter = QPrinterInfo::defaultPrinterName();
    const QStringList names = QPrinterInfo::availablePrinterNames();
    for (const QString& name : names)
        printers->addItem(name == defaultPrinter ? name + QStringLiteral(" (既定)") : name, name);
    printers->addItem(QStringLiteral("PDF ファイル"));
    if (printer.outputFormat() == QPrinter::PdfFormat || names.isEmpty())
        printers->setCurrentIndex(printers->count() - 1);
    else
        printers->setCurrentIndex(qMax(0, printers->findData(printer.printerName())));
    pdfPath->setText(printer.outputFileName().isEmpty()
            ? QDir::home().filePath(QStringLiteral("album.pdf"))
            : printer.outputFileName());

    orientation->addItem(QStringLiteral("縦"), int(QPageLayout::Portrait));
    orientation->addItem(QStringLiteral("横"), int(QPageLayout::Landscape));
    orientation->setCurrentIndex(printer.pageLayout().orientation() == QPageLayout::Landscape);

    auto* pdfRow = new QHBoxLayout;
    pdfRow->addWidget(pdfPath);
    pdfRow->addWidget(browseButton);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("プリンタ:"), printers);
    form->addRow(QStringLiteral("PDF の保存先:"), pdfRow);
    form->addRow(QStringLiteral("用紙サイズ:"), papers);
    form->addRow(QStringLiteral("印刷の向き:"), orientation);
    form->addRow(buttons);
    fillPaperSizes();

    // Choices and buttons
    connect(printers, &QComboBox::currentIndexChanged, this, &PrinterSetupDialog::fillPaperSizes);
    connect(browseButton, &QPushButton::clicked, this, &PrinterSetupDialog::browse);
    connect(buttons, &QDialogButtonBox::accepted, this, &PrinterSetupDialog::apply);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool PrinterSetupDialog::pdfChosen() const
{
    return printers->currentIndex() == printers->count() - 1;
}

void PrinterSetupDialog::fillPaperSizes()
{
    const QPageSize current = printer.pageLayout().pageSize();
    QList<QPageSize> sizes;
    if (pdfChosen()) {
        for (QPageSize::PageSizeId id : pdfPapers)
            sizes << QPageSize(id);
    } else {
        sizes = QPrinterInfo::printerInfo(printers->currentData().toString()).supportedPageSizes();
        if (sizes.isEmpty())
            sizes << QPageSize(QPageSize::A4);
    }
    papers->clear();
    for (const QPageSize& size : sizes)
        papers->addItem(size.name(), QVariant::fromValue(size));
    // The size in use, else A4, else the first.
    int index = papers->findText(QPageSize(QPageSize::A4).name());
    for (int i = 0; i < sizes.size(); ++i) {
        if (sizes.at(i).isEquivalentTo(current)) {
            index = i;
            break;
        }
    }
    papers->setCurrentIndex(qMax(0, index));
    pdfPath->setEnabled(pdfChosen());
    browseButton->setEnabled(pdfChosen());
}

void PrinterSetupDialog::browse()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("PDF の保存先"),
        pdfPath->text(), QStringLiteral("PDF ファイル (*.pdf)"));
    if (!path.isEmpty())
        pdfPath->setText(path);
}

void PrinterSetupDialog::apply()
{
    if (pdfChosen()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath->text());
    } else {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(printers->currentData().toString());
    }
    printer.setPageSize(papers->currentData().value<QPageSize>());
    printer.setPageOrientation(QPageLayout::Orientation(orientation->currentData().toInt()));
    accept();
}

} // namespace zk
