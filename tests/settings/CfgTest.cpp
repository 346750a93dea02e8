#include "settings/Cfg.h"
#include "controls/Dmn_led.h"
#include "tests/TestSupport.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

namespace {

// The mask the port probe leaves for the given present ports.
quint32 maskOf(std::initializer_list<int> ports)
{
    quint32 mask = 0;
    for (int n : ports)
        mask = (mask & 0xFFFF) | (1u << (n - 1)) | (quint32(n) << 16);
    return mask;
}

// Port, line and contact mode of input 1 (START) or 2 (STOPP) in the settings, to read or to set.
auto input(Settings &s, int n)
{
    return n == 1 ? std::tie(s.Port1, s.Line1, s.Alg1) : std::tie(s.Port2, s.Line2, s.Alg2);
}

// The dialog as the operator reaches it: its widgets found by their names, real clicks and keys.
class Dialog : public TCfgDialog
{
public:
    using TCfgDialog::TCfgDialog;

    QComboBox *box(const char *name) const { return childOf<QComboBox>(*this, name); }
    QString text(const char *name) const { return childOf<QLabel>(*this, name)->text(); }
    void click(const char *name) const { QTest::mouseClick(childOf<QWidget>(*this, name), Qt::LeftButton); }
    QStringList items(const char *name) const
    {
        QStringList items;
        for (int i = 0; i < box(name)->count(); ++i)
            items << box(name)->itemText(i);
        return items;
    }
    void choose(const char *name, const QString &text) const
    {
        const int index = box(name)->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        box(name)->setCurrentIndex(index);
    }
    // Opens and closes a port list as the operator's click would.
    void dropDown(const char *name) const
    {
        box(name)->showPopup();
        box(name)->hidePopup();
    }
    // A line's lamp: -1 hidden, else lit or not.
    int lamp(const char *name) const
    {
        const TLed *lamp = childOf<TLed>(*this, name);
        return lamp->isVisible() ? int(lamp->Value()) : -1;
    }
    // Opens as "Einstellungen" does and lets act work while it shows, then clicks the button leave
    // (none: act leaves). Returns the dialog's result.
    int whileOpen(const std::function<void()> &act, const char *leave = "OKBtn")
    {
        QTimer::singleShot(0, this, [&] {
            act();
            if (leave)
                click(leave);
            if (isVisible())
                reject(); // a button that did not close it fails the test instead of hanging it
        });
        return execute();
    }
};

} // namespace

