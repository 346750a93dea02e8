#include "protocol/ProtocolFiles.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace ProtocolFormat;

namespace {

QStringList row(std::initializer_list<const char16_t *> cells)
{
    QStringList list;
    for (const char16_t *c : cells)
        list.append(QString::fromUtf16(c));
    return list;
}

} // namespace

TEST(ProtocolFormat, TextLinesEndEveryFieldWithTabAndWriteBlanksForEmptyCells)
{
    EXPECT_EQ(textLine(row({u"2", u"Anna", u"Blær", u"", u""})), QStringLiteral("2\tAnna\tBlær\t \t \t\r\n"));
}

TEST(ProtocolFormat, CsvQuotesOnlyFieldsThatWouldSplit)
{
    EXPECT_EQ(csvLine(row({u"1", u"Anna", u"", u"", u""})), QStringLiteral("1;Anna;;;\r\n"));
    EXPECT_EQ(csvLine(row({u"1", u"Müller; Hans", u"\"Blitz\"", u"a\r\nb", u""})),
              QStringLiteral("1;\"Müller; Hans\";\"\"\"Blitz\"\"\";\"a\r\nb\";\r\n"));
}

TEST(ProtocolFormat, CsvWrittenByTheProgramReadsBackCellForCell)
{
    const QList<QStringList> rows = {
        row({u"1", u"Müller; Hans", u"", u"12,34", u"1"}),
        row({u" ", u"", u"", u"", u""}),
        row({u"3", u"Say \"hi\"", u"two\nlines", u"", u"x;y"}),
        row({u" ", u"", u"Gáski", u"", u""}),
    };
    QString text = csvLine(row({u"Nr.", u"Name", u"Pferd", u"Zeit", u"Platz"}));
    for (const QStringList &r : rows)
        text += csvLine(r);
    EXPECT_EQ(parseRows(text), rows);
}

TEST(ProtocolFormat, TabLinesCollapseRunsAndKeepBlanks)
{
    // A text protocol reads back with its blanks; empty fields in the middle collapse.
    const QString text = QStringLiteral("Nr.\tName\tPferd\tZeit\tPlatz\t\r\n"
                                        "2\tAnna\tBlær\t \t \t\r\n"
                                        "3\tJörg\t\t\t12,00\t\r\n"
                                        "\t\t\t\r\n"
                                        "\tlate\r\n"
                                        "4\ta;b\tc\td\te\tf\tg\r\n");
    const QList<QStringList> rows = parseRows(text);
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], row({u"2", u"Anna", u"Blær", u" ", u" "}));
    EXPECT_EQ(rows[1], row({u"3", u"Jörg", u"12,00", u"", u""}));
    EXPECT_EQ(rows[2], row({u" ", u"", u"", u"", u""}));
    EXPECT_EQ(rows[3], row({u" ", u"late", u"", u"", u""}));
    // TAB wins over ";", which stays inside the value; pieces beyond five are dropped.
    EXPECT_EQ(rows[4], row({u"4", u"a;b", u"c", u"d", u"e"}));
}

TEST(ProtocolFormat, StartListsWithoutHeaderAndEmptyLines)
{
    const QString text = QStringLiteral("1;Anna;Blær\n\nNr;x\n2;Jörg;Glói\rNummer;3;y");
    const QList<QStringList> rows = parseRows(text);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], row({u"1", u"Anna", u"Blær", u"", u""}));
    EXPECT_EQ(rows[1], row({u"", u"", u"", u"", u""}));
    EXPECT_EQ(rows[2], row({u"2", u"Jörg", u"Glói", u"", u""}));
    // Only "Nr" marks a header; any other first line is an entry.
    EXPECT_EQ(rows[3], row({u"Nummer", u"3", u"y", u"", u""}));
}

TEST(ProtocolFormat, TextLinesWriteLineBreaksAndTabsInsideCellsAsBlanks)
{
    const QString line = textLine(row({u"1", u"Anna\r\nMaria", u"a\tb", u"x\ny", u"p\rq"}));
    EXPECT_EQ(line, QStringLiteral("1\tAnna Maria\ta b\tx y\tp q\t\r\n"));
    EXPECT_EQ(parseRows(line), QList<QStringList>({row({u"1", u"Anna Maria", u"a b", u"x y", u"p q"})}));
}

