#pragma once

#include "app/mainwindow.h"
#include "app/pageview.h"

#include <QTest>

// The page on screen decodes photos no cache holds off the window's thread:
// waits until its slots show them (false after 5 s).
inline bool waitForPage(zk::MainWindow& window)
{
    return QTest::qWaitFor([&window] { return !window.pageView().photosPending(); }, 5000);
}
