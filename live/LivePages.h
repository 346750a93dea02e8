#pragma once

#include "protocol/ProtocolFiles.h"
#include "protocol/RaceState.h"
#include "protocol/ResultsModel.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What the live pages show, copied from the results and the run at one moment: plain data, so the
// server's thread and the upload read it while the main thread goes on timing.
namespace Live {

struct Lane
{
    enum class Run {
        Ready,   // no run open: the rider waits for START
        Running, // the time runs
        Stopped, // the lane took a time
        NoTime,  // the run ended without a time for this lane (false start, lane given up)
    };
    int lane = 1; // 1 or 2, as the operator counts them
    int number = -1;
    QString rider;
    QString horse;
    Run run = Run::Ready;
    qint64 ms = -1; // the stopped lane's time
};

struct Row
{
    QString number;
    QString rider;
    QString horse;
    QString time;  // "Zeit" as the protocol shows it
    int place = 0; // 0: no place
    QList<Results::Run> runs;
};

struct State
{
    QString title;
    QString protocolName;
    QString mode;    // "Passrennen" or "Passprufüng"
    QString wertung; // "Letzter Lauf zählt" or "Bester Lauf zählt"
    QString decimalPoint;
    quint64 startStamp = 0; // microseconds of the monotonic clock, for the running time
    QList<Lane> lanes;      // one lane in "Passprufüng"
    QStringList columns;    // the protocol's captions, the run columns included
    int runColumns = 0;
    QList<Row> rows; // in the order of the places
    // The protocol as "HTML" writes it: the operator's order of the grid.
    ProtocolFormat::Table protocol;

    bool running() const;
};

// `protocol` is the grid's table; empty takes the results in the order of the places.
State snapshot(const Results::ResultsModel &results, const RaceState &race, const QString &protocolName,
               const ProtocolFormat::Table &protocol);

// `/live.json`: the state, a running lane with its time at nowMicros. Times come as the program
// writes them and as hundredths.
QByteArray json(const State &state, quint64 nowMicros);
// The same from what stands while the state stands (all but the lanes), made once per state.
QByteArray standingJson(const State &state);
QByteArray json(const State &state, const QByteArray &standing, quint64 nowMicros);

enum class PageKind {
    Served,   // polls live.json and runs the clock of a running lane
    Uploaded, // stands alone and reloads itself every 30 s
};
// The page for phones: UTF-8, nothing loaded from elsewhere, readable 360 pixels wide.
QByteArray phonePage(const State &state, PageKind kind, quint64 nowMicros);

// `/protokoll.html`: the "HTML" protocol page.
QByteArray protocolPage(const State &state);

} // namespace Live
