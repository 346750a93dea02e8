// Keyboard paths into race control: each acts, and reads the clock, at the key press.
#include "tests/app/FMainFixture.h"

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
    ticks += 1000;
    key(Qt::Key_2); // the hidden lane 2 enters its time
    ASSERT_EQ(display(2), u"005,32"_qs);

    key(Qt::Key_S);
    EXPECT_FALSE(running());
    EXPECT_FALSE(child<QPushButton>("bSTART")->isEnabled());
    EXPECT_FALSE(child<QAction>("mStart")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("bRESET")->isEnabled());

    key(Qt::Key_0);
    EXPECT_TRUE(child<QAction>("mStart")->isEnabled());
}

} // namespace
