#include "settings/Cfg.h"
#include "controls/Dmn_led.h"
#include "tests/TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The mask the port probe leaves for the given present ports.
quint32 maskOf(std::initializer_list<int> ports)
{
    quint32 mask = 0;
    for (int n : ports)
        mask = (mask & 0xFFFF) | (1u << (n - 1)) | (quint32(n) << 16);
    return mask;
}

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

void choose(QComboBox *box, const QString &text)
{
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    box->setCurrentIndex(index);
}

// Opens and closes a port list as the operator's click would.
void dropDown(QComboBox *box)
{
    box->showPopup();
    box->hidePopup();
}

} // namespace

TEST(TCfgDialog, PortListsFollowThePortMask)
{
    Settings settings;
    const QStringList gap = {u"Kein"_qs, u"COM1 /4,6"_qs, u"COM1 /7,8"_qs, u"COM3 /4,6"_qs, u"COM3 /7,8"_qs};
    TCfgDialog withGap(settings, maskOf({1, 3}));
    EXPECT_EQ(itemsOf(withGap.cbPorts), gap);
    EXPECT_EQ(itemsOf(withGap.cbPort1), gap);
    EXPECT_EQ(itemsOf(withGap.cbPort2), gap);
    EXPECT_FALSE(withGap.cbPorts->isVisibleTo(&withGap));

    TCfgDialog highest(settings, maskOf({8}));
    EXPECT_EQ(itemsOf(highest.cbPort1), (QStringList{u"Kein"_qs, u"COM8 /4,6"_qs, u"COM8 /7,8"_qs}));

    TCfgDialog all(settings, maskOf({1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(all.cbPort2->count(), 17);

    TCfgDialog none(settings, 0);
    EXPECT_EQ(itemsOf(none.cbPort1), QStringList{u"Kein"_qs});
}

TEST(TCfgDialog, NoPortPresent)
{
    Settings settings;
    settings.Line1 = 1;
    settings.Alg1 = 2;
    TCfgDialog dialog(settings, 0);
    bool checked = false;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_FALSE(dialog.cbPort1->isEnabled());
        EXPECT_FALSE(dialog.cbPort2->isEnabled());
        EXPECT_EQ(dialog.cbPort1->currentText(), u"Kein"_qs);
        EXPECT_FALSE(dialog.cbAlg1->isEnabled());
        EXPECT_FALSE(dialog.cbAlg2->isEnabled());
        dropDown(dialog.cbPort2); // nothing to exclude without ports
        EXPECT_EQ(dialog.cbPort2->count(), 1);
        checked = true;
        dialog.OKBtn->click();
    });
    EXPECT_EQ(dialog.execute(), 1);
    EXPECT_TRUE(checked);
    EXPECT_EQ(settings.Port1, 0);
    EXPECT_EQ(settings.Port2, 0);
    EXPECT_EQ(settings.Line1, 1); // "Kein" leaves line and mode alone
    EXPECT_EQ(settings.Alg1, 2);
    EXPECT_EQ(portPlan(settings).ComPort1, 0);
    EXPECT_EQ(portPlan(settings).ComPort2, 0);
}

TEST(TCfgDialog, FillsFromTheStoredChoice)
{
    Settings settings;
    settings.Port1 = 3;
    settings.Line1 = 1;
    settings.Alg1 = 2;
    settings.Port2 = 5; // gone since it was stored
    settings.Line2 = 0;
    settings.Alg2 = 1;
    TCfgDialog dialog(settings, maskOf({1, 3}));
    dialog.fillFromSettings();
    EXPECT_EQ(dialog.cbPort1->currentText(), u"COM3 /7,8"_qs);
    EXPECT_TRUE(dialog.cbAlg1->isEnabled());
    EXPECT_EQ(dialog.cbAlg1->currentText(), u"Wechseln"_qs);
    EXPECT_EQ(dialog.cbPort2->currentIndex(), 0);
    EXPECT_FALSE(dialog.cbAlg2->isEnabled());

    // A mode outside 0..2 selects nothing, and OK with a port chosen stores -1, a mode that never fires.
    settings.Alg1 = 7;
    dialog.fillFromSettings();
    EXPECT_EQ(dialog.cbAlg1->currentIndex(), -1);
    dialog.applyConnection();
    EXPECT_EQ(settings.Port1, 3);
    EXPECT_EQ(settings.Line1, 1);
    EXPECT_EQ(settings.Alg1, -1);
    EXPECT_EQ(settings.Port2, 0); // the vanished port is cleared
    EXPECT_EQ(settings.Alg2, 1);
}

TEST(TCfgDialog, DropDownHidesTheOtherInputsChoice)
{
    Settings settings;
    TCfgDialog dialog(settings, maskOf({1, 3}));
    dialog.fillFromSettings();
    dialog.show();
    choose(dialog.cbPort1, u"COM1 /4,6"_qs);
    choose(dialog.cbPort2, u"COM3 /7,8"_qs);

    dropDown(dialog.cbPort2);
    EXPECT_EQ(itemsOf(dialog.cbPort2),
              (QStringList{u"Kein"_qs, u"COM1 /7,8"_qs, u"COM3 /4,6"_qs, u"COM3 /7,8"_qs}));
    EXPECT_EQ(dialog.cbPort2->currentText(), u"COM3 /7,8"_qs);

    // Opening START's list gives back what STOPP no longer holds.
    choose(dialog.cbPort2, u"COM1 /7,8"_qs);
    dropDown(dialog.cbPort1);
    EXPECT_EQ(itemsOf(dialog.cbPort1),
              (QStringList{u"Kein"_qs, u"COM1 /4,6"_qs, u"COM3 /4,6"_qs, u"COM3 /7,8"_qs}));
    EXPECT_EQ(dialog.cbPort1->currentText(), u"COM1 /4,6"_qs);

    // The arrow keys on a closed box apply no exclusion, so both inputs can end on one port and line;
    // the next drop-down resets the box that opens to "Kein".
    QTest::keyClick(dialog.cbPort2, Qt::Key_Down);
    ASSERT_EQ(dialog.cbPort2->currentText(), u"COM3 /4,6"_qs);
    QTest::keyClick(dialog.cbPort1, Qt::Key_Down);
    ASSERT_EQ(dialog.cbPort1->currentText(), u"COM3 /4,6"_qs);
    EXPECT_TRUE(dialog.cbAlg1->isEnabled());
    dropDown(dialog.cbPort1);
    EXPECT_EQ(dialog.cbPort1->currentIndex(), 0);
    EXPECT_FALSE(dialog.cbAlg1->isEnabled());
    dialog.close();
}

TEST(TCfgDialog, OkAppliesTheChoice)
{
    Settings settings;
    TCfgDialog dialog(settings, maskOf({1, 3}));
    QTimer::singleShot(0, &dialog, [&] {
        choose(dialog.cbPort1, u"COM1 /4,6"_qs);
        choose(dialog.cbAlg1, u"Wechseln"_qs);
        choose(dialog.cbPort2, u"COM1 /7,8"_qs);
        choose(dialog.cbAlg2, u"Aus"_qs);
        QTest::mouseClick(dialog.rbBesterLauf, Qt::LeftButton);
        QTest::keyClick(dialog.cbAlg2, Qt::Key_Return); // Enter presses the default button
    });
    EXPECT_EQ(dialog.execute(), 1);
    EXPECT_EQ(settings.Wertung, 1);
    EXPECT_EQ(settings.Port1, 1);
    EXPECT_EQ(settings.Line1, 0);
    EXPECT_EQ(settings.Alg1, 2);
    EXPECT_EQ(settings.Port2, 1);
    EXPECT_EQ(settings.Line2, 1);
    EXPECT_EQ(settings.Alg2, 1);
    // Both inputs on COM1: one component serves both lines.
    EXPECT_EQ(portPlan(settings).ComPort1, 1);
    EXPECT_EQ(portPlan(settings).ComPort2, 0);

    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(dialog.cbPort2->currentText(), u"COM1 /7,8"_qs); // opens on what was confirmed
        choose(dialog.cbPort2, u"COM3 /4,6"_qs);
        dialog.OKBtn->click();
    });
    EXPECT_EQ(dialog.execute(), 1);
    EXPECT_EQ(settings.Port2, 3);
    EXPECT_EQ(settings.Line2, 0);
    EXPECT_EQ(portPlan(settings).ComPort1, 1);
    EXPECT_EQ(portPlan(settings).ComPort2, 3);

    settings.Port1 = 0;
    EXPECT_EQ(portPlan(settings).ComPort2, 3);
}

