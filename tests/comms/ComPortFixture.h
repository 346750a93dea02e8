#pragma once

#include "comms/Comms.h"
#include "comms/LineSignal.h"
#include "platform/TickCount.h"
#include "tests/support/FakeComDevice.h"

#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

// One port on a scripted device, with a tick counter the test sets and a log of the line events.
class ComPortFixture : public ::testing::Test
{
protected:
    struct Seen
    {
        quint32 event;
        quint32 status;
        quint32 tick;
    };

    static inline std::atomic<quint32> now{1000};

    void SetUp() override
    {
        now = 1000;
        m_savedTicks = setTickSource([] { return now.load(); });
        auto owned = std::make_unique<FakeComDevice>();
        fake = owned.get();
        port = std::make_unique<TComPort>(nullptr, std::move(owned));
        applyLineInputDesign(*port, 1);
        port->setPort(3);
        port->setReopenInterval(20);
        const TComPort::TNotifyEvent record = [this](TComPort *sender) {
            seen.push_back({sender->CurrentEvent(), sender->ModemStatus(), sender->EventTick()});
        };
        port->OnCTS = record;
        port->OnDSR = record;
        port->OnOpen = [this](TComPort *) { ++opened; };
        port->OnClose = [this](TComPort *) { ++closed; };
    }

    void TearDown() override
    {
        port.reset();
        setTickSource(m_savedTicks);
    }

    // Opens and returns once the wait thread sleeps in its wait.
    void openAndWait()
    {
        port->Open();
        ASSERT_TRUE(fake->waitUntilWaiting(2000));
    }

    bool waitSeen(std::size_t count)
    {
        return QTest::qWaitFor([&] { return seen.size() >= count; }, 2000);
    }

    FakeComDevice *fake = nullptr;
    std::unique_ptr<TComPort> port;
    std::vector<Seen> seen;
    int opened = 0;
    int closed = 0;

private:
    TickSource m_savedTicks;
};
