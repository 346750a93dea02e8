// The START/STOPP decision from line events, and its effect on a run.
#include "tests/comms/ComPortFixture.h"

#include <sys/ioctl.h>

namespace {

constexpr quint32 DSR = MS_DSR_ON;
constexpr quint32 CTS = MS_CTS_ON;

// Race control as far as the line signals see it.
struct Race
{
    RaceView view{true, false, false, false};
    std::vector<LineAction> actions;

    void apply(LineAction action)
    {
        actions.push_back(action);
        switch (action) {
        case LineAction::None: break;
        case LineAction::Start: view = {false, false, true, true}; break;
        case LineAction::StopLane1: view.lane1Running = false; break;
        case LineAction::StopLane2: view.lane2Running = false; break;
        }
    }
};

class LineSignalTest : public ::testing::Test
{
protected:
    LineAction signal(int port, quint32 event, quint32 status)
    {
        const LineAction action =
            DispatchLineSignal(decideLineSignal(port, event, status, settings, state), race.view);
        race.apply(action);
        return action;
    }

    // START on COM1 /4,6 and STOPP on COM2 /7,8, both "Ein".
    LineSettings settings{1, 2, 0, 1, LineModeOn, LineModeOn};
    LineLevels state;
    Race race;
};

TEST_F(LineSignalTest, StartContactStartsOnceWhileArmed)
{
    race.view.ledArmed = true;
    EXPECT_EQ(signal(1, EV_DSR, DSR), LineAction::Start);
    // Held closed: another event with the line still on, and an event of the other line.
    EXPECT_EQ(signal(1, EV_DSR, DSR), LineAction::None);
    EXPECT_EQ(signal(1, EV_CTS, DSR | CTS), LineAction::None);
    // Opening and closing again during the run.
    EXPECT_EQ(signal(1, EV_DSR, 0), LineAction::None);
    EXPECT_EQ(signal(1, EV_DSR, DSR), LineAction::None);
    EXPECT_TRUE(race.view.lane1Running);
    EXPECT_TRUE(race.view.lane2Running);
}

TEST_F(LineSignalTest, RedLedIgnoresStartAndAHeldContactNeedsANewClosing)
{
    EXPECT_EQ(signal(1, EV_DSR, DSR), LineAction::None);
    EXPECT_TRUE(race.view.startAvailable);
    race.view.ledArmed = true;
    EXPECT_EQ(signal(1, EV_DSR, DSR), LineAction::None);
    EXPECT_EQ(signal(1, EV_DSR, 0), LineAction::None);
    EXPECT_EQ(signal(1, EV_DSR, DSR), LineAction::Start);
}

TEST_F(LineSignalTest, StopContactStopsLaneOneThenLaneTwoThenNothing)
{
    // Before the run STOPP is ignored.
    EXPECT_EQ(signal(2, EV_CTS, CTS), LineAction::None);
    EXPECT_EQ(signal(2, EV_CTS, 0), LineAction::None);
    race.apply(LineAction::Start); // the START button
    EXPECT_EQ(signal(2, EV_CTS, CTS), LineAction::StopLane1);
    EXPECT_EQ(signal(2, EV_CTS, CTS), LineAction::None);
    EXPECT_EQ(signal(2, EV_CTS, 0), LineAction::None);
    EXPECT_EQ(signal(2, EV_CTS, CTS), LineAction::StopLane2);
    EXPECT_EQ(signal(2, EV_CTS, 0), LineAction::None);
    EXPECT_EQ(signal(2, EV_CTS, CTS), LineAction::None);
    // Lane 2 stopped first by its key: the next STOPP signal still finds lane 1.
    race = Race();
    race.apply(LineAction::Start);
    race.view.lane2Running = false;
    EXPECT_EQ(signal(2, EV_CTS, 0), LineAction::None);
    EXPECT_EQ(signal(2, EV_CTS, CTS), LineAction::StopLane1);
}

TEST_F(LineSignalTest, BothInputsOnOnePortKeepStoppWhileStartIsHeld)
{
    settings = {1, 1, 0, 1, LineModeOn, LineModeOn};
    race.view.ledArmed = true;
    EXPECT_EQ(signal(1, EV_DSR, DSR), LineAction::Start);
    // The START contact is still closed when the STOPP contact closes.
    EXPECT_EQ(signal(1, EV_CTS, DSR | CTS), LineAction::StopLane1);
    EXPECT_EQ(signal(1, EV_DSR, CTS), LineAction::None);
    EXPECT_EQ(signal(1, EV_CTS, 0), LineAction::None);
    EXPECT_EQ(signal(1, EV_CTS, CTS), LineAction::StopLane2);
}

TEST_F(LineSignalTest, OneContactForStartAndStopp)
{
    settings = {1, 1, 0, 0, LineModeOn, LineModeOn};
    // Not armed: START ignored, and STOPP has no run to stop.
    EXPECT_EQ(signal(1, EV_DSR, DSR), LineAction::None);
    EXPECT_EQ(signal(1, EV_DSR, 0), LineAction::None);
    race.view.ledArmed = true;
    EXPECT_EQ(signal(1, EV_DSR, DSR), LineAction::Start);
    EXPECT_EQ(signal(1, EV_DSR, 0), LineAction::None);
    EXPECT_EQ(signal(1, EV_DSR, DSR), LineAction::StopLane1);
    EXPECT_EQ(signal(1, EV_DSR, 0), LineAction::None);
    EXPECT_EQ(signal(1, EV_DSR, DSR), LineAction::StopLane2);
}

TEST_F(LineSignalTest, ContactModes)
{
    const quint32 edges[] = {DSR, 0, DSR, 0};
    struct Case
    {
        int mode;
        std::array<bool, 4> acts;
    };
    const Case cases[] = {{LineModeOn, {true, false, true, false}},
                          {LineModeOff, {false, true, false, true}},
                          {LineModeToggle, {true, true, true, true}},
                          {3, {false, false, false, false}}};
    for (const Case &c : cases) {
        settings.Alg1 = c.mode;
        state.reset();
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(decideLineSignal(1, EV_DSR, edges[i], settings, state).start, c.acts[i])
                << "mode " << c.mode << " edge " << i;
    }
}

TEST_F(LineSignalTest, PortOpensWithALineAlreadyOn)
{
    settings = {1, 1, 0, 1, LineModeOn, LineModeOn};
    race.view.ledArmed = true;
    // The START contact is closed when the port opens; the STOPP line changing does not start.
    EXPECT_EQ(signal(1, EV_CTS, DSR | CTS), LineAction::None);
    EXPECT_EQ(signal(1, EV_DSR, CTS), LineAction::None);
    EXPECT_EQ(signal(1, EV_DSR, CTS | DSR), LineAction::Start);

    // "Aus" on a contact that is closed at open acts on its first opening.
    settings.Alg1 = LineModeOff;
    state.reset();
    race = Race();
    race.view.ledArmed = true;
    EXPECT_EQ(signal(1, EV_DSR, 0), LineAction::Start);
}

TEST_F(LineSignalTest, ResetForgetsOnlyTheInputsOfTheOpenedPort)
{
    decideLineSignal(1, EV_DSR, DSR, settings, state);
    decideLineSignal(2, EV_CTS, CTS, settings, state);
    resetLineState(state, 2, settings);
    EXPECT_EQ(state.entry[0], DSR);
    EXPECT_EQ(state.entry[1], LineStateMarker);
    state.reset();
    EXPECT_EQ(state, LineLevels());
}

TEST_F(LineSignalTest, OtherPortsAndUnsetPortsNeverSignal)
{
    race.view.ledArmed = true;
    EXPECT_FALSE(decideLineSignal(3, EV_DSR, DSR, settings, state).any());
    EXPECT_FALSE(decideLineSignal(1, EV_CTS, CTS, settings, state).any()); // START is on DSR
    settings.Port1 = 0;
    EXPECT_FALSE(decideLineSignal(0, EV_DSR, DSR, settings, state).any());
    settings.Port1 = 1;
    settings.Line1 = 2;
    EXPECT_FALSE(decideLineSignal(1, EV_DSR, DSR, settings, state).any());
}

TEST(LineDispatch, StateTable)
{
    const RaceView idleArmed{true, true, false, false};
    const RaceView idleRed{true, false, false, false};
    const RaceView finished{false, false, false, false};
    const RaceView lane2Only{false, true, false, true};
    EXPECT_EQ(DispatchLineSignal(LineInput::Start, idleArmed), LineAction::Start);
    EXPECT_EQ(DispatchLineSignal(LineInput::Start, idleRed), LineAction::None);
    EXPECT_EQ(DispatchLineSignal(LineInput::Stop, idleArmed), LineAction::None);
    EXPECT_EQ(DispatchLineSignal(LineInput::Start, lane2Only), LineAction::None);
    EXPECT_EQ(DispatchLineSignal(LineInput::Stop, lane2Only), LineAction::StopLane2);
    EXPECT_EQ(DispatchLineSignal(LineInput::Stop, finished), LineAction::None);
    EXPECT_EQ(DispatchLineSignal(LineSignals{true, true}, idleRed), LineAction::None);
    EXPECT_EQ(DispatchLineSignal(LineSignals{true, true}, finished), LineAction::None);
}

TEST(LineLamp, LineIsOn)
{
    EXPECT_TRUE(lineIsOn(DSR, 0));
    EXPECT_FALSE(lineIsOn(DSR, 1));
    EXPECT_TRUE(lineIsOn(CTS | MS_RING_ON, 1));
    EXPECT_FALSE(lineIsOn(0xFF, 2));
}

// From the device through the wait thread and the decision to the run, with the stamps of the edges.
class LineSignalEndToEnd : public ComPortFixture
{
protected:
    void SetUp() override
    {
        ComPortFixture::SetUp();
        port->setPort(1);
        settings = {1, 1, 0, 1, LineModeOn, LineModeOn};
        const auto comPort1DSR = [this](TComPort *sender) {
            const LineSignals inputs = decideLineSignal(sender->Port(), sender->currentEvent(),
                                                        sender->modemStatus(), settings, state);
            const LineAction action = DispatchLineSignal(inputs, race.view);
            if (action != LineAction::None)
                stamps.push_back(sender->eventStamp());
            race.apply(action);
        };
        QObject::disconnect(port.get(), nullptr, nullptr, nullptr); // the fixture's log is not needed
        QObject::connect(port.get(), &TComPort::OnCTS, comPort1DSR);
        QObject::connect(port.get(), &TComPort::OnDSR, comPort1DSR);
        QObject::connect(port.get(), &TComPort::OnOpen,
                         [this](TComPort *sender) { resetLineState(state, sender->Port(), settings); });
    }