TEST(TCfgDialog, CancelKeepsTheConnectionAndRestoresTheLayout)
{
    Settings settings;
    settings.Port1 = 3;
    settings.Line1 = 0;
    settings.Alg1 = 1;
    settings.CertLayout[0] = 1;
    TCfgDialog dialog(settings, maskOf({1, 3}));
    const Settings before = settings; // with the defaults the dialog's creation gave the layout

    auto editAndLeave = [&](auto leave) {
        QTimer::singleShot(0, &dialog, [&, leave] {
            choose(dialog.cbPort1, u"COM1 /7,8"_qs);
            choose(dialog.cbAlg1, u"Ein"_qs);
            QTest::mouseClick(dialog.rbBesterLauf, Qt::LeftButton);
            settings.CertLayout[0] = 0; // the layout editor works on the settings in memory
            settings.CertLayout[CertLayoutSize - 1] = 9;
            leave();
        });
        return dialog.execute();
    };
    EXPECT_EQ(editAndLeave([&] { dialog.CancelBtn->click(); }), 2);
    EXPECT_EQ(editAndLeave([&] { QTest::keyClick(&dialog, Qt::Key_Escape); }), 2);
    EXPECT_EQ(editAndLeave([&] { dialog.close(); }), 2);
    EXPECT_EQ(settings.Port1, 3);
    EXPECT_EQ(settings.Line1, 0);
    EXPECT_EQ(settings.Alg1, 1);
    EXPECT_EQ(settings.Wertung, 0);
    EXPECT_EQ(settings.CertLayout, before.CertLayout);

    // OK keeps the layout edits.
    EXPECT_EQ(editAndLeave([&] { dialog.OKBtn->click(); }), 1);
    EXPECT_EQ(settings.CertLayout[CertLayoutSize - 1], 9);
    EXPECT_EQ(settings.Line1, 1);
    EXPECT_EQ(settings.Alg1, 0);
}

