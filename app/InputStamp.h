#pragma once

#include <QObject>

#include <optional>

// Stamps START and STOPP that a key or a mouse button asked for with the input event's own time, so a
// main thread that was busy when the operator pressed costs nothing. It watches the application's
// input events; where their time is not on the monotonic clock, or lies outside the last two seconds,
// the stamp is the time of handling.
class InputStamp : public QObject
{
public:
    explicit InputStamp(QObject *parent = nullptr);

    // The stamp for the operation the input event being handled asked for.
    quint64 take();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_pending = false;
    quint64 m_eventMs = 0;
    quint64 m_seenAt = 0;
};

// Whether the desktop's event times are on the monotonic clock: X11 and Wayland. Tests that inject
// event times say so while one of these lives (empty: the platform decides); the previous answer comes
// back after.
class EventTimesScope
{
public:
    explicit EventTimesScope(std::optional<bool> monotonic);
    ~EventTimesScope();
    Q_DISABLE_COPY_MOVE(EventTimesScope)

private:
    std::optional<bool> m_previous;
};
