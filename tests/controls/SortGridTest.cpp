// The grid's cell storage, comparisons and sort engine, without a window.
#include "controls/MyGrids.h"
#include "controls/SortCompare.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Cells with row 0 = header and one list per data row.
StringGridCells makeCells(const QStringList &header, const QList<QStringList> &rows)
{
    StringGridCells cells(int(header.size()), int(rows.size()) + 1);
    cells.setRows(0, header);
    for (qsizetype i = 0; i < rows.size(); ++i)
        cells.setRows(int(i) + 1, rows[i]);
    return cells;
}

// The data-row texts of one column.
QStringList column(const StringGridCells &cells, int col)
{
    return cells.Cols(col).mid(1);
}

QStringList sortedColumn(const QStringList &keys, TSortStyle style, TSortDirection direction = sdAscending)
{
    QList<QStringList> rows;
    for (const QString &key : keys)
        rows.append({key});
    StringGridCells cells = makeCells({QStringLiteral("Key")}, rows);
    TSortOptions options;
    options.SortStyle = style;
    options.SortDirection = direction;
    sortRows(cells, 0, options);
    return column(cells, 0);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Cell storage

TEST(StringGridCells, ReadsEmptyWhereNothingWasWrittenAndIgnoresWritesOutside)
{
    StringGridCells cells(3, 2);
    EXPECT_TRUE(cells.Cells(2, 1).isEmpty());
    EXPECT_TRUE(cells.Cells(7, 9).isEmpty());
    EXPECT_TRUE(cells.Cells(-1, 0).isEmpty());
    cells.setCells(3, 0, QStringLiteral("x"));
    cells.setCells(0, 2, QStringLiteral("x"));
    EXPECT_EQ(cells.Cols(0), QStringList({QString(), QString()}));

    cells.setCells(1, 0, QStringLiteral("Name"));
    EXPECT_EQ(cells.Cells(1, 0), u"Name"_qs) << "column first, then row";
    EXPECT_TRUE(cells.Cells(0, 1).isEmpty());
}

TEST(StringGridCells, RowsAndColumnsAsLists)
{
    StringGridCells cells(3, 3);
    cells.setRows(1, {u"a"_qs, u"b"_qs, u"c"_qs, u"dropped"_qs});
    EXPECT_EQ(cells.Rows(1), QStringList({u"a"_qs, u"b"_qs, u"c"_qs}));
    cells.setRows(1, {u"x"_qs});
    EXPECT_EQ(cells.Rows(1), QStringList({u"x"_qs, QString(), QString()}))
        << "a shorter list empties the rest";
    cells.setCells(0, 2, u"y"_qs);
    EXPECT_EQ(cells.Cols(0), QStringList({QString(), u"x"_qs, u"y"_qs}));

    cells.setColCount(2);
    cells.setRowCount(4);
    EXPECT_EQ(cells.Rows(2), QStringList({u"y"_qs, QString()}));
    EXPECT_TRUE(cells.Cells(0, 3).isEmpty());
    cells.deleteRow(1);
    EXPECT_EQ(cells.RowCount(), 3);
    EXPECT_EQ(cells.Cells(0, 1), u"y"_qs);
}

// ---------------------------------------------------------------------------------------------
// Comparisons

TEST(SortCompare, ByteWiseComparisonUsesUnsignedWindows1252Codes)
{
    EXPECT_EQ(compareAnsi(u"abc", u"abd"), -1);
    EXPECT_EQ(compareAnsi(u"ab", u"abc"), -1) << "the beginning of a text comes first";
    EXPECT_EQ(compareAnsi(u"abc", u"ab"), 1);
    EXPECT_EQ(compareAnsi(u"abc", u"abc"), 0);
    EXPECT_EQ(compareAnsi(u"Z", u"a"), -1);
    // Codes above 127 count unsigned: after every ASCII letter.
    EXPECT_EQ(compareAnsi(u"\u00e9", u"z"), 1);
    // The euro sign is 0x80 in the code page: after ASCII, before Latin-1 letters.
    EXPECT_EQ(compareAnsi(u"\u20ac", u"z"), 1);
    EXPECT_EQ(compareAnsi(u"\u20ac", u"\u00c4"), -1);
    // Characters the code page lacks follow all others, and still differ from each other.
    EXPECT_EQ(compareAnsi(u"\u03a9", u"\u00ff"), 1);
    EXPECT_EQ(compareAnsi(u"\u03a9", u"\u03a8"), 1);
}

TEST(SortCompare, CaseFoldingTurnsOnlyAToZIntoLowerCase)
{
    EXPECT_EQ(foldCase(u"\u00c4RGER Zeit"_qs), u"\u00c4rger zeit"_qs);
    EXPECT_EQ(compareTexts(u"ABC"_qs, u"abc"_qs, ssNormal, false), 0);
    EXPECT_EQ(compareTexts(u"ABC"_qs, u"abc"_qs, ssNormal, true), -1);
    // Umlauts are left alone, so their cases still differ.
    EXPECT_NE(compareTexts(u"\u00c4"_qs, u"\u00e4"_qs, ssNormal, false), 0);

    QStringList seen;
    SortComparison spy = [&](const QString &a, const QString &b) {
        seen << a << b;
        return 0;
    };
    compareTexts(u"AUS"_qs, u"\u00dcber"_qs, ssCustom, false, spy);
    EXPECT_EQ(seen, QStringList({u"aus"_qs, u"\u00dcber"_qs})) << "the custom comparison sees folded texts";
}

TEST(SortCompare, NumericUsesTheLocaleAndFallsBackToBytes)
{
    // The test main sets German: the comma is the decimal separator.
    EXPECT_EQ(compareTexts(u"75,43"_qs, u"8,5"_qs, ssNumeric, false), 1);
    EXPECT_EQ(compareTexts(u"75,43"_qs, u"8,5"_qs, ssNormal, false), -1);
    EXPECT_EQ(compareTexts(u"-1,5"_qs, u"0"_qs, ssNumeric, false), -1);
    EXPECT_EQ(compareTexts(u"2"_qs, u"2,00"_qs, ssNumeric, false), 0);
    // "abc" is no number: the texts are compared, and "1" < "a".
    EXPECT_EQ(compareTexts(u"abc"_qs, u"10"_qs, ssNumeric, false), 1);
    // Group separators are not part of a number: "1.234" compares as text.
    EXPECT_EQ(compareTexts(u"1.234"_qs, u"5"_qs, ssNumeric, false), -1);

    const LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(compareTexts(u"75.43"_qs, u"8.5"_qs, ssNumeric, false), 1);
}

TEST(SortCompare, FastNumberReadingAgreesWithTheLocale)
{
    // Short plain numbers take the fast path, everything else goes to QLocale; both must agree.
    const QStringList inputs =
        QStringLiteral("75,43|0|-3|007|-75,43|0,1|0,3|1,1|1,5e3| 12 |,5|5,|1.234|1,2,3|--1|-||12a|+4|"
                       "1e400|inf|75.43|123456789012345|1234567890123456|0,000000000000001|"
                       "1,23456789012345|9007199254740993|99999999999999999999")
            .split(u'|');
    for (const QLocale &locale :
         {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        const LocaleConverter converter(locale);
        QLocale strict = locale;
        strict.setNumberOptions(QLocale::RejectGroupSeparator);
        for (const QString &input : inputs) {
            double fast = 0;
            const bool ok = converter.toDouble(input, fast);
            bool expectedOk = false;
            const double expected = strict.toDouble(input, &expectedOk);
            EXPECT_EQ(ok, expectedOk && std::isfinite(expected))
                << locale.name().toStdString() << " " << input.toStdString();
            if (ok) {
                EXPECT_EQ(fast, expected) << locale.name().toStdString() << " " << input.toStdString();
            }
        }
    }
}

TEST(SortCompare, DateAndTimeFollowTheLocaleFormats)
{
    const LocaleConverter converter;
    qint64 a = 0;
    qint64 b = 0;
    ASSERT_TRUE(converter.toTime(u"12:30", a));
    EXPECT_EQ(a, (12 * 60 + 30) * 60000);
    ASSERT_TRUE(converter.toTime(u" 7:05:09,5 ", a));
    EXPECT_EQ(a, ((7 * 60 + 5) * 60 + 9) * 1000 + 500);
    EXPECT_FALSE(converter.toTime(u"24:00", a));
    EXPECT_FALSE(converter.toTime(u"12.30", a));
    EXPECT_FALSE(converter.toTime(u"12", a));

    ASSERT_TRUE(converter.toDateTime(u"24.12.2023", a));
    ASSERT_TRUE(converter.toDateTime(u"24.12.2023 18:00", b));
    EXPECT_EQ(b - a, 18 * 3600000);
    ASSERT_TRUE(converter.toDateTime(u"1.2.2024", b));
    EXPECT_GT(b, a);
    ASSERT_TRUE(converter.toDateTime(u"01.01.99", a));
    ASSERT_TRUE(converter.toDateTime(u"01.01.05", b));
    EXPECT_LT(a, b) << "99 is 1999, 05 is 2005";
    EXPECT_FALSE(converter.toDateTime(u"31.02.2024", a));
    EXPECT_FALSE(converter.toDateTime(u"24.12.2023 abends", a));

    EXPECT_EQ(compareTexts(u"9:00"_qs, u"10:00"_qs, ssTime, false), -1);
    EXPECT_EQ(compareTexts(u"9:00"_qs, u"10:00"_qs, ssNormal, false), 1);
    EXPECT_EQ(compareTexts(u"02.01.2024"_qs, u"10.12.2023"_qs, ssDateTime, false), 1);

    const LocaleScope english(QLocale(QLocale::English, QLocale::UnitedStates));
    const LocaleConverter us;
    ASSERT_TRUE(us.toDateTime(u"12/24/2023", a));
    ASSERT_TRUE(us.toDateTime(u"1/2/2024", b));
    EXPECT_LT(a, b);
    ASSERT_TRUE(us.toTime(u"1:15 PM", a));
    EXPECT_EQ(a, (13 * 60 + 15) * 60000);
}

TEST(SortCompare, NumericExtendedComparesEmbeddedNumbers)
{
    EXPECT_EQ(compareNumericExtended(u"Lauf 10", u"Lauf 9"), 1);
    EXPECT_EQ(compareNumericExtended(u"Lauf 9", u"Lauf 10"), -1);
    EXPECT_EQ(compareNumericExtended(u"Lauf 123 b", u"Lauf 45 b"), 1);
    EXPECT_EQ(compareNumericExtended(u"Lauf 7", u"Lauf 7"), 0);
    // Equal numbers around different letters: the letters decide.
    EXPECT_EQ(compareNumericExtended(u"Nr 2a", u"Nr 2b"), -1);
    // What remains is no number: byte-wise, "1" before "9".
    EXPECT_EQ(compareNumericExtended(u"a10b", u"a9c"), -1);
    // The same number written differently still orders, by its text.
    EXPECT_EQ(compareNumericExtended(u"07", u"7"), -1);
    EXPECT_EQ(compareNumericExtended(u"x 100000000000000000000", u"x 99"), 1) << "beyond 64 bits";
}

TEST(SortCompare, NumericExtendedStepsAsWritten)
{
    // An empty text is always -1, whichever side it is on.
    EXPECT_EQ(compareNumericExtended(u"", u"Lauf 1"), -1);
    EXPECT_EQ(compareNumericExtended(u"Lauf 1", u""), -1);
    EXPECT_EQ(compareNumericExtended(u"", u""), -1);
    // A shared last character of the shorter text is dropped with the rest of the longer one.
    EXPECT_EQ(compareNumericExtended(u"Lauf", u"Laufen"), 0);
    // Case folding happens before the steps when the sort is not case-sensitive.
    EXPECT_EQ(compareTexts(u"LAUF 3"_qs, u"lauf 3"_qs, ssNumericExtended, false), 0);
    EXPECT_NE(compareTexts(u"LAUF 3"_qs, u"lauf 3"_qs, ssNumericExtended, true), 0);
}

TEST(SortCompare, DetectSortStyleLooksAtEveryDataRow)
{
    auto detect = [](const QStringList &texts) {
        QList<QStringList> rows;
        for (const QString &text : texts)
            rows.append({text});
        return DetectSortStyle(makeCells({u"Caption is no number"_qs}, rows), 0);
    };
    EXPECT_EQ(detect({u"1"_qs, u"2,5"_qs, u"-3"_qs}), ssNumeric);
    EXPECT_EQ(detect({u"24.12.2023"_qs, u"1.1.2024 10:00"_qs}), ssDateTime);
    EXPECT_EQ(detect({u"10:00"_qs, u"9:15:30"_qs}), ssTime);
    EXPECT_EQ(detect({u"1"_qs, u"zwei"_qs}), ssNormal);
    EXPECT_EQ(detect({u"1"_qs, QString()}), ssNormal) << "an empty text is no number";
    EXPECT_EQ(detect({}), ssNumeric) << "no data rows";
}

// ---------------------------------------------------------------------------------------------
// Sort engine

TEST(SortRows, TextsSortAsTextAndNumbersAsNumbers)
{
    const QStringList keys = {u"10"_qs, u"9"_qs, u"2"_qs};
    EXPECT_EQ(sortedColumn(keys, ssNormal), QStringList({u"10"_qs, u"2"_qs, u"9"_qs}));
    EXPECT_EQ(sortedColumn(keys, ssAutomatic), QStringList({u"2"_qs, u"9"_qs, u"10"_qs}))
        << "without a handler, ssAutomatic detects the numbers";
    EXPECT_EQ(sortedColumn(keys, ssNumeric), QStringList({u"2"_qs, u"9"_qs, u"10"_qs}));
    EXPECT_EQ(sortedColumn(keys, ssNumeric, sdDescending), QStringList({u"10"_qs, u"9"_qs, u"2"_qs}));
    EXPECT_EQ(sortedColumn({u"Lauf 10"_qs, u"Lauf 9"_qs, u"Lauf 100"_qs}, ssNumericExtended),
              QStringList({u"Lauf 9"_qs, u"Lauf 10"_qs, u"Lauf 100"_qs}));
}

TEST(SortRows, EqualKeysKeepTheirOrderInBothDirectionsForEveryStyle)
{
    // Rows A and C have equal keys, so do B and D; A and C are the greater ones.
    struct Case
    {
        TSortStyle style;
        QStringList keys; // A, B, C, D
    };
    const QList<Case> cases = {
        {ssAutomatic, {u"b"_qs, u"a"_qs, u"b"_qs, u"a"_qs}},
        {ssNormal, {u"B"_qs, u"a"_qs, u"b"_qs, u"A"_qs}}, // equal after case folding
        {ssNumeric, {u"2"_qs, u"1"_qs, u"2,0"_qs, u"1"_qs}},
        {ssNumericExtended, {u"Lauf 2"_qs, u"Lauf 1"_qs, u"Lauf 2"_qs, u"Lauf 1"_qs}},
        {ssDateTime, {u"02.01.2024"_qs, u"01.01.2024"_qs, u"02.01.2024 00:00"_qs, u"1.1.2024"_qs}},
        {ssTime, {u"10:00"_qs, u"09:00"_qs, u"10:00:00"_qs, u"9:00"_qs}},
        {ssCustom, {u"75,43"_qs, u"12,00"_qs, u"75,43"_qs, u"12,00"_qs}},
    };
    for (const Case &c : cases) {
        for (const TSortDirection direction : {sdAscending, sdDescending}) {
            StringGridCells cells = makeCells(
                {u"Key"_qs, u"Tag"_qs},
                {{c.keys[0], u"A"_qs}, {c.keys[1], u"B"_qs}, {c.keys[2], u"C"_qs}, {c.keys[3], u"D"_qs}});
            TSortOptions options;
            options.SortStyle = c.style;
            options.SortDirection = direction;
            if (c.style == ssCustom) {
                options.SortCompare = [](const QString &a, const QString &b) {
                    return compareTexts(a, b, ssNumeric, false);
                };
            }
            sortRows(cells, 0, options);
            const QStringList expected = direction == sdAscending
                                             ? QStringList({u"B"_qs, u"D"_qs, u"A"_qs, u"C"_qs})
                                             : QStringList({u"A"_qs, u"C"_qs, u"B"_qs, u"D"_qs});
            EXPECT_EQ(column(cells, 1), expected) << "style " << c.style << " direction " << direction;
        }
    }
}

TEST(SortRows, HeaderRowNeverMoves)
{
    StringGridCells cells = makeCells({u"zzz"_qs}, {{u"b"_qs}, {u"a"_qs}, {u""_qs}});
    TSortOptions options;
    sortRows(cells, 0, options);
    EXPECT_EQ(cells.Cols(0), QStringList({u"zzz"_qs, QString(), u"a"_qs, u"b"_qs}));
    options.SortDirection = sdDescending;
    sortRows(cells, 0, options);
    EXPECT_EQ(cells.Cols(0), QStringList({u"zzz"_qs, u"b"_qs, u"a"_qs, QString()}));
}

TEST(SortRows, WholeRowsMoveAndTheOrderSaysWhereFrom)
{
    StringGridCells cells =
        makeCells({u"Nr."_qs, u"Name"_qs}, {{u"3"_qs, u"C"_qs}, {u"1"_qs, u"A"_qs}, {u"2"_qs, u"B"_qs}});
    TSortOptions options;
    const std::vector<int> order = sortRows(cells, 0, options);
    EXPECT_EQ(order, std::vector<int>({0, 2, 3, 1}));
    EXPECT_EQ(column(cells, 1), QStringList({u"A"_qs, u"B"_qs, u"C"_qs}));
    EXPECT_EQ(options.SortCol, 0);
}

TEST(SortRows, SecondaryKeysOrderRowsWithEqualPrimaryKeys)
{
    const QList<QStringList> rows = {{u"b"_qs, u"y"_qs, u"2"_qs},
                                     {u"a"_qs, u"z"_qs, u"1"_qs},
                                     {u"b"_qs, u"x"_qs, u"1"_qs},
                                     {u"a"_qs, u"y"_qs, u"1"_qs}};
    StringGridCells cells = makeCells({u"G"_qs, u"N"_qs, u"P"_qs}, rows);
    TSortOptions options;
    options.SecondaryIndex = QStringLiteral("1");
    sortRows(cells, 0, options);
    EXPECT_EQ(column(cells, 1), QStringList({u"y"_qs, u"z"_qs, u"x"_qs, u"y"_qs}));

    // The primary column in the list is ignored; the lower keys rank in list order; entries that
    // are no column are skipped.
    cells = makeCells({u"G"_qs, u"N"_qs, u"P"_qs}, rows);
    options.SecondaryIndex = QStringLiteral("0, 2,x,9,1");
    options.SortDirection = sdDescending;
    sortRows(cells, 0, options);
    EXPECT_EQ(column(cells, 1), QStringList({u"y"_qs, u"x"_qs, u"z"_qs, u"y"_qs}));
    EXPECT_EQ(sortKeys(options.SecondaryIndex, 0, 3), std::vector<int>({0, 2, 1}));
}

TEST(SortRows, StyleHandlerIsAskedOncePerKeyLowestFirst)
{
    StringGridCells cells =
        makeCells({u"A"_qs, u"B"_qs, u"C"_qs}, {{u"1"_qs, u"x"_qs, u"p"_qs}, {u"2"_qs, u"y"_qs, u"q"_qs}});
    TSortOptions options;
    options.SecondaryIndex = QStringLiteral("2,1");
    QList<int> asked;
    sortRows(cells, 0, options, [&](int col, TSortStyle &style) {
        asked.append(col);
        style = ssNormal;
    });
    EXPECT_EQ(asked, QList<int>({1, 2, 0}));
}

TEST(SortRows, CustomComparisonIsUsedOnceAndThenCleared)
{
    StringGridCells cells = makeCells({u"Zeit"_qs}, {{u"AUS"_qs}, {u"75,43"_qs}, {QString()}, {u"12,05"_qs}});
    TSortOptions options;
    options.SortStyle = ssAutomatic;
    // The program's time comparison: no time sorts after every time.
    auto key = [](const QString &text) {
        double value = 0;
        return text.isEmpty() || text == u"aus" || !LocaleConverter().toDouble(text, value) ? 2147483647.0
                                                                                            : value;
    };
    auto handler = [&](int, TSortStyle &style) {
        style = ssCustom;
        options.SortCompare = [&](const QString &a, const QString &b) {
            return key(a) < key(b) ? -1 : (key(a) > key(b) ? 1 : 0);
        };
    };
    sortRows(cells, 0, options, handler);
    EXPECT_EQ(column(cells, 0), QStringList({u"12,05"_qs, u"75,43"_qs, u"AUS"_qs, QString()}));
    EXPECT_FALSE(options.SortCompare) << "cleared after the sort";
    EXPECT_EQ(options.SortStyle, ssCustom) << "the handler's answer is kept";

    // Without a comparison ssCustom compares the texts.
    sortRows(cells, 0, options);
    EXPECT_EQ(column(cells, 0), QStringList({QString(), u"12,05"_qs, u"75,43"_qs, u"AUS"_qs}));
}

TEST(SortRows, DetectedStyleStaysForLaterSorts)
{
    StringGridCells cells = makeCells({u"K"_qs}, {{u"10"_qs}, {u"9"_qs}});
    TSortOptions options;
    options.SortStyle = ssAutomatic;
    sortRows(cells, 0, options);
    EXPECT_EQ(options.SortStyle, ssNumeric);
    cells.setCells(0, 1, u"b"_qs);
    sortRows(cells, 0, options);
    EXPECT_EQ(options.SortStyle, ssNumeric) << "not detected again";
}

TEST(SortRows, CaseFoldingUnlessCaseSensitive)
{
    const QStringList keys = {u"b"_qs, u"B"_qs, u"a"_qs};
    EXPECT_EQ(sortedColumn(keys, ssNormal), QStringList({u"a"_qs, u"b"_qs, u"B"_qs}));
    QList<QStringList> rows = {{keys[0]}, {keys[1]}, {keys[2]}};
    StringGridCells cells = makeCells({u"K"_qs}, rows);
    TSortOptions options;
    options.SortCaseSensitive = true;
    sortRows(cells, 0, options);
    EXPECT_EQ(column(cells, 0), QStringList({u"B"_qs, u"a"_qs, u"b"_qs}));
}

TEST(SortRows, NothingHappensWhenSortingIsOff)
{
    StringGridCells cells = makeCells({u"K"_qs, u"L"_qs}, {{u"b"_qs}, {u"a"_qs}});
    TSortOptions options;
    options.CanSort = false;
    options.SortCol = 1;
    options.SortCompare = [](const QString &, const QString &) { return 0; };
    int asked = 0;
    EXPECT_TRUE(sortRows(cells, 0, options, [&](int, TSortStyle &) { ++asked; }).empty());
    EXPECT_EQ(column(cells, 0), QStringList({u"b"_qs, u"a"_qs}));
    EXPECT_EQ(options.SortCol, 1);
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(options.SortCompare);
}

// ---------------------------------------------------------------------------------------------
// Header caption and typed characters

TEST(SortGridText, CaptionIsShortenedWithTwoDots)
{
    // Letters 10 pixels wide, dots 3.
    auto width = [](const QString &text) {
        int pixels = 0;
        for (QChar c : text)
            pixels += c == u'.' ? 3 : 10;
        return pixels;
    };
    EXPECT_EQ(shortenCaption(u"Platz"_qs, 50, width), u"Platz"_qs);
    EXPECT_EQ(shortenCaption(u"Platz"_qs, 49, width), u"Pla.."_qs);
    EXPECT_EQ(shortenCaption(u"Platz"_qs, 30, width), u"Pl.."_qs);
    EXPECT_EQ(shortenCaption(u"Platz"_qs, 20, width), u"P.."_qs);
    EXPECT_EQ(shortenCaption(u"Platz"_qs, 5, width), u"P.."_qs) << "never shorter than one letter and ..";
    EXPECT_EQ(shortenCaption(u"Nr."_qs, 20, width), u"N.."_qs);
    EXPECT_EQ(shortenCaption(u"X"_qs, 5, width), u"X"_qs);
}

TEST(SortGridText, TypedCharacterFindsTheNextRowAndWraps)
{
    const StringGridCells cells = makeCells({u"Nr."_qs, u"Name"_qs}, {{u"1"_qs, u"Anna"_qs},
                                                                      {u"2"_qs, u"max"_qs},
                                                                      {u"3"_qs, u"Bert"_qs},
                                                                      {u"4"_qs, u"Moritz"_qs},
                                                                      {u"5"_qs, QString()},
                                                                      {u"6"_qs, u"\u00c4rger"_qs}});
    EXPECT_EQ(findRowByChar(cells, 1, 1, u'm'), 2);
    EXPECT_EQ(findRowByChar(cells, 1, 2, u'm'), 4);
    EXPECT_EQ(findRowByChar(cells, 1, 4, u'M'), 2) << "wraps to the top";
    EXPECT_EQ(findRowByChar(cells, 1, 3, u'b'), 3) << "the current row is the last one looked at";
    EXPECT_EQ(findRowByChar(cells, 1, 1, u'\u00e4'), -1) << "only a-z are upper-cased";
    EXPECT_EQ(findRowByChar(cells, 1, 1, u'z'), -1);
    EXPECT_EQ(findRowByChar(cells, 0, 1, u'5'), 5) << "the sort column decides";
}
