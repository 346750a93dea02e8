#pragma once

#include "protocol/RaceState.h"
#include "protocol/ResultsModel.h"

// A start list of three riders and the heat of the first two, as race control runs it.
struct Heat
{
    static constexpr quint64 Start = 5000000; // the START stamp, µs

    Heat(const QString &firstRider = QStringLiteral("Anna"))
    {
        results.load(Results::headerCaptions(),
                     {{QStringLiteral("1"), firstRider, QStringLiteral("Blitz")},
                      {QStringLiteral("2"), QStringLiteral("Bert"), QStringLiteral("Donner")},
                      {QStringLiteral("3"), QStringLiteral("Cora"), QStringLiteral("Wind")}});
        race.setLaneNumber(0, 1);
        race.setLaneNumber(1, 2);
    }
    // The lane stops `hundredths` after START (and a few microseconds more); its time enters the results.
    void stop(int lane, int hundredths)
    {
        race.stopLane(lane, Start + quint64(hundredths) * 10000u + 4000u);
        results.addRun(race.laneNumber(lane), {hundredths, Results::Run::Valid});
    }

    Results::ResultsModel results;
    RaceState race;
};
