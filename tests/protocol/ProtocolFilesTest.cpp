#include "protocol/ProtocolFiles.h"
#include "controls/SortGrid.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(csvRecord(row({u"1", u"Anna", u"", u"", u""})), QStringLiteral("1;Anna;;;\r\n"));
    EXPECT_EQ(csvRecord(row({u"1", u"Müller; Hans", u"\"Blitz\"", u"a\r\nb", u""})),
              QStringLiteral("1;\"Müller; Hans\";\"\"\"Blitz\"\"\";\"a\r\nb\";\r\n"));
}

TEST(ProtocolFormat, CsvWrittenByTheProgramReadsBackCellForCell)
{
    const QList<QStringList> rows = {
        row({u"1", u"Müller; Hans", u"", u"12,34", u"1"}),
        row({u"", u"", u"", u"", u""}),
        row({u"3", u"Say \"hi\"", u"two\nlines", u"", u"x;y"}),
        row({u" ", u"", u"Gáski", u"", u""}),
    };
    QString text = csvRecord(row({u"Nr.", u"Name", u"Pferd", u"Zeit", u"Platz"}));
    for (const QStringList &r : rows)
        text += csvRecord(r);
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
