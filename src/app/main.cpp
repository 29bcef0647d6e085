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
#include <QTimer>
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
        return zk::cover_defaults(QDate::currentDate(), zk::CorpIni::find());
    });

    window.use_preferences(zk::Preferences::load(), zk::Preferences::default_file());

    // An album given on the command line (the file manager's "open with")
    // is opened before the cover window shows, so that it shows its cover.
    // Page 1's photos are decoded once the cover window shows, in the
    // background, not before it: nobody sees them until the cover is closed.
    window.set_photos_deferred(true);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1)
        window.fileCommands().open_document(args.at(1));
    QTimer::singleShot(0, &window, [&window] { window.set_photos_deferred(true); });
    window.show_cover_modal();
    window.set_photos_deferred(false);

    window.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window.move(area.center() - window.rect().center());
    }
    window.show();
    return app.exec();
}
