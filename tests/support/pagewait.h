#pragma once

#include "app/mainwindow.h"
#include "app/pageview.h"

#include <QCoreApplication>
#include <QTest>

// The page on screen decodes photos no cache holds off the window's thread:
// waits until its slots show them (false after 5 s), then lets what follows
// the page (the prefetch of its neighbours) start.
inline bool waitForPage(zk::MainWindow& window)
{
    const bool shown
        = QTest::qWaitFor([&window] { return !window.pageView().photosPending(); }, 5000);
    QCoreApplication::processEvents();
    return shown;
}