TEST(TCfgDialog, ShowsTheDeviceAndTheLiveLineOfEachInput)
{
    Settings settings;
    settings.Port1 = 1;
    settings.Port2 = 7;
    settings.Line2 = 1;
    TCfgDialog dialog(settings, maskOf({1, 3, 7}));
    dialog.PortDevice = [](int port, int line) {
        const QString path = port == 1   ? u"/dev/ttyS0"_qs
                             : port == 3 ? u"/dev/ttyUSB0"_qs
                                         : u"/dev/ttyACM0"_qs;
        return port == 7 && line == 1 ? path + u" (kein CTS)"_qs : path;
    };
    dialog.fillFromSettings();
    dialog.show();
    EXPECT_EQ(dialog.lDevice1->text(), u"/dev/ttyS0"_qs);
    EXPECT_EQ(dialog.lDevice2->text(), u"/dev/ttyACM0 (kein CTS)"_qs);
    choose(dialog.cbPort1, u"COM3 /7,8"_qs);
    EXPECT_EQ(dialog.lDevice1->text(), u"/dev/ttyUSB0"_qs);
    choose(dialog.cbPort1, u"Kein"_qs);
    EXPECT_EQ(dialog.lDevice1->text(), QString());

    // COM1 open with DSR on and CTS off; COM3 not open.
    choose(dialog.cbPort1, u"COM1 /4,6"_qs);
    choose(dialog.cbPort2, u"COM1 /7,8"_qs);
    EXPECT_FALSE(dialog.LineLed1->isVisible());
    dialog.setPortStatus(1, 0x20);
    EXPECT_TRUE(dialog.LineLed1->isVisible());
    EXPECT_TRUE(dialog.LineLed1->Value());
    EXPECT_TRUE(dialog.LineLed2->isVisible());
    EXPECT_FALSE(dialog.LineLed2->Value());
    dialog.setPortStatus(1, 0x10);
    EXPECT_FALSE(dialog.LineLed1->Value());
    EXPECT_TRUE(dialog.LineLed2->Value());
    choose(dialog.cbPort1, u"COM3 /4,6"_qs);
    EXPECT_FALSE(dialog.LineLed1->isVisible());
    dialog.setPortStatus(1, std::nullopt);
    EXPECT_FALSE(dialog.LineLed2->isVisible());
    dialog.close();
}

TEST(TCfgDialog, PortItemTexts)
{
    int port = 0;
    int line = 0;
    EXPECT_EQ(portItemText(3, 1), u"COM3 /7,8"_qs);
    EXPECT_EQ(portItemText(3, 4), u"COM3 /4,6"_qs); // an unknown line counts as DSR
    ASSERT_TRUE(parsePortItem(u"COM12 /7,8"_qs, port, line));
    EXPECT_EQ(port, 12);
    EXPECT_EQ(line, 1);
    EXPECT_FALSE(parsePortItem(u"Kein"_qs, port, line));
}
