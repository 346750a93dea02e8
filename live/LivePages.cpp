#include "live/LivePages.h"

#include "platform/Brand.h"
#include "platform/TickCount.h"
#include "protocol/HtmlProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>

namespace Live {

namespace {

QString runName(Lane::Run run)
{
    switch (run) {
    case Lane::Run::Ready: return QStringLiteral("ready");
    case Lane::Run::Running: return QStringLiteral("running");
    case Lane::Run::Stopped: return QStringLiteral("stopped");
    case Lane::Run::NoTime: return QStringLiteral("none");
    }
    return {};
}

QJsonValue hundredthsOf(std::optional<int> hundredths)
{
    return hundredths ? QJsonValue(*hundredths) : QJsonValue(QJsonValue::Null);
}

QJsonObject laneJson(const State &state, const Lane &lane, quint64 nowMicros)
{
    std::optional<int> hundredths;
    if (lane.run == Lane::Run::Running) {
        const qint64 elapsed = std::max<qint64>(elapsedMicros(state.startStamp, nowMicros), 0) / 10000;
        hundredths = int(std::min<qint64>(elapsed, Results::MaxHundredths));
    } else if (lane.run == Lane::Run::Stopped) {
        hundredths = int(std::min<qint64>(lane.ms / 10, Results::MaxHundredths));
    }
    return {
        {QStringLiteral("lane"), lane.lane},
        {QStringLiteral("number"), lane.number},
        {QStringLiteral("rider"), lane.rider},
        {QStringLiteral("horse"), lane.horse},
        {QStringLiteral("state"), runName(lane.run)},
        {QStringLiteral("time"), hundredths ? Results::timeText(*hundredths) : QString()},
        {QStringLiteral("hundredths"), hundredthsOf(hundredths)},
    };
}

QJsonObject rowJson(const Row &row)
{
    QJsonArray runs;
    for (const Results::Run &run : row.runs) {
        runs.append(QJsonObject{
            {QStringLiteral("time"), run.text()},
            {QStringLiteral("hundredths"),
             hundredthsOf(run.counts() ? std::optional(run.hundredths) : std::nullopt)},
        });
    }
    return {
        {QStringLiteral("number"), row.number},
        {QStringLiteral("rider"), row.rider},
        {QStringLiteral("horse"), row.horse},
        {QStringLiteral("time"), row.time},
        {QStringLiteral("hundredths"), hundredthsOf(Results::parseTime(row.time))},
        {QStringLiteral("place"), row.place > 0 ? QJsonValue(row.place) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("runs"), runs},
    };
}

// JSON inside a script element: "</script>" in a rider's name must not end it, and the two line
// separators JSON allows in strings are line ends to older script engines.
QByteArray scriptSafe(QByteArray json)
{
    json.replace("<", "\\u003c");
    json.replace("\xE2\x80\xA8", "\\u2028");
    json.replace("\xE2\x80\xA9", "\\u2029");
    return json;
}

// The page builds itself from the state, with the browser's own text nodes (no markup from names).
constexpr char PageScript[] = R"JS(
function el(tag, cls, text) {
  var e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text !== undefined) e.textContent = text;
  return e;
}
function fmt(h) {
  h = Math.max(0, Math.floor(h));
  var r = h % 100;
  return Math.floor(h / 100) + state.decimal + (r < 10 ? "0" : "") + r;
}
function laneTime(l) {
  if (l.state === "running")
    return live ? fmt(Math.min(l.hundredths + (Date.now() - received) / 10, 999999)) : "läuft";
  if (l.state === "stopped") return l.time;
  if (l.state === "none") return "–";
  return "";
}
function render() {
  var name = state.protocol || state.title;
  document.getElementById("name").textContent = name;
  document.title = name + " – Live-Ergebnisse";
  document.getElementById("info").textContent = state.mode + " · " + state.wertung;
  var lanes = document.getElementById("lanes");
  lanes.textContent = "";
  state.lanes.forEach(function (l) {
    var box = el("div", "lane" + (l.state === "running" ? " running" : ""));
    box.appendChild(el("div", "who", "Bahn " + l.lane + (l.number >= 0 ? ": " + l.number + " " + l.rider : "")));
    box.appendChild(el("div", "horse", l.horse));
    box.appendChild(el("div", "t", laneTime(l)));
    lanes.appendChild(box);
  });
  var table = document.getElementById("ranking");
  table.textContent = "";
  var c = state.columns, head = el("tr");
  [c[4], c[0], c[1] + " / " + c[2], c[3]].concat(c.slice(5, 5 + state.runColumns)).forEach(function (t) {
    head.appendChild(el("th", "", t));
  });
  table.appendChild(head);
  state.rows.forEach(function (r) {
    var tr = el("tr");
    tr.appendChild(el("td", "n", r.place === null ? "" : String(r.place)));
    tr.appendChild(el("td", "n", r.number));
    var who = el("td", "", r.rider);
    who.appendChild(el("div", "horse", r.horse));
    tr.appendChild(who);
    tr.appendChild(el("td", "n", r.time));
    for (var i = 0; i < state.runColumns; ++i)
      tr.appendChild(el("td", "n", i < r.runs.length ? r.runs[i].time : ""));
    table.appendChild(tr);
  });
}
function tick() {
  var shown = document.querySelectorAll("#lanes .t");
  state.lanes.forEach(function (l, i) {
    if (l.state === "running" && shown[i]) shown[i].textContent = laneTime(l);
  });
}
function poll() {
  var x = new XMLHttpRequest();
  x.open("GET", "live.json", true);
  x.timeout = 5000;
  x.onload = function () {
    if (x.status !== 200) return;
    try {
      state = JSON.parse(x.responseText);
      received = Date.now();
      render();
      document.getElementById("status").textContent = "";
    } catch (e) {}
  };
  x.onloadend = function () {
    if (x.status !== 200)
      document.getElementById("status").textContent = "Verbindung unterbrochen – es gilt der letzte Stand.";
    setTimeout(poll, 500);
  };
  x.send();
}
render();
if (live) {
  setInterval(tick, 50);
  setTimeout(poll, 500);
}
)JS";