    void edge(quint64 tick, int lines)
    {
        now = tick;
        fake->setLines(lines);
        ASSERT_TRUE(fake->waitForChangeRead(2000));
        // The main thread gets to the event a while later.
        now = tick + 250;
        QTest::qWait(5);
    }

    LineSettings settings;
    LineLevels state;
    Race race;
    std::vector<quint64> stamps;
};

TEST_F(LineSignalEndToEnd, LaneTimesComeFromTheEdges)
{
    fake->setLines(TIOCM_CTS); // STOPP contact closed before the port opens
    openAndWait();
    race.view.ledArmed = true;
    edge(500, TIOCM_CTS | TIOCM_DSR); // START
    edge(600, TIOCM_DSR);             // STOPP contact opens
    edge(800, TIOCM_DSR | TIOCM_CTS); // first STOPP while START is still held
    edge(900, TIOCM_DSR);
    edge(1234, TIOCM_DSR | TIOCM_CTS); // second STOPP
    ASSERT_TRUE(QTest::qWaitFor([&] { return stamps.size() == 3; }, 2000));
    EXPECT_EQ(stamps, (std::vector<quint64>{500, 800, 1234}));
    const std::vector<LineAction> taken = [&] {
        std::vector<LineAction> v;
        for (LineAction a : race.actions)
            if (a != LineAction::None)
                v.push_back(a);
        return v;
    }();
    EXPECT_EQ(taken,
              (std::vector<LineAction>{LineAction::Start, LineAction::StopLane1, LineAction::StopLane2}));
}

} // namespace
