#include "live/LivePages.h"
#include "protocol/HtmlProtocol.h"
#include "tests/TestSupport.h"
#include "tests/live/Heat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

QJsonObject jsonAt(const Heat &heat, quint64 now)
{
    const Live::State state = Live::snapshot(heat.results, heat.race, QStringLiteral("Samstag"),
                                             heat.results.table(heat.results.rankOrder()));
    return QJsonDocument::fromJson(Live::json(state, now)).object();
}

QJsonObject object(const QString &json)
{
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

} // namespace

TEST(LivePages, ShowTheRunningHeatThenTheLaneTimesAndTheRanking)
{
    const LocaleScope german{QLocale(QLocale::German, QLocale::Germany)};
    Heat heat(QStringLiteral("Anna </script><b>"));
    heat.race.start(Heat::Start);
    // While the heat runs, a lane's time is the time of the answer.
    const QJsonArray running = jsonAt(heat, Heat::Start + 1503000).value(u"lanes").toArray();
    ASSERT_EQ(running.size(), 2);
    EXPECT_EQ(running[1].toObject(), object(uR"({"lane": 2, "number": 2, "rider": "Bert", "horse": "Donner",
                                                 "state": "running", "time": "1,50", "hundredths": 150})"_qs));

    heat.stop(1, 1234);
    heat.stop(0, 1300);
    const QJsonObject done = jsonAt(heat, Heat::Start + 20000000);
    EXPECT_EQ(done.value(u"protocol").toString(), u"Samstag"_qs);
    EXPECT_EQ(done.value(u"mode").toString(), u"Passrennen"_qs);
    EXPECT_EQ(done.value(u"wertung").toString(), u"Letzter Lauf zählt"_qs);
    const QJsonArray lanes = done.value(u"lanes").toArray();
    EXPECT_EQ(lanes[0].toObject().value(u"state").toString(), u"stopped"_qs);
    EXPECT_EQ(lanes[0].toObject().value(u"time").toString(), u"13,00"_qs);
    EXPECT_EQ(lanes[1].toObject().value(u"hundredths").toInt(), 1234);

    // The ranking: the faster rider first, the rider without a run last and without a place.
    const QJsonArray rows = done.value(u"rows").toArray();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].toObject(),
              object(uR"({"number": "2", "rider": "Bert", "horse": "Donner", "time": "12,34",
                                              "hundredths": 1234, "place": 1,
                                              "runs": [{"time": "12,34", "hundredths": 1234}]})"_qs));
    EXPECT_EQ(rows[1].toObject().value(u"place").toInt(), 2);
    EXPECT_EQ(rows[1].toObject().value(u"rider").toString(), u"Anna </script><b>"_qs);
    EXPECT_TRUE(rows[2].toObject().value(u"place").isNull());
    EXPECT_TRUE(rows[2].toObject().value(u"hundredths").isNull());

    // The pages: a name cannot end the page's script; the protocol is the "HTML" page.
    const Live::State state =
        Live::snapshot(heat.results, heat.race, QString(), heat.results.table(heat.results.rankOrder()));
    for (const auto kind : {Live::PageKind::Served, Live::PageKind::Uploaded}) {
        const QByteArray page = Live::phonePage(state, kind, Heat::Start);
        EXPECT_FALSE(page.contains("</script><b>"));
        EXPECT_TRUE(page.contains("Anna \\u003c/script>\\u003cb>"));
        EXPECT_EQ(page.contains("http-equiv=\"refresh\" content=\"30\""), kind == Live::PageKind::Uploaded);
    }
    EXPECT_EQ(Live::protocolPage(state), HtmlProtocol::pageBytes(state.protocol, state.title));

    // "Passprufüng" shows one lane.
    heat.race.setTwoLanes(false);
    EXPECT_EQ(jsonAt(heat, Heat::Start).value(u"mode").toString(), u"Passprufüng"_qs);
    EXPECT_EQ(jsonAt(heat, Heat::Start).value(u"lanes").toArray().size(), 1);
}
