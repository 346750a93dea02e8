// The printing tests through a real print system. The private scheduler's socket is made known
// before the QApplication exists, since CUPS reads CUPS_SERVER once, at the process's first call.
#include "tests/printing/PrivateCups.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "Europe/Berlin");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));

    // Started by the first test that prints, so that listing the tests starts nothing.
    PrivateCups cups;
    qputenv("CUPS_SERVER", QFile::encodeName(cups.socketPath()));

    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    cups.stop();
    return result;
}
