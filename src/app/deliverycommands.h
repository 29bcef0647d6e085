#pragma once

#include "delivery/deliverycheck.h"
#include "delivery/deliveryexport.h"
#include "ui/deliveryfindingswindow.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace zk {

class Album;
class DeliveryFindingsWindow;
class Dialogs;
class UserSettings;

// 電子納品データの作成 and 電子納品データのチェック: the album written as a
// PHOTO folder, and any PHOTO folder checked. Problems and findings are listed
// in a window beside the main window; a row of one of the album's photos
// leads to its entry.
class DeliveryCommands : public QObject
{
    Q_OBJECT

public:
    DeliveryCommands(const Album& album, UserSettings& settings, Dialogs& dialogs, QWidget* window,
        QObject* parent);

    // Asks for the output folder and the 適用要領基準, then exports.
    void export_delivery();
    // The export itself; true when the PHOTO folder was written.
    bool run_export(const QString& outDir, const QString& standard);

    // Asks for a folder, then checks it.
    void check_delivery();
    void run_check(const QString& folder);

    // The album entry whose photo a finding names, or 0: the file's name was
    // kept as 写真ファイル日本語名 and its size is the same.
    int entry_of(const DeliveryFinding& finding) const;

    DeliveryFindingsWindow* findingsWindow() const { return findings; }

Q_SIGNALS:
    // The user asked to see entry (from 1) in the main window.
    void entryChosen(int entry);

private:
    // Copying hundreds of photos takes a while: it runs beside the window,
    // which shows how far it got and offers 中止.
    DeliveryExport::Result write_with_progress(const DeliveryData& data, const QString& outDir);
    DeliveryFindingsWindow* ensure_findings_window();
    void tell(const QString& text, bool failure);

    const Album& album;
    UserSettings& settings;
    Dialogs& dialogs;
    QWidget* window;
    QPointer<DeliveryFindingsWindow> findings;
};

} // namespace zk
