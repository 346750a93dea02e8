#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Tests never need a display; set before the QApplication reads it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "Europe/Berlin");
    // Settings and per-user data go to a folder of this run, never to the user's own.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    // The machine's own printers stay out of reach: the print system is asked at a socket of this
    // run where none listens, so no test sends a page to a real printer and every test starts with
    // no printer installed, whatever scheduler runs on the machine.
    qputenv("CUPS_SERVER", QFile::encodeName(home.filePath(QStringLiteral("no-cups.sock"))));

    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    // The program is German; tests that need another locale set it themselves.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
