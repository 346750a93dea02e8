// Keyboard paths into race control: each acts, and reads the clock, at the key press.
#include "app/InputStamp.h"
#include "tests/app/FMainFixture.h"

#include <QKeyEvent>

namespace {

class FMainTimingKeys : public FMainTest
{
protected:
    template <typename T> T *child(const char *name) const
    {
        T *found = form->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QString display(int lane) const
    {
        QString text;
        for (int i = 1; i <= 5; ++i) {
            const QByteArray name = "Digit" + QByteArray::number(lane) + '_' + QByteArray::number(i);
            text += QString::number(child<TDigit>(name.constData())->Value());
            if (i == 3)
                text += u',';
        }
        return text;
    }

    bool running() const { return child<QPushButton>("bSTOP1")->isEnabled(); }

    // A key typed at eventMs, as the desktop delivers it: to the widget with the focus.
    static void keyAt(Qt::Key k, const QString &text, quint64 eventMs)
    {
        QWidget *target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        press.setTimestamp(eventMs);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
        release.setTimestamp(eventMs + 80);
        QApplication::sendEvent(QApplication::focusWidget(), &release);
    }
};

struct KeyCase
{
    const char *id;
    const char *focus; // the button the key goes to, or null for the window (a mnemonic)
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool beforeStart;    // the key starts the run instead of acting in it
    const char *display; // lane 1 after "1" (START keys) or the lane the key stopped, or null
    int lane;
};

void PrintTo(const KeyCase &c, std::ostream *os)
{
    *os << c.id;
}

class KeyAtThePress : public FMainTimingKeys, public ::testing::WithParamInterface<KeyCase>
{};

// The clock moves on by a second between the key's press and whatever Qt would click later.
TEST_P(KeyAtThePress, ActsAndReadsTheClock)
{
    const KeyCase &c = GetParam();
    loadStartList();
    auto *start = child<QPushButton>("bSTART");
    ticks = 200000;
    if (!c.beforeStart) {
        QTest::mouseClick(start, Qt::LeftButton);
        ASSERT_TRUE(running());
        ticks += 5000;
    }
    QWidget *target = c.focus ? child<QWidget>(c.focus) : form.get();
    target->setFocus();
    QTest::keyPress(target, c.key, c.modifiers);
    ticks += 1000;
    QCoreApplication::processEvents();

    if (c.beforeStart) {
        EXPECT_TRUE(running());
        QTest::keyRelease(target, c.key, c.modifiers);
        ticks = 205000;
        key(Qt::Key_1);
    }
    if (c.display) {
        EXPECT_EQ(display(c.lane), QString::fromLatin1(c.display));
    } else {
        EXPECT_FALSE(running()); // cancelled at the press
        EXPECT_TRUE(start->isEnabled());
        EXPECT_EQ(display(1), u"000,00"_qs);
    }
    if (!c.beforeStart)
        QTest::keyRelease(target, c.key, c.modifiers);
}

INSTANTIATE_TEST_SUITE_P(
    FMainTimingKeys, KeyAtThePress,
    ::testing::Values(
        KeyCase{"AltOneStopsLaneOne", nullptr, Qt::Key_1, Qt::AltModifier, false, "005,00", 1},
        KeyCase{"AltTwoStopsLaneTwo", nullptr, Qt::Key_2, Qt::AltModifier, false, "005,00", 2},
        KeyCase{"AltFCancelsTheRun", nullptr, Qt::Key_F, Qt::AltModifier, false, nullptr, 0},
        KeyCase{"SpaceOnFehlstartCancels", "bFSTART", Qt::Key_Space, Qt::NoModifier, false, nullptr, 0},
        KeyCase{"SpaceOnStoppOneStopsLaneOne", "bSTOP1", Qt::Key_Space, Qt::NoModifier, false, "005,00", 1},
        KeyCase{"SpaceOnStartStarts", "bSTART", Qt::Key_Space, Qt::NoModifier, true, "005,00", 1}),
    [](const ::testing::TestParamInfo<KeyCase> &param) { return std::string(param.param.id); });

TEST_F(FMainTimingKeys, SNeverStartsARunBeforeReset)
{
    loadStartList();
    child<QComboBox>("cbMode")->setCurrentIndex(0); // "Passprufüng"
    QTest::mouseClick(child<QPushButton>("bSTART"), Qt::LeftButton);
    ticks += 4321;
    key(Qt::Key_1); // ends the run

    key(Qt::Key_S);
    EXPECT_FALSE(running());
    EXPECT_FALSE(child<QPushButton>("bSTART")->isEnabled());
    EXPECT_FALSE(child<QAction>("mStart")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("bRESET")->isEnabled());

    key(Qt::Key_0);
    EXPECT_TRUE(child<QAction>("mStart")->isEnabled());
}

// START by Space at 200,000 s, handled at once; "1" pressed at 205,000 s and handled when the main
// thread is free again, 200 ms later. Only an event time on the monotonic clock and within the last two
// seconds counts.
TEST_F(FMainTimingKeys, AKeyIsStampedWithItsEventTimeWhenThatIsPlausible)
{
    const struct
    {
        const char *what;
        bool monotonic;
        quint64 stopEventMs;
        const char *display;
    } cases[] = {
        {"busy main thread", true, 205000, "005,00"},
        {"desktop clock not monotonic", false, 205000, "005,20"},
        {"event time ahead of the clock", true, 205250, "005,20"},
        {"event time older than two seconds", true, 203100, "005,20"},
        {"no event time", true, 0, "005,20"},
    };
    loadStartList();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const EventTimesScope eventTimes(c.monotonic);
        ticks = 200000;
        child<QWidget>("bSTART")->setFocus();
        keyAt(Qt::Key_Space, u" "_qs, 200000);
        ASSERT_TRUE(running());
        ticks = 205200;
        keyAt(Qt::Key_1, u"1"_qs, c.stopEventMs);
        EXPECT_FALSE(running());
        EXPECT_EQ(display(1), QString::fromLatin1(c.display));
        key(Qt::Key_2);
        key(Qt::Key_0);
    }
}

// The lane time is the difference of the two stamps, cut to hundredths only then: 9.9 ms is 0,00 even
// where the two readings fall into milliseconds 10 apart.
TEST_F(FMainTimingKeys, LaneTimesComeFromMicrosecondStamps)
{
    std::atomic<quint64> micros = 200000900;
    const MicroSourceScope microClock([&] { return micros.load(); });
    loadStartList();
    QTest::mouseClick(child<QPushButton>("bSTART"), Qt::LeftButton);
    micros = 200010800;
    key(Qt::Key_1);
    EXPECT_EQ(display(1), u"000,00"_qs);
    micros = 210010899; // lane 2: 10,009999 s
    key(Qt::Key_2);
    EXPECT_EQ(display(2), u"010,00"_qs);
}

} // namespace
