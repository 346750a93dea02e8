#include "controls/SortCompare.h"

#include "controls/MyGrids.h"
#include "platform/AnsiCodec.h"

#include <QDate>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr qint64 MsecsPerDay = 86400000;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int sign(double a, double b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

int sign(qint64 a, qint64 b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

int ansiKey(char16_t unit)
{
    if (unit < 0x80)
        return unit;
    const int code = ansiCode(unit);
    return code >= 0 ? code : 0x100 + unit;
}

// Reads 1 to maxDigits decimal digits at pos.
bool readNumber(QStringView text, qsizetype &pos, int maxDigits, int &value)
{
    value = 0;
    int digits = 0;
    while (pos < text.size() && isDigit(text[pos]) && digits < maxDigits) {
        value = value * 10 + (text[pos].unicode() - u'0');
        ++pos;
        ++digits;
    }
    return digits > 0 && (pos == text.size() || !isDigit(text[pos]));
}

// A whole number as sign and digits without leading zeros (zero has no digits and no sign).
struct WholeNumber
{
    bool negative = false;
    QStringView digits;
};

bool toWholeNumber(QStringView text, WholeNumber &number)
{
    qsizetype pos = 0;
    number.negative = false;
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
        number.negative = text[0] == u'-';
        pos = 1;
    }
    if (pos == text.size())
        return false;
    for (qsizetype i = pos; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            return false;
    }
    while (pos < text.size() && text[pos] == u'0')
        ++pos;
    number.digits = text.sliced(pos);
    if (number.digits.isEmpty())
        number.negative = false;
    return true;
}

int compareWholeNumbers(const WholeNumber &a, const WholeNumber &b)
{
    if (a.negative != b.negative)
        return a.negative ? -1 : 1;
    int magnitude = sign(qint64(a.digits.size()), qint64(b.digits.size()));
    if (magnitude == 0)
        magnitude = compareAnsi(a.digits, b.digits);
    return a.negative ? -magnitude : magnitude;
}

// One sort entry: the key text of a row, its position before this pass, and its converted value
// (converted once per sort rather than once per comparison).
struct Entry
{
    QString text;
    int pos = 0;
    bool converted = false;
    double number = 0;
    qint64 stamp = 0;
};

void prepare(Entry &entry, TSortStyle style, const LocaleConverter &converter)
{
    switch (style) {
    case ssNumeric: entry.converted = converter.toDouble(entry.text, entry.number); break;
    case ssDateTime: entry.converted = converter.toDateTime(entry.text, entry.stamp); break;
    case ssTime: entry.converted = converter.toTime(entry.text, entry.stamp); break;
    default: break;
    }
}

