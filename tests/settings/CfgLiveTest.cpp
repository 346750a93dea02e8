#include "live/PasswordStore.h"
#include "settings/Cfg.h"
#include "tests/TestSupport.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

TEST(TCfgDialog, LiveGroupShowsThePhoneAddressesAndKeepsThePasswordOutOfTheSettings)
{
    QTemporaryDir dir;
    Settings settings;
    PasswordStore passwords(PasswordStore::Backend::MemoryOnly);
    TCfgDialog dialog(settings, 0);
    dialog.setPasswordStore(&passwords);
    dialog.LocalAddresses = [] {
        return QList<QHostAddress>{QHostAddress(u"192.168.5.7"_qs), QHostAddress(u"10.1.2.3"_qs)};
    };
    const QString folder = u"https://verein.example/live/"_qs;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_FALSE(dialog.cbLive->isChecked()); // off at the first start
        EXPECT_EQ(dialog.lLiveAddresses->text(), u"aus"_qs);
        QTest::mouseClick(dialog.cbLive, Qt::LeftButton);
        dialog.seLivePort->selectAll();
        QTest::keyClicks(dialog.seLivePort, u"8081"_qs);
        EXPECT_EQ(dialog.lLiveAddresses->text(), u"http://192.168.5.7:8081/\nhttp://10.1.2.3:8081/"_qs);
        EXPECT_FALSE(dialog.lLiveQr->pixmap().isNull());

        QTest::keyClicks(dialog.eUpload, u"ftp://verein.example/"_qs);
        EXPECT_FALSE(dialog.OKBtn->isEnabled()); // only what an upload can use
        dialog.eUpload->clear();
        QTest::keyClicks(dialog.eUpload, folder);
        QTest::keyClicks(dialog.eUser, u"verein"_qs);
        QTest::keyClicks(dialog.ePassword, u"geheim"_qs);
        ASSERT_TRUE(dialog.OKBtn->isEnabled());
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
    });
    ASSERT_EQ(dialog.execute(), 1);
    EXPECT_EQ(settings.LivePort, 8081);
    EXPECT_EQ(settings.LiveUpload, folder);
    EXPECT_EQ(settings.LiveUser, u"verein"_qs);
    EXPECT_EQ(passwords.known(PasswordStore::keyOf(QUrl(folder), u"verein"_qs)), u"geheim"_qs);
    SettingsFile file(dir.filePath(u"Ombrel.ini"_qs));
    ASSERT_EQ(writeSettings(settings, file), QString());
    QFile written(file.path());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray stored = written.readAll();
    EXPECT_TRUE(stored.contains("verein.example"));
    EXPECT_FALSE(stored.contains("geheim"));

    // Opened again it shows what was confirmed; without the tick the pages are off.
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(dialog.seLivePort->value(), 8081);
        EXPECT_EQ(dialog.ePassword->text(), u"geheim"_qs);
        QTest::mouseClick(dialog.cbLive, Qt::LeftButton);
        EXPECT_EQ(dialog.lLiveAddresses->text(), u"aus"_qs);
        EXPECT_TRUE(dialog.lLiveQr->pixmap().isNull());
        dialog.OKBtn->click();
    });
    ASSERT_EQ(dialog.execute(), 1);
    EXPECT_EQ(settings.LivePort, 0);
}
