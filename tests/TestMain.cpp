#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Tests never need a display; set before the QApplication reads it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "Europe/Berlin");

    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    // The program is German; tests that need another locale set it themselves.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
