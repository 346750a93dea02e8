#include "app/InputStamp.h"

#include "platform/TickCount.h"

#include <QGuiApplication>
#include <QInputEvent>

#include <utility>

namespace {

// Longer than any handler runs after its event arrived; an older event asked for nothing still pending.
constexpr quint64 HandlingWindowUs = 100000;

std::optional<bool> &eventTimesOverride()
{
    static std::optional<bool> on;
    return on;
}

bool eventTimesMonotonic()
{
    if (eventTimesOverride())
        return *eventTimesOverride();
    static const bool desktop = [] {
        const QString platform = QGuiApplication::platformName();
        return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
    }();
    return desktop;
}

} // namespace

InputStamp::InputStamp(QObject *parent)
    : QObject(parent)
{}

quint64 InputStamp::take()
{
    const quint64 now = monotonicMicros();
    const bool current = m_pending && now - m_seenAt <= HandlingWindowUs;
    m_pending = false;
    if (current && eventTimesMonotonic()) {
        if (const std::optional<quint64> stamp = stampOfEventTime(m_eventMs))
            return *stamp;
    }
    return now;
}

bool InputStamp::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_pending = true;
        m_eventMs = static_cast<QInputEvent *>(event)->timestamp();
        m_seenAt = monotonicMicros();
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

EventTimesScope::EventTimesScope(std::optional<bool> monotonic)
    : m_previous(std::exchange(eventTimesOverride(), monotonic))
{}

EventTimesScope::~EventTimesScope()
{
    eventTimesOverride() = m_previous;
}