int compareEntries(const Entry &a, const Entry &b, TSortStyle style, const SortComparison &custom)
{
    switch (style) {
    case ssNumeric:
        if (a.converted && b.converted)
            return sign(a.number, b.number);
        return compareAnsi(a.text, b.text);
    case ssDateTime:
    case ssTime:
        if (a.converted && b.converted)
            return sign(a.stamp, b.stamp);
        return compareAnsi(a.text, b.text);
    case ssNumericExtended: return compareNumericExtended(a.text, b.text);
    case ssCustom:
        if (custom) {
            const int result = custom(a.text, b.text);
            return result < 0 ? -1 : (result > 0 ? 1 : 0);
        }
        return compareAnsi(a.text, b.text);
    case ssAutomatic:
    case ssNormal: break;
    }
    return compareAnsi(a.text, b.text);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// LocaleConverter

LocaleConverter::LocaleConverter(const QLocale &locale)
    : m_locale(locale)
{
    m_locale.setNumberOptions(m_locale.numberOptions() | QLocale::RejectGroupSeparator);
    const QString decimal = locale.decimalPoint();
    m_decimal = decimal.size() == 1 ? decimal.at(0) : QChar();
    // Plain ASCII numbers are read directly; anything else goes through QLocale.
    m_fastNumbers = decimal.size() == 1 && locale.negativeSign() == u"-" && locale.zeroDigit() == u"0";

    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    int fields = 0;
    for (QChar c : dateFormat) {
        const char field = c == u'd' ? 'd' : (c == u'M' ? 'M' : (c == u'y' ? 'y' : '\0'));
        if (field) {
            if (fields == 0 || m_dateOrder[fields - 1] != field) {
                if (fields < 3)
                    m_dateOrder[fields] = field;
                ++fields;
            }
        } else if (m_dateSeparator.isNull() && fields > 0 && !c.isLetter()) {
            m_dateSeparator = c;
        }
    }
    if (m_dateSeparator.isNull())
        m_dateSeparator = u'.';

    for (QChar c : locale.timeFormat(QLocale::ShortFormat)) {
        if (!c.isLetter() && !c.isSpace()) {
            m_timeSeparator = c;
            break;
        }
    }
    if (m_timeSeparator.isNull())
        m_timeSeparator = u':';
}

bool LocaleConverter::toDouble(QStringView text, double &value) const
{
    // Short plain numbers ("75,43") are read here: up to 15 digits are exact in a double, and so
    // is 10^n for n <= 22, so one division gives the correctly rounded value QLocale would give.
    static constexpr double Powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (m_fastNumbers && !text.isEmpty()) {
        qsizetype pos = text[0] == u'-' ? 1 : 0;
        quint64 mantissa = 0;
        int before = 0;
        int after = 0;
        for (; pos < text.size() && isDigit(text[pos]) && before < 16; ++pos, ++before)
            mantissa = mantissa * 10 + (text[pos].unicode() - u'0');
        bool point = false;
        if (pos < text.size() && text[pos] == m_decimal) {
            point = true;
            for (++pos; pos < text.size() && isDigit(text[pos]) && before + after < 16; ++pos, ++after)
                mantissa = mantissa * 10 + (text[pos].unicode() - u'0');
        }
        if (pos == text.size() && before > 0 && (!point || after > 0) && before + after <= 15) {
            value = double(mantissa) / Powers[after];
            if (text[0] == u'-')
                value = -value;
            return true;
        }
    }
    bool ok = false;
    value = m_locale.toDouble(text, &ok);
    return ok && std::isfinite(value);
}

bool LocaleConverter::toTime(QStringView text, qint64 &msecs) const
{
    text = text.trimmed();
    int meridiem = 0; // 1 before noon, 2 after
    const QString am = m_locale.amText();
    const QString pm = m_locale.pmText();
    if (!am.isEmpty() && text.endsWith(am, Qt::CaseInsensitive)) {
        meridiem = 1;
        text = text.chopped(am.size()).trimmed();
    } else if (!pm.isEmpty() && text.endsWith(pm, Qt::CaseInsensitive)) {
        meridiem = 2;
        text = text.chopped(pm.size()).trimmed();
    }
    qsizetype pos = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msec = 0;
    if (!readNumber(text, pos, 2, hour) || pos >= text.size() || text[pos] != m_timeSeparator)
        return false;
    ++pos;
    if (!readNumber(text, pos, 2, minute))
        return false;
    if (pos < text.size() && text[pos] == m_timeSeparator) {
        ++pos;
        if (!readNumber(text, pos, 2, second))
            return false;
        if (pos < text.size() && (text[pos] == u'.' || text[pos] == m_decimal)) {
            const qsizetype start = ++pos;
            if (!readNumber(text, pos, 3, msec))
                return false;
            for (qsizetype digits = pos - start; digits < 3; ++digits)
                msec *= 10;
        }
    }
    if (pos != text.size())
        return false;
    if (meridiem != 0) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (meridiem == 2 ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    msecs = ((hour * 60 + minute) * 60 + second) * 1000 + msec;
    return true;
}

bool LocaleConverter::toDate(QStringView text, qint64 &days) const
{
    int values[3] = {0, 0, 0};
    int lengths[3] = {0, 0, 0};
    qsizetype pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != m_dateSeparator)
                return false;
            ++pos;
        }
        const qsizetype start = pos;
        if (!readNumber(text, pos, 4, values[i]))
            return false;
        lengths[i] = int(pos - start);
    }
    if (pos != text.size())
        return false;
    int day = 0;
    int month = 0;
    int year = 0;
    for (int i = 0; i < 3; ++i) {
        switch (m_dateOrder[i]) {
        case 'd': day = values[i]; break;
        case 'M': month = values[i]; break;
        default:
            year = values[i];
            // Two-digit years fall into the fifty years either side of 2000.
            if (lengths[i] <= 2)
                year += year < 50 ? 2000 : 1900;
            break;
        }
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return false;
    days = date.toJulianDay();
    return true;
}

