#include "tests/TestRun.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int runTests(int argc, char **argv, const QString &cupsServer)
{
    // Tests never need a display; set before the QApplication reads it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "Europe/Berlin");
    // Settings and per-user data go to a folder of this run, never to the user's own.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    // CUPS reads this once, at the process's first call, so it is set before anything prints.
    qputenv(
        "CUPS_SERVER",
        QFile::encodeName(cupsServer.isEmpty() ? home.filePath(QStringLiteral("no-cups.sock")) : cupsServer));

    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    // The program is German; tests that need another locale set it themselves.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
