#include "protocol/ResultsModel.h"

#include <QLocale>

#include <QSet>

#include <algorithm>
#include <array>
#include <climits>
#include <functional>
#include <utility>

namespace Results {

namespace {

bool isOutText(QStringView text)
{
    return text == u"AUS" || text == u"aus";
}

// What an entry's runs make of it under a scoring: its ranking key, or none.
// With the best run, the rider's valid times from the best on: equal best times are told apart by
// the second best, then the third, ... ; a rider without a further run comes after one with it.
struct RankKey
{
    int count = 0; // none: no place
    std::array<int, MaxRuns> times{};
};

RankKey rankKey(const Entry &entry, Scoring scoring)
{
    RankKey key;
    if (entry.runs.isEmpty() || entry.runs.constLast().state == Run::Out)
        return key;
    if (scoring == Scoring::LastRun) {
        if (entry.runs.constLast().counts())
            key.times[size_t(key.count++)] = entry.runs.constLast().hundredths;
    } else {
        for (const Run &run : entry.runs) {
            if (run.counts() && key.count < MaxRuns)
                key.times[size_t(key.count++)] = run.hundredths;
        }
        std::sort(key.times.begin(), key.times.begin() + key.count);
    }
    return key;
}

// -1, 0 or 1; unranked entries after all ranked ones.
int compareKeys(const RankKey &a, const RankKey &b)
{
    if ((a.count > 0) != (b.count > 0))
        return a.count > 0 ? -1 : 1;
    const int common = std::min(a.count, b.count);
    for (size_t i = 0; i < size_t(common); ++i) {
        if (a.times[i] != b.times[i])
            return a.times[i] < b.times[i] ? -1 : 1;
    }
    if (a.count != b.count)
        return a.count > b.count ? -1 : 1;
    return 0;
}

QString runText(const Run &run, QChar decimal)
{
    switch (run.state) {
    case Run::Out: return QStringLiteral("AUS");
    case Run::Invalid: return timeText(0, decimal);
    case Run::Valid: break;
    }
    return timeText(run.hundredths, decimal);
}

QString derivedTime(const Entry &entry, Scoring scoring, QChar decimal)
{
    if (entry.runs.isEmpty())
        return entry.loadedTime;
    const Run &last = entry.runs.constLast();
    if (scoring == Scoring::LastRun || last.state == Run::Out)
        return runText(last, decimal);
    int best = -1;
    for (const Run &run : entry.runs) {
        if (run.counts() && (best < 0 || run.hundredths < best))
            best = run.hundredths;
    }
    return timeText(std::max(best, 0), decimal);
}

QChar decimalPoint()
{
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 ? point.front() : QChar(u',');
}

// Numbers in numeric order before everything else, the rest as text ignoring case.
int compareNumberTexts(const QString &a, const QString &b)
{
    bool okA = false;
    bool okB = false;
    const qlonglong x = a.trimmed().toLongLong(&okA);
    const qlonglong y = b.trimmed().toLongLong(&okB);
    if (okA && okB)
        return x < y ? -1 : (x > y ? 1 : 0);
    if (okA != okB)
        return okA ? -1 : 1;
    return a.compare(b, Qt::CaseInsensitive);
}

} // namespace

Scoring scoringOf(int stored)
{
    return stored == int(Scoring::BestRun) ? Scoring::BestRun : Scoring::LastRun;
}

QString timeText(qint64 hundredths, QChar decimal)
{
    hundredths = std::max<qint64>(hundredths, 0);
    const qint64 rest = hundredths % 100;
    QString text = QString::number(hundredths / 100);
    text.reserve(text.size() + 3);
    text += decimal;
    text += QChar(u'0' + int(rest / 10));
    text += QChar(u'0' + int(rest % 10));
    return text;
}

QString timeText(qint64 hundredths)
{
    return timeText(hundredths, decimalPoint());
}

std::optional<int> parseTime(QStringView text)
{
    text = text.trimmed();
    const QString decimal = QLocale().decimalPoint();
    qsizetype point = decimal.size() == 1 ? text.indexOf(decimal.front()) : -1;
    if (point < 0)
        point = text.size();
    const QStringView seconds = text.left(point);
    const QStringView fraction = point < text.size() ? text.mid(point + 1) : QStringView();
    const bool hasPoint = point < text.size();
    if (seconds.isEmpty() || seconds.size() > 9 || (hasPoint && (fraction.isEmpty() || fraction.size() > 2)))
        return std::nullopt;
    auto digitsOnly = [](QStringView digits) {
        return std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (!digitsOnly(seconds) || !digitsOnly(fraction))
        return std::nullopt;
    qint64 value = seconds.toLongLong() * 100;
    if (!fraction.isEmpty())
        value += qint64(fraction.toInt()) * (fraction.size() == 1 ? 10 : 1);
    if (value > MaxHundredths)
        return std::nullopt;
    return int(value);
}

QString invalidRunText()
{
    return timeText(0);
}

QString runCaption(int index)
{
    return QString::number(index + 1) + QStringLiteral(". Lauf");
}

QStringList headerCaptions()
{
    return {QStringLiteral("Nr."), QStringLiteral("Name"), QStringLiteral("Pferd"), QStringLiteral("Zeit"),
            QStringLiteral("Platz")};
}

QString Run::text() const
{
    return runText(*this, decimalPoint());
}

std::optional<Run> Run::fromText(QStringView text)
{
    if (isOutText(text.trimmed()))
        return Run{0, Out};
    const std::optional<int> time = parseTime(text);
    if (!time)
        return std::nullopt;
    return Run{*time, *time > 0 ? Valid : Invalid};
}

int startNumber(QStringView text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n >= 0 ? n : -1;
}

int Entry::startNumber() const
{
    return Results::startNumber(number);
}

ResultsModel::ResultsModel(QObject *parent)
    : QObject(parent)
{}

void ResultsModel::setScoring(Scoring scoring)
{
    if (scoring == m_scoring)
        return;
    m_scoring = scoring;
    recompute(-1);
}

void ResultsModel::clear()
{
    m_entries.clear();
    m_keepsRunColumns = false;
    m_order.clear();
    recompute(-1);
}

void ResultsModel::load(const QStringList &header, const QList<QStringList> &rows, QStringList *leftOut)
{
    // Run columns: consecutive captions "1. Lauf", "2. Lauf", ... after "Platz", at most MaxRuns.
    int runColumns = 0;
    while (runColumns < MaxRuns && FirstRunColumn + runColumns < header.size() &&
           header[FirstRunColumn + runColumns].trimmed() == runCaption(runColumns))
        ++runColumns;
    const int firstIgnored = FirstRunColumn + runColumns;
    bool ignoredColumns = false;
    for (qsizetype c = firstIgnored; c < header.size(); ++c)
        ignoredColumns = ignoredColumns || !header[c].trimmed().isEmpty();

    int ignoredCells = 0;
    m_entries.clear();
    m_entries.reserve(size_t(rows.size()));
    for (const QStringList &row : rows) {
        auto cell = [&](qsizetype c) { return c < row.size() ? row[c] : QString(); };
        Entry entry{cell(ColNr), cell(ColName), cell(ColHorse), {}, {}, {}};
        for (int i = 0; i < runColumns; ++i) {
            const QString text = cell(FirstRunColumn + i);
            if (const std::optional<Run> run = Run::fromText(text))
                entry.runs.append(*run);
            else if (!text.trimmed().isEmpty())
                ++ignoredCells;
        }
        for (qsizetype c = firstIgnored; c < row.size(); ++c)
            ignoredCells += row[c].trimmed().isEmpty() ? 0 : 1;
        // A time the rider has without run columns (a protocol scored by the last run) is its run.
        if (entry.runs.isEmpty()) {
            if (const std::optional<Run> run = Run::fromText(cell(ColTime)))
                entry.runs.append(*run);
        }
        if (entry.runs.isEmpty()) {
            entry.loadedTime = cell(ColTime);
            entry.loadedPlace = cell(ColPlace);
        }
        m_entries.push_back(std::move(entry));
    }
    m_keepsRunColumns = runColumns > 0;
    m_order.resize(m_entries.size());
    for (size_t i = 0; i < m_order.size(); ++i)
        m_order[i] = int(i);
    m_numbers.resize(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_numbers[i] = m_entries[i].startNumber();
    if (leftOut) {
        if (ignoredColumns)
            leftOut->append(QStringLiteral("Spalten ab „%1“ übergangen").arg(header.value(firstIgnored)));
        if (ignoredCells > 0)
            leftOut->append(QStringLiteral("%1 Läufe übergangen, die keine Zeit sind oder in "
                                           "übergangenen Spalten stehen")
                                .arg(ignoredCells));
    }
    recompute(-1);
}

int ResultsModel::indexOfNumber(int number) const
{
    if (number < 0)
        return -1;
    const auto at = std::find(m_numbers.begin(), m_numbers.end(), number);
    return at == m_numbers.end() ? -1 : int(at - m_numbers.begin());
}

int ResultsModel::indexOfCells(const QString &number, const QString &rider, const QString &horse) const
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const Entry &e = m_entries[i];
        if (e.number == number && e.rider == rider && e.horse == horse)
            return int(i);
    }
    return -1;
}

ResultsModel::Change ResultsModel::addRun(int number, Run run)
{
    const int index = indexOfNumber(number);
    if (index < 0)
        return Change::NoEntry;
    Entry &entry = m_entries[size_t(index)];
    if (entry.runs.size() >= MaxRuns)
        return Change::TooManyRuns;
    if (run.state == Run::Valid && run.hundredths <= 0)
        run.state = Run::Invalid; // a time of zero was no run
    entry.runs.append(run);
    recompute(index);
    return Change::Done;
}

ResultsModel::Change ResultsModel::correctRun(int index, int runIndex, Run run)
{
    if (index < 0 || index >= count())
        return Change::NoEntry;
    Entry &entry = m_entries[size_t(index)];
    if (runIndex < 0 || runIndex >= entry.runs.size())
        return Change::NoRun;
    if (run.state == Run::Valid && run.hundredths <= 0)
        run.state = Run::Invalid;
    if (entry.runs[runIndex] == run)
        return Change::NoRun;
    entry.runs[runIndex] = run;
    recompute(index);
    return Change::Done;
}

ResultsModel::Change ResultsModel::setOut(int index)
{
    if (index < 0 || index >= count())
        return Change::NoEntry;
    Entry &entry = m_entries[size_t(index)];
    if (!entry.runs.isEmpty() && entry.runs.constLast().state == Run::Out)
        return Change::NoRun;
    if (entry.runs.size() >= MaxRuns)
        return Change::TooManyRuns;
    entry.runs.append(Run{0, Run::Out});
    recompute(index);
    return Change::Done;
}

bool ResultsModel::removeEntry(int index)
{
    if (index < 0 || index >= count())
        return false;
    m_entries.erase(m_entries.begin() + index);
    m_numbers.erase(m_numbers.begin() + index);
    m_order.erase(std::find(m_order.begin(), m_order.end(), index));
    for (int &i : m_order)
        i -= i > index ? 1 : 0;
    recompute(-1);
    return true;
}

QString ResultsModel::placeOf(int index) const
{
    const int p = m_place[size_t(index)];
    if (p > 0)
        return QString::number(p);
    const Entry &e = m_entries[size_t(index)];
    return e.runs.isEmpty() ? e.loadedPlace : QString();
}

void ResultsModel::recompute(int changedEntry)
{
    const size_t n = m_entries.size();
    qsizetype most = 0;
    if (m_scoring == Scoring::BestRun || m_keepsRunColumns) {
        for (const Entry &e : m_entries)
            most = std::max(most, e.runs.size());
    }
    // Only the changed entry's texts are made anew, unless the columns or the scoring changed.
    const bool all = changedEntry < 0 || int(most) != m_runColumns || m_rows.size() != n;
    m_runColumns = int(most);
    const QChar decimal = decimalPoint();
    std::vector<RankKey> keys(n);
    for (size_t i = 0; i < n; ++i)
        keys[i] = rankKey(m_entries[i], m_scoring);
    m_time.resize(n);
    for (size_t i = all ? 0 : size_t(changedEntry); i < (all ? n : size_t(changedEntry) + 1); ++i)
        m_time[i] = derivedTime(m_entries[i], m_scoring, decimal);

    // Stable, from the order of the last ranking: entries that compare equal keep their order.
    std::stable_sort(m_order.begin(), m_order.end(),
                     [&](int a, int b) { return compareKeys(keys[size_t(a)], keys[size_t(b)]) < 0; });
    const std::vector<int> before = std::exchange(m_place, std::vector<int>(n, 0));
    int previous = -1;
    for (size_t position = 0; position < m_order.size(); ++position) {
        const int i = m_order[position];
        if (keys[size_t(i)].count == 0)
            break;
        const bool tie = previous >= 0 && compareKeys(keys[size_t(previous)], keys[size_t(i)]) == 0;
        m_place[size_t(i)] = tie ? m_place[size_t(previous)] : int(position) + 1;
        previous = i;
    }

    m_rows.resize(n);
    for (size_t i = 0; i < n; ++i) {
        if (all || int(i) == changedEntry) {
            const Entry &e = m_entries[i];
            QStringList row{e.number, e.rider, e.horse, m_time[i], placeOf(int(i))};
            for (int r = 0; r < m_runColumns; ++r)
                row.append(r < e.runs.size() ? runText(e.runs[r], decimal) : QString());
            m_rows[i] = std::move(row);
        } else if (before.size() == n && before[i] != m_place[i]) {
            m_rows[i][ColPlace] = placeOf(int(i));
        }
    }
    emit changed();
}

std::vector<int> ResultsModel::viewOrder(int column, bool descending) const
{
    if (column == ColTime && !descending)
        return m_order; // the order of the places
    std::vector<int> order = m_order;
    std::function<int(int, int)> compare;
    if (column == ColTime) {
        auto place = [this](int i) { return m_place[size_t(i)] > 0 ? m_place[size_t(i)] : INT_MAX; };
        compare = [place](int a, int b) { return place(a) < place(b) ? -1 : (place(a) > place(b) ? 1 : 0); };
    } else if (column >= FirstRunColumn) {
        const int run = column - FirstRunColumn;
        auto key = [this, run](int i) {
            const QList<Run> &runs = m_entries[size_t(i)].runs;
            return run < runs.size() && runs[run].counts() ? runs[run].hundredths : INT_MAX;
        };
        compare = [key](int a, int b) { return key(a) < key(b) ? -1 : (key(a) > key(b) ? 1 : 0); };
    } else if (column == ColNr || column == ColPlace) {
        compare = [this, column](int a, int b) {
            return column == ColNr
                       ? compareNumberTexts(m_entries[size_t(a)].number, m_entries[size_t(b)].number)
                       : compareNumberTexts(placeOf(a), placeOf(b));
        };
    } else {
        compare = [this, column](int a, int b) {
            const Entry &x = m_entries[size_t(a)];
            const Entry &y = m_entries[size_t(b)];
            return column == ColName ? x.rider.compare(y.rider, Qt::CaseInsensitive)
                                     : x.horse.compare(y.horse, Qt::CaseInsensitive);
        };
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return descending ? compare(b, a) < 0 : compare(a, b) < 0; });
    return order;
}

QStringList ResultsModel::header() const
{
    QStringList captions = headerCaptions();
    for (int i = 0, n = runColumns(); i < n; ++i)
        captions.append(runCaption(i));
    return captions;
}

QStringList ResultsModel::cells(int index) const
{
    return m_rows[size_t(index)];
}

ProtocolFormat::Table ResultsModel::table(const std::vector<int> &order) const
{
    ProtocolFormat::Table rows;
    rows.reserve(qsizetype(order.size()) + 1);
    rows.append(header());
    for (int i : order)
        rows.append(cells(i));
    return rows;
}

Totals ResultsModel::totals() const
{
    auto distinct = [this](auto text) {
        QSet<QString> seen;
        for (int i = 0; i < count(); ++i)
            seen.insert(text(i).toCaseFolded());
        return int(seen.size());
    };
    Totals totals;
    totals.EntryCount = count();
    totals.DistinctHorses = distinct([this](int i) { return m_entries[size_t(i)].horse; });
    totals.DistinctTimes = distinct([this](int i) { return timeOf(i); });
    return totals;
}

} // namespace Results