bool LocaleConverter::toDateTime(QStringView text, qint64 &msecs) const
{
    text = text.trimmed();
    qsizetype split = 0;
    while (split < text.size() && !text[split].isSpace())
        ++split;
    qint64 days = 0;
    qint64 time = 0;
    if (!toDate(text.first(split), days))
        return false;
    const QStringView rest = text.sliced(split).trimmed();
    if (!rest.isEmpty() && !toTime(rest, time))
        return false;
    msecs = days * MsecsPerDay + time;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Comparisons

QString foldCase(const QString &text)
{
    const auto upper =
        std::find_if(text.cbegin(), text.cend(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
    if (upper == text.cend())
        return text;
    QString folded = text;
    for (QChar &c : folded) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return folded;
}

int compareAnsi(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y)
            return ansiKey(x) < ansiKey(y) ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int compareNumericExtended(QStringView a, QStringView b)
{
    if (a.isEmpty() || b.isEmpty())
        return -1;
    // Drop the equal non-digit characters the texts share position by position; from the last
    // position of the shorter text on, keep the rest of each.
    const qsizetype shorter = std::min(a.size(), b.size());
    QVarLengthArray<QChar, 64> reducedA;
    QVarLengthArray<QChar, 64> reducedB;
    for (qsizetype p = 0; p < shorter; ++p) {
        if (a[p] == b[p] && !isDigit(a[p]))
            continue;
        if (p == shorter - 1) {
            reducedA.append(a.data() + p, a.size() - p);
            reducedB.append(b.data() + p, b.size() - p);
        } else {
            reducedA.append(a[p]);
            reducedB.append(b[p]);
        }
    }
    // Walk both reduced texts from their ends; each equal non-digit pair shortens the working
    // texts by their last character.
    qsizetype lengthA = reducedA.size();
    qsizetype lengthB = reducedB.size();
    const qsizetype common = std::min(lengthA, lengthB);
    for (qsizetype k = 0; k < common; ++k) {
        const QChar x = reducedA[reducedA.size() - 1 - k];
        if (x == reducedB[reducedB.size() - 1 - k] && !isDigit(x)) {
            --lengthA;
            --lengthB;
        }
    }
    const QStringView workA(reducedA.data(), lengthA);
    const QStringView workB(reducedB.data(), lengthB);
    if (workA == workB)
        return 0;
    WholeNumber x;
    WholeNumber y;
    if (toWholeNumber(workA, x) && toWholeNumber(workB, y)) {
        // Equal numbers written differently ("07", "7") fall through to the text.
        if (const int result = compareWholeNumbers(x, y))
            return result;
    }
    return compareAnsi(workA, workB);
}

int compareTexts(const QString &a, const QString &b, TSortStyle style, bool caseSensitive,
                 const SortComparison &custom, const LocaleConverter &converter)
{
    Entry x{caseSensitive ? a : foldCase(a), 0};
    Entry y{caseSensitive ? b : foldCase(b), 1};
    prepare(x, style, converter);
    prepare(y, style, converter);
    return compareEntries(x, y, style, custom);
}

TSortStyle DetectSortStyle(const StringGridCells &cells, int col)
{
    const LocaleConverter converter;
    bool numeric = true;
    bool dateTime = true;
    bool time = true;
    for (int row = 1; row < cells.RowCount() && (numeric || dateTime || time); ++row) {
        const QString text = cells.Cells(col, row);
        double number = 0;
        qint64 stamp = 0;
        numeric = numeric && converter.toDouble(text, number);
        dateTime = dateTime && converter.toDateTime(text, stamp);
        time = time && converter.toTime(text, stamp);
    }
    if (numeric)
        return ssNumeric;
    if (dateTime)
        return ssDateTime;
    return time ? ssTime : ssNormal;
}

// ---------------------------------------------------------------------------------------------
// The sort

std::vector<int> sortKeys(const QString &secondaryIndex, int col, int colCount)
{
    std::vector<int> keys{col};
    for (QStringView part : QStringView(secondaryIndex).split(u',')) {
        bool ok = false;
        const int key = part.trimmed().toInt(&ok);
        if (ok && key >= 0 && key < colCount && key != col)
            keys.push_back(key);
    }
    return keys;
}

std::vector<int> sortOrder(const StringGridCells &cells, int col, TSortOptions &options,
                           const SortStyleQuery &styleQuery)
{
    if (!options.CanSort)
        return {};
    options.SortCol = col;
    const std::vector<int> keys = sortKeys(options.SecondaryIndex, col, cells.ColCount());
    const int rowCount = cells.RowCount();
    std::vector<int> order(std::size_t(std::max(rowCount, 0)));
    std::iota(order.begin(), order.end(), 0);
    const LocaleConverter converter;
    std::vector<Entry> entries;
    entries.reserve(order.size());

    // The lowest-ranking key first; each later pass keeps equal keys in the order of the last.
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        if (styleQuery)
            styleQuery(*key, options.SortStyle);
        else if (options.SortStyle == ssAutomatic)
            options.SortStyle = DetectSortStyle(cells, *key);
        const TSortStyle style = options.SortStyle;
        const bool descending = options.SortDirection == sdDescending;
        const SortComparison &custom = options.SortCompare;

        entries.clear();
        for (int pos = 1; pos < rowCount; ++pos) {
            const QString text = cells.Cells(*key, order[std::size_t(pos)]);
            Entry entry{options.SortCaseSensitive ? text : foldCase(text), pos};
            prepare(entry, style, converter);
            entries.push_back(std::move(entry));
        }
        // Sorting positions moves 4 bytes per step instead of a whole entry.
        std::vector<int> positions(entries.size());
        std::iota(positions.begin(), positions.end(), 0);
        std::stable_sort(positions.begin(), positions.end(), [&](int x, int y) {
            if (x == y)
                return false;
            const int result =
                compareEntries(entries[std::size_t(x)], entries[std::size_t(y)], style, custom);
            // Equal keys keep their order whatever the direction.
            if (result == 0)
                return x < y;
            return descending ? result > 0 : result < 0;
        });
        std::vector<int> sorted(order.size());
        if (!sorted.empty())
            sorted[0] = order[0];
        for (std::size_t i = 0; i < positions.size(); ++i)
            sorted[i + 1] = order[std::size_t(entries[std::size_t(positions[i])].pos)];
        order = std::move(sorted);
    }
    options.SortCompare = nullptr;
    return order;
}

std::vector<int> sortRows(StringGridCells &cells, int col, TSortOptions &options,
                          const SortStyleQuery &styleQuery)
{
    std::vector<int> order = sortOrder(cells, col, options, styleQuery);
    if (!order.empty())
        cells.permuteRows(order);
    return order;
}

// ---------------------------------------------------------------------------------------------
// Header caption and typed-character search

QString shortenCaption(const QString &caption, int available,
                       const std::function<int(const QString &)> &width)
{
    if (caption.size() < 2 || width(caption) <= available)
        return caption;
    QString shortened = caption;
    shortened[shortened.size() - 2] = u'.';
    shortened[shortened.size() - 1] = u'.';
    while (shortened.size() > 3 && width(shortened) > available) {
        shortened.chop(1);
        shortened[shortened.size() - 2] = u'.';
    }
    return shortened;
}

int findRowByChar(const StringGridCells &cells, int col, int currentRow, QChar typed)
{
    auto upper = [](QChar c) { return c >= u'a' && c <= u'z' ? QChar(c.unicode() - (u'a' - u'A')) : c; };
    const QChar wanted = upper(typed);
    auto matches = [&](int row) {
        const QString text = cells.Cells(col, row);
        return !text.isEmpty() && upper(text.at(0)) == wanted;
    };
    for (int row = currentRow + 1; row < cells.RowCount(); ++row) {
        if (matches(row))
            return row;
    }
    for (int row = 1; row <= currentRow && row < cells.RowCount(); ++row) {
        if (matches(row))
            return row;
    }
    return -1;
}
