#include "settings/EntryDialog.h"
#include "tests/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct EntryCase
{
    const char *typed;
    bool invalid;
    bool accepted;
    const char *time; // what the box hands on when accepted
};

// Times in hundredths pass and are handed on as the program writes them; anything else is refused
// unless the run is invalid.
const EntryCase EntryCases[] = {
    {"12,34", false, true, "12,34"}, {" 9,05 ", false, true, "9,05"},  {"1234,00", false, true, "1234,00"},
    {"12.34", false, false, ""},     {"12,3", false, true, "12,30"},   {"12,345", false, false, ""},
    {"12", false, true, "12,00"},    {"012,00", false, true, "12,00"}, {",34", false, false, ""},
    {"0,00", false, false, ""},      {"-1,00", false, false, ""},      {"1e1,00", false, false, ""},
    {"", false, false, ""},          {"12345,00", false, false, ""},   {"", true, true, "0,00"},
    {"Unsinn", true, true, "0,00"},
};

} // namespace

TEST(EntryDialog, TakesTimesInHundredthsAndWritesThemAsTheProgramDoes)
{
    EntryDialog box;
    box.show();
    for (const EntryCase &c : EntryCases) {
        SCOPED_TRACE(c.typed);
        box.setRiders({{3, u" 3 Maria"_qs}, {7, u" 7 Jörg"_qs}}, 7);
        box.setResult(0);
        QTest::keyClicks(childOf<QLineEdit>(box, "edZeit"), QString::fromUtf8(c.typed));
        if (c.invalid)
            QTest::mouseClick(childOf<QCheckBox>(box, "cbUngueltig"), Qt::LeftButton);
        QTest::mouseClick(childOf<QPushButton>(box, "OKBtn"), Qt::LeftButton);
        EXPECT_EQ(box.result() == QDialog::Accepted, c.accepted);
        EXPECT_EQ(childOf<QLabel>(box, "lbFehler")->text().isEmpty(), c.accepted)
            << childOf<QLabel>(box, "lbFehler")->text().toStdString();
        if (c.accepted) {
            EXPECT_EQ(box.number(), 7);
            EXPECT_EQ(box.timeText(), QString::fromUtf8(c.time));
        }
    }
}

TEST(EntryDialog, AsksForARiderWhenNoneIsChosen)
{
    EntryDialog box;
    box.show();
    box.setRiders({{3, u" 3 Maria"_qs}}, -1);
    QTest::keyClicks(childOf<QLineEdit>(box, "edZeit"), u"12,34"_qs);
    QTest::mouseClick(childOf<QPushButton>(box, "OKBtn"), Qt::LeftButton);
    EXPECT_NE(box.result(), QDialog::Accepted);
    EXPECT_EQ(childOf<QLabel>(box, "lbFehler")->text(), u"Bitte einen Reiter wählen."_qs);
}
