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
    dialog.setLocalAddresses([] {
        return QList<QHostAddress>{QHostAddress(u"192.168.5.7"_qs), QHostAddress(u"10.1.2.3"_qs)};
    });
    auto edit = [&](const char *name) { return childOf<QLineEdit>(dialog, name); };
    auto label = [&](const char *name) { return childOf<QLabel>(dialog, name); };
    auto *cbLive = childOf<QCheckBox>(dialog, "cbLive");
    auto *seLivePort = childOf<QSpinBox>(dialog, "seLivePort");
    auto *OKBtn = childOf<QPushButton>(dialog, "OKBtn");
    const QString folder = u"https://verein.example/live/"_qs;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_FALSE(cbLive->isChecked()); // off at the first start
        EXPECT_EQ(label("lLiveAddresses")->text(), u"aus"_qs);
        QTest::mouseClick(cbLive, Qt::LeftButton);
        seLivePort->selectAll();
        QTest::keyClicks(seLivePort, u"8081"_qs);
        EXPECT_EQ(label("lLiveAddresses")->text(), u"http://192.168.5.7:8081/\nhttp://10.1.2.3:8081/"_qs);
        EXPECT_FALSE(label("lLiveQr")->pixmap().isNull());

        QTest::keyClicks(edit("eUpload"), u"ftp://verein.example/"_qs);
        EXPECT_FALSE(OKBtn->isEnabled()); // only what an upload can use
        edit("eUpload")->clear();
        QTest::keyClicks(edit("eUpload"), folder);
        QTest::keyClicks(edit("eUser"), u"verein"_qs);
        QTest::keyClicks(edit("ePassword"), u"geheim"_qs);
        ASSERT_TRUE(OKBtn->isEnabled());
        QTest::mouseClick(OKBtn, Qt::LeftButton);
    });
    ASSERT_EQ(dialog.execute(), 1);
    EXPECT_EQ(std::tuple(settings.LivePort, settings.LiveUpload, settings.LiveUser),
              std::tuple(8081, folder, u"verein"_qs));
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
        EXPECT_EQ(seLivePort->value(), 8081);
        EXPECT_EQ(edit("ePassword")->text(), u"geheim"_qs);
        QTest::mouseClick(cbLive, Qt::LeftButton);
        EXPECT_EQ(label("lLiveAddresses")->text(), u"aus"_qs);
        EXPECT_TRUE(label("lLiveQr")->pixmap().isNull());
        OKBtn->click();
    });
    ASSERT_EQ(dialog.execute(), 1);
    EXPECT_EQ(settings.LivePort, 0);
}