constexpr char PageStyle[] = R"CSS(
body { margin: 0; padding: 8px; font-family: sans-serif; font-size: 16px; background: #ECF5FF; color: #222; }
h1 { font-size: 1.3em; margin: 0; }
.info { color: #555; font-size: .9em; margin: 2px 0 8px; }
.lanes { display: flex; flex-wrap: wrap; gap: 8px; margin-bottom: 12px; }
.lane { flex: 1 1 150px; background: #fff; border-left: 6px solid #3F7FFF; border-radius: 4px; padding: 6px 8px; }
.lane.running { border-left-color: #009900; }
.lane .t { font-size: 2em; font-weight: bold; font-variant-numeric: tabular-nums; min-height: 1.2em; }
.horse { color: #555; font-size: .9em; }
.wrap { overflow-x: auto; }
table { border-collapse: collapse; width: 100%; background: #fff; }
th { background: #3F7FFF; color: #fff; text-align: left; padding: 4px; font-weight: normal; white-space: nowrap; }
td { padding: 4px; border-top: 1px solid #ddd; vertical-align: top; }
td.n { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
#status { color: #a00; font-size: .85em; min-height: 1.2em; }
)CSS";

} // namespace

bool State::running() const
{
    return std::any_of(lanes.cbegin(), lanes.cend(),
                       [](const Lane &lane) { return lane.run == Lane::Run::Running; });
}

State snapshot(const Results::ResultsModel &results, const RaceState &race, const QString &protocolName,
               const ProtocolFormat::Table &protocol)
{
    State state;
    state.title = applicationTitle();
    state.protocolName = protocolName;
    state.mode = race.twoLanes() ? QStringLiteral("Passrennen") : QStringLiteral("Passprufüng");
    state.wertung = results.scoring() == Results::Scoring::BestRun ? QStringLiteral("Bester Lauf zählt")
                                                                   : QStringLiteral("Letzter Lauf zählt");
    state.decimalPoint = QLocale().decimalPoint();
    state.startStamp = race.startStamp();
    for (int lane = 0; lane < (race.twoLanes() ? RaceState::Lanes : 1); ++lane) {
        Lane shown;
        shown.lane = lane + 1;
        shown.number = race.laneNumber(lane);
        if (const int entry = shown.number >= 0 ? results.indexOfNumber(shown.number) : -1; entry >= 0) {
            shown.rider = results.entry(entry).rider;
            shown.horse = results.entry(entry).horse;
        }
        if (!race.runOpen()) {
            shown.run = race.falseStarted() ? Lane::Run::NoTime : Lane::Run::Ready;
        } else if (race.laneRunning(lane)) {
            shown.run = Lane::Run::Running;
        } else if (race.laneTime(lane) >= 0) {
            shown.run = Lane::Run::Stopped;
            shown.ms = race.laneTime(lane);
        } else {
            shown.run = Lane::Run::NoTime;
        }
        state.lanes.append(shown);
    }
    state.columns = results.header();
    state.runColumns = results.runColumns();
    for (const int index : results.rankOrder()) {
        const Results::Entry &entry = results.entry(index);
        state.rows.append({entry.number, entry.rider, entry.horse, results.timeOf(index),
                           results.place(index), entry.runs});
    }
    state.protocol = protocol.isEmpty() ? results.table(results.rankOrder()) : protocol;
    return state;
}

QByteArray standingJson(const State &state)
{
    QJsonArray rows;
    for (const Row &row : state.rows)
        rows.append(rowJson(row));
    const QJsonObject object{
        {QStringLiteral("title"), state.title},
        {QStringLiteral("protocol"), state.protocolName},
        {QStringLiteral("mode"), state.mode},
        {QStringLiteral("wertung"), state.wertung},
        {QStringLiteral("decimal"), state.decimalPoint},
        {QStringLiteral("columns"), QJsonArray::fromStringList(state.columns)},
        {QStringLiteral("runColumns"), state.runColumns},
        {QStringLiteral("rows"), rows},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray json(const State &state, const QByteArray &standing, quint64 nowMicros)
{
    QJsonArray lanes;
    for (const Lane &lane : state.lanes)
        lanes.append(laneJson(state, lane, nowMicros));
    return "{\"lanes\":" + QJsonDocument(lanes).toJson(QJsonDocument::Compact) + ',' + standing.mid(1);
}

QByteArray json(const State &state, quint64 nowMicros)
{
    return json(state, standingJson(state), nowMicros);
}

QByteArray phonePage(const State &state, PageKind kind, quint64 nowMicros)
{
    const QString name = state.protocolName.isEmpty() ? state.title : state.protocolName;
    QByteArray page;
    page += "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    if (kind == PageKind::Uploaded)
        page += "<meta http-equiv=\"refresh\" content=\"30\">\n";
    page += "<title>" + (name + QStringLiteral(" – Live-Ergebnisse")).toHtmlEscaped().toUtf8() + "</title>\n";
    page += QByteArray("<style>") + PageStyle + "</style>\n</head>\n<body>\n";
    page += "<h1 id=\"name\"></h1>\n<p class=\"info\" id=\"info\"></p>\n<div class=\"lanes\" "
            "id=\"lanes\"></div>\n"
            "<div class=\"wrap\"><table id=\"ranking\"></table></div>\n<p id=\"status\"></p>\n"
            "<noscript>Diese Seite braucht JavaScript.</noscript>\n";
    page += "<script>\n\"use strict\";\nvar live = ";
    page += kind == PageKind::Served ? "true" : "false";
    page += ";\nvar state = " + scriptSafe(json(state, nowMicros)) + ";\nvar received = Date.now();\n";
    page += PageScript;
    page += "</script>\n</body>\n</html>\n";
    return page;
}

QByteArray protocolPage(const State &state)
{
    return HtmlProtocol::pageBytes(state.protocol, state.title);
}

} // namespace Live
