#include "comms/LineSignal.h"

#include "comms/Comms.h"

namespace {

quint32 lineEvent(int line)
{
    switch (line) {
    case 0: return EV_DSR;
    case 1: return EV_CTS;
    default: return 0;
    }
}

bool modeActs(int mode, quint32 masked)
{
    switch (mode) {
    case LineModeOn: return masked != 0;
    case LineModeOff: return masked == 0;
    case LineModeToggle: return true;
    default: return false;
    }
}

// Whether one input signals with this event: the event must be for the input's line on its port, the
// line's level must differ from the one last seen, and the contact mode must act on the new level.
bool inputSignals(int senderPort, quint32 event, quint32 status, int port, int line, int mode, quint32 &entry)
{
    if (port == 0 || port != senderPort || lineEvent(line) == 0 || lineEvent(line) != event)
        return false;
    const quint32 masked = status & LineMask[std::size_t(line)];
    if (masked == entry)
        return false;
    entry = masked;
    return modeActs(mode, masked);
}

} // namespace

LineSignals decideLineSignal(int senderPort, quint32 event, quint32 status, const LineSettings &settings,
                             LineLevels &state)
{
    LineSignals result;
    result.start = inputSignals(senderPort, event, status, settings.Port1, settings.Line1, settings.Alg1,
                                state.entry[0]);
    result.stop = inputSignals(senderPort, event, status, settings.Port2, settings.Line2, settings.Alg2,
                               state.entry[1]);
    return result;
}

void resetLineState(LineLevels &state, int port, const LineSettings &settings)
{
    if (settings.Port1 == port)
        state.entry[0] = LineStateMarker;
    if (settings.Port2 == port)
        state.entry[1] = LineStateMarker;
}

bool lineIsOn(quint32 status, int line)
{
    return (line == 0 || line == 1) && (status & LineMask[std::size_t(line)]) != 0;
}

LineAction DispatchLineSignal(LineInput input, const RaceView &race)
{
    if (race.startAvailable)
        return input == LineInput::Start && race.ledArmed ? LineAction::Start : LineAction::None;
    if (input != LineInput::Stop)
        return LineAction::None;
    if (race.lane1Running)
        return LineAction::StopLane1;
    if (race.lane2Running)
        return LineAction::StopLane2;
    return LineAction::None;
}

LineAction DispatchLineSignal(const LineSignals &inputs, const RaceView &race)
{
    if (inputs.start) {
        const LineAction action = DispatchLineSignal(LineInput::Start, race);
        if (action != LineAction::None)
            return action;
    }
    return inputs.stop ? DispatchLineSignal(LineInput::Stop, race) : LineAction::None;
}

void applyLineInputDesign(TComPort &port, int tag)
{
    port.setTag(tag);
    port.setBaudRate(br9600);
    port.setBaudRateUser(28800);
    port.setPort(0);
    port.setParity(prNone);
    port.setStopBits(sbOneStopBit);
    port.setFlowControl(fcRtsCts);
    port.setDataBits(5);
    port.setEvents(eventSet({evCTS, evDSR}));
    port.setEnableDTR(true);
    port.setWriteBufSize(64);
    port.setReadBufSize(64);
}
