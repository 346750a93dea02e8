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

// One port on a scripted device, with a clock (microseconds) the test sets and a log of the line events.
class ComPortFixture : public ::testing::Test
{
protected:
    struct Seen
    {
        quint32 event;
        quint32 status;
        quint64 stamp;
    };

    static inline std::atomic<quint64> now{1000};

    void SetUp() override
    {
        now = 1000;
        auto owned = std::make_unique<FakeComDevice>();
        fake = owned.get();
        port = std::make_unique<TComPort>(nullptr, std::move(owned));
        applyLineInputDesign(*port, 1);
        port->setPort(3);
        port->setReopenInterval(20);
        const auto record = [this](TComPort *sender) {
            seen.push_back({sender->currentEvent(), sender->modemStatus(), sender->eventStamp()});
        };
        QObject::connect(port.get(), &TComPort::OnCTS, record);
        QObject::connect(port.get(), &TComPort::OnDSR, record);
        QObject::connect(port.get(), &TComPort::OnOpen, [this] { ++opened; });
        QObject::connect(port.get(), &TComPort::OnClose, [this] { ++closed; });
    }

    void TearDown() override { port.reset(); }

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

    MicroSourceScope clock{[] { return now.load(); }}; // outlives the port's wait thread
    FakeComDevice *fake = nullptr;
    std::unique_ptr<TComPort> port;
    std::vector<Seen> seen;
    int opened = 0;
    int closed = 0;
};