TEST(ProtocolFormat, QuotesThatDoNotCloseAreOrdinaryCharacters)
{
    struct Case
    {
        const char *name;
        QString text;
        QList<QStringList> rows;
    };
    const Case cases[] = {
        {"unclosed quote keeps the following lines apart",
         u"1;Anna;\"Blitz\r\n2;Bernd;Donner\r\n3;Carla;Wetter\r\n4;Dora;Sturm\r\n"_qs,
         {row({u"1", u"Anna", u"\"Blitz", u"", u""}), row({u"2", u"Bernd", u"Donner", u"", u""}),
          row({u"3", u"Carla", u"Wetter", u"", u""}), row({u"4", u"Dora", u"Sturm", u"", u""})}},
        {"quotes around part of a name stay",
         u"1;Anna;\"Blitz\" vom Hof\r\n"_qs,
         {row({u"1", u"Anna", u"\"Blitz\" vom Hof", u"", u""})}},
        {"a quote closing in a later line but not at a field's end",
         u"1;\"Anna\r\n2;Bernd;\"Don\"\"ner\"\r\n"_qs,
         {row({u"1", u"\"Anna", u"", u"", u""}), row({u"2", u"Bernd", u"Don\"ner", u"", u""})}},
        {"a pair of quotes alone does not close",
         u"1;\"a\"\"b\n2;c\n"_qs,
         {row({u"1", u"\"a\"\"b", u"", u"", u""}), row({u"2", u"c", u"", u"", u""})}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseRows(c.text), c.rows) << c.name;
}

TEST(ProtocolFormat, CsvLinesWithAnEmptyFirstFieldGetABlankNumberAsTabLinesDo)
{
    const QList<QStringList> rows = parseRows(u";Anna;Stute\r\n\r\n;;;;\r\n\"\";Bernd\r\n\t\tCarla\r\n"_qs);
    const QList<QStringList> expected = {
        row({u" ", u"Anna", u"Stute", u"", u""}), row({u"", u"", u"", u"", u""}),
        row({u" ", u"", u"", u"", u""}),          row({u" ", u"Bernd", u"", u"", u""}),
        row({u" ", u"Carla", u"", u"", u""}),
    };
    EXPECT_EQ(rows, expected);
}

TEST(ProtocolFormat, LongCellsAreCutAndEmptyLinesAfterTheLastEntryIgnored)
{
    const QString longText(MaxCellLength + 5000, u'x');
    const QString cut(MaxCellLength, u'x');
    struct Case
    {
        const char *name;
        QString text;
        QList<QStringList> rows;
        int cutCells;
        int ignoredLines;
    };
    const Case cases[] = {
        {"one long line", longText, {QStringList{cut, {}, {}, {}, {}}}, 1, 0},
        {"long CSV cells, one quoted",
         u"1;"_qs + longText + u";\""_qs + longText + u"\"\r\n"_qs,
         {QStringList{u"1"_qs, cut, cut, {}, {}}},
         2,
         0},
        {"long TAB cell", u"1\t"_qs + longText + u"\t\r\n"_qs, {QStringList{u"1"_qs, cut, {}, {}, {}}}, 1, 0},
        {"lone CRs after the entries",
         u"1;Anna\r2;Bernd\r"_qs + QString(800, u'\r'),
         {row({u"1", u"Anna", u"", u"", u""}), row({u"2", u"Bernd", u"", u"", u""})},
         0,
         800},
        {"empty lines between entries stay",
         u"1;Anna\n\n\n2;Bernd\n\n"_qs,
         {row({u"1", u"Anna", u"", u"", u""}), row({u"", u"", u"", u"", u""}), row({u"", u"", u"", u"", u""}),
          row({u"2", u"Bernd", u"", u"", u""})},
         0,
         1},
        {"nothing but line breaks", QString(1000, u'\n'), {}, 0, 1000},
    };
    for (const Case &c : cases) {
        ParseReport report;
        EXPECT_EQ(parseRows(c.text, ColumnCount, &report), c.rows) << c.name;
        EXPECT_EQ(report.cutCells, c.cutCells) << c.name;
        EXPECT_EQ(report.ignoredEmptyLines, c.ignoredLines) << c.name;
        EXPECT_FALSE(report.cutShort) << c.name;
    }
}

TEST(ProtocolFormat, ReadingStopsAfterTheMostRowsAndTextALoadKeeps)
{
    struct Case
    {
        const char *name;
        QString text;
        QString lastKept;
        bool cut;
    };
    QString entries;
    for (int i = 1; i <= MaxRows + 5; ++i)
        entries += QString::number(i) + u";R\r\n"_qs;
    const QString gap = u"1;A\r"_qs + QString(MaxRows, u'\r') + u"2;B\r\n"_qs;
    QString longRows; // 4,001 to 4,004 characters a row: 999 rows stay below MaxText
    for (int i = 1; i <= 1010; ++i)
        longRows += QString::number(i) + QString(u";"_qs + QString(1000, u'x')).repeated(4) + u"\n"_qs;
    const Case cases[] = {
        {"just enough", entries.section(u"\r\n"_qs, 0, MaxRows - 1), QString::number(MaxRows), false},
        {"more entries", entries, QString::number(MaxRows), true},
        {"empty lines before an entry count", gap, u"1"_qs, true},
        {"much text", longRows, u"999"_qs, true},
    };
    for (const Case &c : cases) {
        ParseReport report;
        const QList<QStringList> rows = parseRows(c.text, ColumnCount, &report);
        ASSERT_FALSE(rows.isEmpty()) << c.name;
        EXPECT_LE(rows.size(), MaxRows) << c.name;
        EXPECT_EQ(rows.constFirst().constFirst(), u"1"_qs) << c.name;
        const auto numbered = std::find_if(rows.crbegin(), rows.crend(),
                                           [](const QStringList &row) { return !row[0].isEmpty(); });
        EXPECT_EQ(numbered->constFirst(), c.lastKept) << c.name;
        EXPECT_EQ(report.cutShort, c.cut) << c.name;
    }
}
