// Zelkora: assembles and prints a construction photo album.

#include "app/mainwindow.h"
#include "app/qtdialogs.h"
#include "cover/corpini.h"
#include "cover/coverdefaults.h"
#include "docfile/filecommands.h"
#include "print/fontsubstitutes.h"

#include <QApplication>
#include <QDate>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelkora"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.1.43"));
    QGuiApplication::setDesktopFileName(QStringLiteral("zelkora"));
    zk::install_font_substitutes();

    // The program speaks Japanese, and so do Qt's own dialogs (file, print).
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
            QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTranslations);

    zk::QtDialogs dialogs;
    zk::MainWindow window(dialogs, [] {
        // corp.ini is read anew for every new album, so edits reach the next one.
        // So is the user's era, which decides the default years.
        return zk::cover_defaults(
            QDate::currentDate(), zk::CorpIni::find(), zk::Preferences::load().era);
    });

    // An album given on the command line (the file manager's "open with")
    // is opened before the cover window shows, so that it shows its cover.
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1)
        window.fileCommands().open_document(args.at(1));
    window.show_cover_modal();

    window.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window.move(area.center() - window.rect().center());
    }
    window.show();
    return app.exec();
}
