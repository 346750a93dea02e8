#pragma once

#include <QtGlobal>

#include <array>

class TComPort;

// The two inputs a contact can drive.
enum class LineInput {
    Start = 0,
    Stop = 1
};

// Contact modes: act when the line goes on, when it goes off, or on both.
enum {
    LineModeOn = 0,
    LineModeOff = 1,
    LineModeToggle = 2
};

// LineState holds, per input, the masked status last seen on its line, or the marker, which equals no
// masked status, so the next change of the line counts.
constexpr quint32 LineStateMarker = 0x55555555u;
struct LineLevels
{
    std::array<quint32, 2> entry = {LineStateMarker, LineStateMarker};
    void reset() { entry = {LineStateMarker, LineStateMarker}; }
    bool operator==(const LineLevels &) const = default;
};

// The settings the decision reads: port numbers (0 = none), lines (0 DSR, 1 CTS; see LineMask) and
// contact modes.
struct LineSettings
{
    int Port1 = 0, Port2 = 0;
    int Line1 = 0, Line2 = 0;
    int Alg1 = 0, Alg2 = 0;
};

// The inputs one line event signals.
struct LineSignals
{
    bool start = false;
    bool stop = false;
    bool any() const { return start || stop; }
    bool operator==(const LineSignals &) const = default;
};

// The decision of ComPort1DSR for one event (EV_CTS or EV_DSR) of the port numbered senderPort with
// the modem-status word read with it. An input counts when it is on this port and the event is for
// its line; it signals when its masked status changed and its contact mode acts on the new level.
LineSignals decideLineSignal(int senderPort, quint32 event, quint32 status, const LineSettings &settings,
                             LineLevels &state);

// Forgets the level of the inputs served by this port, after it (re)opened.
void resetLineState(LineLevels &state, int port, const LineSettings &settings);

// Whether the line (0 DSR, 1 CTS) is on in a modem-status word: for the lamp of the settings dialog.
bool lineIsOn(quint32 status, int line);

// What race control shows when a line signal arrives.
struct RaceView
{
    bool startAvailable = false; // bSTART enabled
    bool ledArmed = false;       // Led1 green
    bool lane1Running = false;   // bSTOP1 enabled
    bool lane2Running = false;   // bSTOP2 enabled
};

enum class LineAction {
    None,
    Start,
    StopLane1,
    StopLane2
};

// DispatchLineSignal: START only while START is available and the light barrier is armed; STOPP only
// during a run, the first stopping lane 1 and the next lane 2.
LineAction DispatchLineSignal(LineInput input, const RaceView &race);
// Both inputs of one event (a contact wired to START and STOPP): START first, STOPP when START does
// nothing, never both.
LineAction DispatchLineSignal(const LineSignals &inputs, const RaceView &race);

// The main window's ports: 9600 baud, 5 data bits, no parity, one stop bit, RTS/CTS in the design (the
// kernel does none), CTS and DSR events, DTR on, 64-byte queues, port 0.
void applyLineInputDesign(TComPort &port, int tag);