TEST(TCfgDialog, PortListsFollowThePortMask)
{
    Settings settings;
    const QStringList gap = {u"Kein"_qs, u"COM1 /4,6"_qs, u"COM1 /7,8"_qs, u"COM3 /4,6"_qs, u"COM3 /7,8"_qs};
    Dialog withGap(settings, maskOf({1, 3}));
    for (const char *name : {"cbPorts", "cbPort1", "cbPort2"})
        EXPECT_EQ(withGap.items(name), gap) << name;
    EXPECT_FALSE(withGap.box("cbPorts")->isVisibleTo(&withGap));

    Dialog highest(settings, maskOf({8}));
    EXPECT_EQ(highest.items("cbPort1"), (QStringList{u"Kein"_qs, u"COM8 /4,6"_qs, u"COM8 /7,8"_qs}));

    Dialog all(settings, maskOf({1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(all.box("cbPort2")->count(), 17);

    Dialog none(settings, 0);
    EXPECT_EQ(none.items("cbPort1"), QStringList{u"Kein"_qs});
}

TEST(TCfgDialog, NoPortPresent)
{
    Settings settings;
    input(settings, 1) = std::tuple(0, 1, 2);
    Dialog dialog(settings, 0);
    auto shown = [&] {
        for (const char *name : {"cbPort1", "cbPort2", "cbAlg1", "cbAlg2"})
            EXPECT_FALSE(dialog.box(name)->isEnabled()) << name;
        EXPECT_EQ(dialog.box("cbPort1")->currentText(), u"Kein"_qs);
        dialog.dropDown("cbPort2"); // nothing to exclude without ports
        EXPECT_EQ(dialog.box("cbPort2")->count(), 1);
    };
    EXPECT_EQ(dialog.whileOpen(shown), 1);
    EXPECT_EQ(input(settings, 1), std::tuple(0, 1, 2)); // "Kein" leaves line and mode alone
    EXPECT_EQ(portPlan(settings), PortPlan());          // nothing to open: no port on either input
}

TEST(TCfgDialog, FillsFromTheStoredChoice)
{
    Settings settings;
    input(settings, 1) = std::tuple(3, 1, 2);
    input(settings, 2) = std::tuple(5, 0, 1); // COM5 is gone since it was stored
    Dialog dialog(settings, maskOf({1, 3}));
    auto shown = [&] {
        EXPECT_EQ(dialog.box("cbPort1")->currentText(), u"COM3 /7,8"_qs);
        EXPECT_TRUE(dialog.box("cbAlg1")->isEnabled());
        EXPECT_EQ(dialog.box("cbAlg1")->currentText(), u"Wechseln"_qs);
        EXPECT_EQ(dialog.box("cbPort2")->currentIndex(), 0);
        EXPECT_FALSE(dialog.box("cbAlg2")->isEnabled());
    };
    EXPECT_EQ(dialog.whileOpen(shown, "CancelBtn"), 2);

    // A mode outside 0..2 selects nothing, and OK with a port chosen stores -1, a mode that never fires.
    settings.Alg1 = 7;
    EXPECT_EQ(dialog.whileOpen([&] { EXPECT_EQ(dialog.box("cbAlg1")->currentIndex(), -1); }), 1);
    EXPECT_EQ(input(settings, 1), std::tuple(3, 1, -1));
    EXPECT_EQ(input(settings, 2), std::tuple(0, 0, 1)); // the vanished port is cleared
}

TEST(TCfgDialog, DropDownHidesTheOtherInputsChoice)
{
    Settings settings;
    Dialog dialog(settings, maskOf({1, 3}));
    dialog.show();
    dialog.choose("cbPort1", u"COM1 /4,6"_qs);
    dialog.choose("cbPort2", u"COM3 /7,8"_qs);

    dialog.dropDown("cbPort2");
    EXPECT_EQ(dialog.items("cbPort2"),
              (QStringList{u"Kein"_qs, u"COM1 /7,8"_qs, u"COM3 /4,6"_qs, u"COM3 /7,8"_qs}));
    EXPECT_EQ(dialog.box("cbPort2")->currentText(), u"COM3 /7,8"_qs);

    // Opening START's list gives back what STOPP no longer holds.
    dialog.choose("cbPort2", u"COM1 /7,8"_qs);
    dialog.dropDown("cbPort1");
    EXPECT_EQ(dialog.items("cbPort1"),
              (QStringList{u"Kein"_qs, u"COM1 /4,6"_qs, u"COM3 /4,6"_qs, u"COM3 /7,8"_qs}));
    EXPECT_EQ(dialog.box("cbPort1")->currentText(), u"COM1 /4,6"_qs);

    // The arrow keys on a closed box apply no exclusion, so both inputs can end on one port and line;
    // the next drop-down resets the box that opens to "Kein".
    QTest::keyClick(dialog.box("cbPort2"), Qt::Key_Down);
    ASSERT_EQ(dialog.box("cbPort2")->currentText(), u"COM3 /4,6"_qs);
    QTest::keyClick(dialog.box("cbPort1"), Qt::Key_Down);
    ASSERT_EQ(dialog.box("cbPort1")->currentText(), u"COM3 /4,6"_qs);
    EXPECT_TRUE(dialog.box("cbAlg1")->isEnabled());
    dialog.dropDown("cbPort1");
    EXPECT_EQ(dialog.box("cbPort1")->currentIndex(), 0);
    EXPECT_FALSE(dialog.box("cbAlg1")->isEnabled());
    dialog.close();
}

TEST(TCfgDialog, OkAppliesTheChoice)
{
    Settings settings;
    Dialog dialog(settings, maskOf({1, 3}));
    auto choice = [&] {
        dialog.choose("cbPort1", u"COM1 /4,6"_qs);
        dialog.choose("cbAlg1", u"Wechseln"_qs);
        dialog.choose("cbPort2", u"COM1 /7,8"_qs);
        dialog.choose("cbAlg2", u"Aus"_qs);
        dialog.click("rbBesterLauf");
        QTest::keyClick(dialog.box("cbAlg2"), Qt::Key_Return); // Enter presses the default button
    };
    EXPECT_EQ(dialog.whileOpen(choice, nullptr), 1);
    EXPECT_EQ(settings.Wertung, 1);
    EXPECT_EQ(input(settings, 1), std::tuple(1, 0, 2));
    EXPECT_EQ(input(settings, 2), std::tuple(1, 1, 1));
    EXPECT_EQ(portPlan(settings), (PortPlan{1, 0})); // both inputs on COM1: one component serves both lines

    auto change = [&] {
        EXPECT_EQ(dialog.box("cbPort2")->currentText(), u"COM1 /7,8"_qs); // opens on what was confirmed
        dialog.choose("cbPort2", u"COM3 /4,6"_qs);
    };
    EXPECT_EQ(dialog.whileOpen(change), 1);
    EXPECT_EQ(input(settings, 2), std::tuple(3, 0, 1));
    EXPECT_EQ(portPlan(settings), (PortPlan{1, 3}));
    settings.Port1 = 0;
    EXPECT_EQ(portPlan(settings), (PortPlan{0, 3}));
}

TEST(TCfgDialog, CancelKeepsTheConnectionAndRestoresTheLayout)
{
    Settings settings;
    input(settings, 1) = std::tuple(3, 0, 1);
    settings.CertLayout[0] = 1;
    Dialog dialog(settings, maskOf({1, 3}));
    const Settings before = settings; // with the defaults the dialog's creation gave the layout

    auto editAndLeave = [&](const char *button, const std::function<void()> &leave = {}) {
        auto edit = [&] {
            dialog.choose("cbPort1", u"COM1 /7,8"_qs);
            dialog.choose("cbAlg1", u"Ein"_qs);
            dialog.click("rbBesterLauf");
            settings.CertLayout[0] = 0; // the layout editor works on the settings in memory
            settings.CertLayout[CertLayoutSize - 1] = 9;
            if (leave)
                leave();
        };
        return dialog.whileOpen(edit, button);
    };
    EXPECT_EQ(editAndLeave("CancelBtn"), 2);
    EXPECT_EQ(editAndLeave(nullptr, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); }), 2);
    EXPECT_EQ(editAndLeave(nullptr, [&] { dialog.close(); }), 2);
    EXPECT_EQ(input(settings, 1), std::tuple(3, 0, 1));
    EXPECT_EQ(settings.Wertung, 0);
    EXPECT_EQ(settings.CertLayout, before.CertLayout);

    // OK keeps the layout edits.
    EXPECT_EQ(editAndLeave("OKBtn"), 1);
    EXPECT_EQ(settings.CertLayout[CertLayoutSize - 1], 9);
    EXPECT_EQ(input(settings, 1), std::tuple(1, 1, 0));
}

TEST(TCfgDialog, ShowsTheDeviceAndTheLiveLineOfEachInput)
{
    Settings settings;
    settings.Port1 = 1;
    input(settings, 2) = std::tuple(7, 1, 0);
    Dialog dialog(settings, maskOf({1, 3, 7}));
    dialog.setPortDevice([](int port, int line) {
        const QString path = port == 1   ? u"/dev/ttyS0"_qs
                             : port == 3 ? u"/dev/ttyUSB0"_qs
                                         : u"/dev/ttyACM0"_qs;
        return port == 7 && line == 1 ? path + u" (kein CTS)"_qs : path;
    });
    auto lamps = [&] { return std::pair(dialog.lamp("LineLed1"), dialog.lamp("LineLed2")); };
    dialog.whileOpen([&] {
        EXPECT_EQ(dialog.text("lDevice1"), u"/dev/ttyS0"_qs);
        EXPECT_EQ(dialog.text("lDevice2"), u"/dev/ttyACM0 (kein CTS)"_qs);
        dialog.choose("cbPort1", u"COM3 /7,8"_qs);
        EXPECT_EQ(dialog.text("lDevice1"), u"/dev/ttyUSB0"_qs);
        dialog.choose("cbPort1", u"Kein"_qs);
        EXPECT_EQ(dialog.text("lDevice1"), QString());

        // COM1 open with DSR on and CTS off; COM3 not open.
        dialog.choose("cbPort1", u"COM1 /4,6"_qs);
        dialog.choose("cbPort2", u"COM1 /7,8"_qs);
        EXPECT_EQ(lamps(), std::pair(-1, -1));
        dialog.setPortStatus(1, 0x20);
        EXPECT_EQ(lamps(), std::pair(1, 0));
        dialog.setPortStatus(1, 0x10);
        EXPECT_EQ(lamps(), std::pair(0, 1));
        dialog.choose("cbPort1", u"COM3 /4,6"_qs);
        EXPECT_EQ(lamps(), std::pair(-1, 1));
        dialog.setPortStatus(1, std::nullopt);
        EXPECT_EQ(lamps(), std::pair(-1, -1));
    });
}

TEST(TCfgDialog, PortItemTexts)
{
    int port = 0;
    int line = 0;
    EXPECT_EQ(portItemText(3, 1), u"COM3 /7,8"_qs);
    EXPECT_EQ(portItemText(3, 4), u"COM3 /4,6"_qs); // an unknown line counts as DSR
    ASSERT_TRUE(parsePortItem(u"COM12 /7,8"_qs, port, line));
    EXPECT_EQ(std::pair(port, line), std::pair(12, 1));
    EXPECT_FALSE(parsePortItem(u"Kein"_qs, port, line));
}
