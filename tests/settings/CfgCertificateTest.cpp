#include "controls/ButtonWithColor.h"
#include "printing/Preview.h"
#include "settings/Cfg.h"
#include "settings/QtTranslations.h"
#include "tests/TestSupport.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QFontDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A dialog as the program creates it at start, shown as the settings button shows it.
class CertEditor : public ::testing::Test
{
protected:
    void SetUp() override { dialog.show(); }
    void TearDown() override { dialog.close(); }

    void select(int kind) { cbWho->setCurrentIndex(kind); }
    TCertField record(int kind) const { return certField(settings.CertLayout, kind); }
    TCfgDialog::SheetLabel label(int kind) const { return dialog.sheetLabels().at(kind); }

    Settings settings;
    TCfgDialog dialog{settings, 0};
    // The editor's controls, found by their names.
    QComboBox *cbWho = childOf<QComboBox>(dialog, "cbWho");
    QLineEdit *Edit1 = childOf<QLineEdit>(dialog, "Edit1");
    SpinEdit *seLeft = childOf<SpinEdit>(dialog, "seLeft");
    TBitBtnWithColor *bFont = childOf<TBitBtnWithColor>(dialog, "bFont");
    TPaperPreview *PaperPreview1 = childOf<TPaperPreview>(dialog, "PaperPreview1");
};

// How many pixels of the sheet inside rect are mainly green (or, with red, mainly red): the labels
// are drawn smoothed, so few pixels carry the pen's exact colour.
int pixelsOf(const QImage &sheet, const QRect &rect, bool red)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = pixelAt(sheet, x, y);
            const int main = red ? c.red() : c.green();
            const int other = red ? c.green() : c.red();
            count += main > other + 60 && main > c.blue() + 60;
        }
    }
    return count;
}

} // namespace

TEST_F(CertEditor, FirstStartSheet)
{
    for (int kind = 0; kind < CertFieldCount; ++kind)
        EXPECT_EQ(record(kind), defaultCertField(kind)) << kind; // the first exit stores them
    EXPECT_EQ(PaperPreview1->size(), QSize(212, 302));
    EXPECT_EQ(PaperPreview1->PageRect(), QRect(1, 1, 207, 297));

    const auto labels = dialog.sheetLabels();
    ASSERT_EQ(labels.size(), CertFieldCount);
    const QImage sheet = PaperPreview1->grab().toImage();
    for (int kind = 0; kind < CertFieldCount; ++kind) {
        const bool on = kind < 8;
        EXPECT_EQ(labels[kind].text, cbWho->itemText(kind));
        EXPECT_EQ(labels[kind].topLeft, QPoint(30, 16 * kind));
        EXPECT_EQ(labels[kind].color, on ? clGreen : clRed);
        const QRect area(31, 16 * kind, 20, 12);
        EXPECT_GT(pixelsOf(sheet, area, !on), 5) << kind;
        EXPECT_EQ(pixelsOf(sheet, area, on), 0) << kind;
    }
    EXPECT_EQ(labels[8].text, u"1. Zeile"_qs);
    EXPECT_EQ(labels[17].text, u"10. Zeile"_qs);
}

TEST_F(CertEditor, AlignmentShiftsTheLabel)
{
    const int width = QFontMetrics(PaperPreview1->font()).horizontalAdvance(u"Land"_qs);
    select(2);
    seLeft->setValue(105);
    const int drawnFrom[] = {105, 105 - width / 2, 105 - width};
    for (int align : {0, 1, 2}) {
        childOf<QComboBox>(dialog, "cbAlign")->setCurrentIndex(align);
        EXPECT_EQ(record(2).Align, align); // written at once
        EXPECT_EQ(label(2).topLeft.x(), drawnFrom[align]) << align;
    }
}

TEST_F(CertEditor, LineTextRule)
{
    struct Case
    {
        QString typed;    // Edit1 when the line is left
        QString reselect; // Edit1 when it is chosen again
    };
    const Case cases[] = {
        {u"Sieger"_qs, u"Sieger"_qs},
        {QString(), u"3. Zeile drucken"_qs},
        {u"Die 3. Zeile neu"_qs, u"3. Zeile drucken"_qs},
    };
    for (const Case &c : cases) {
        select(10);
        EXPECT_EQ(Edit1->text(), u"3. Zeile drucken"_qs);
        EXPECT_TRUE(Edit1->isEnabled());
        EXPECT_EQ(dialog.focusWidget(), Edit1);
        Edit1->clear();
        QTest::keyClicks(Edit1, c.typed);
        if (!c.typed.isEmpty()) {
            EXPECT_EQ(label(10).text, c.typed); // the sheet follows the keys
        }
        select(0);
        EXPECT_FALSE(Edit1->isEnabled());
        EXPECT_EQ(record(10).Text, c.typed);
        select(10);
        EXPECT_EQ(Edit1->text(), c.reselect) << c.typed.toStdString();
        Edit1->setText(u"3. Zeile"_qs);
        select(0);
    }
    select(10);
    // The stored line is cut to 255 characters.
    Edit1->setText(QString(300, u'é'));
    select(0);
    EXPECT_EQ(record(10).Text, QString(255, u'é'));
}

TEST_F(CertEditor, ClickPlacesTheField)
{
    struct Case
    {
        QString format;
        QPoint click;
        QPoint stored;
    };
    const Case cases[] = {
        {u"A4"_qs, {100, 150}, {100, 150}},
        {u"A3"_qs, {100, 150}, {200, 300}},
        {u"A3"_qs, {206, 296}, {412, 592}},
    };
    for (const Case &c : cases) {
        select(4);
        const TCertField was = record(4);
        childOf<QComboBox>(dialog, "cbZoom")->setCurrentText(c.format);
        QTest::mouseClick(PaperPreview1, Qt::RightButton, {}, c.click);
        EXPECT_EQ(seLeft->value(), c.stored.x());
        EXPECT_EQ(childOf<SpinEdit>(dialog, "seTop")->value(), c.stored.y());
        EXPECT_EQ(label(4).topLeft, c.click) << c.format.toStdString(); // under the pointer
        EXPECT_EQ(record(4), was);                                      // not stored yet
        select(5);
        EXPECT_EQ(QPoint(record(4).Left, record(4).Top), c.stored);
    }
}

TEST_F(CertEditor, SpinEntryThatIsNoNumberReadsAsZero)
{
    select(1);
    auto *entry = seLeft->findChild<QLineEdit *>();
    ASSERT_TRUE(entry);
    entry->selectAll();
    QTest::keyClick(entry, Qt::Key_Backspace);
    EXPECT_EQ(seLeft->entryValue(), 0);
    EXPECT_EQ(label(1).topLeft.x(), 0);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(seLeft, &leave);
    EXPECT_EQ(seLeft->text(), u"0"_qs);
    select(2);
    EXPECT_EQ(record(1).Left, 0);
}

TEST_F(CertEditor, CancelRestoresAndOkStores)
{
    dialog.close();
    const QByteArray before = settings.CertLayout;
    QTimer::singleShot(0, &dialog, [&] {
        select(3);
        childOf<QCheckBox>(dialog, "cbON")->click();
        childOf<QComboBox>(dialog, "cbAlign")->setCurrentIndex(2);
        EXPECT_FALSE(record(3).Enabled);
        seLeft->setValue(77);
        select(12);
        QTest::mouseClick(childOf<QWidget>(dialog, "CancelBtn"), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.execute(), 2);
    EXPECT_EQ(settings.CertLayout, before);

    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(cbWho->currentIndex(), 12); // the choice of field persists
        EXPECT_EQ(childOf<SpinEdit>(dialog, "seTop")->value(),
                  192); // but the controls show the restored record
        seLeft->setValue(140);
        QTest::mouseClick(childOf<QWidget>(dialog, "OKBtn"), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.execute(), 1);
    EXPECT_EQ(record(12).Left, 140);
    EXPECT_EQ(record(3), defaultCertField(3));
}

TEST_F(CertEditor, FontShownAtTwiceItsSize)
{
    EXPECT_EQ(bFont->font().pointSize(), 24);
    QFont offered;
    dialog.execFontDialog = [&](QFontDialog &fontDialog) {
        offered = fontDialog.currentFont();
        QFont chosen(u"Liberation Sans"_qs);
        chosen.setPointSize(10);
        chosen.setItalic(true);
        fontDialog.setCurrentFont(chosen);
        return int(QDialog::Accepted);
    };
    select(6);
    bFont->click();
    EXPECT_EQ(offered.pointSize(), 12);
    EXPECT_EQ(offered.family(), u"Liberation Serif"_qs); // the face "Times New Roman" resolves to
    EXPECT_EQ(bFont->font().pointSize(), 20);
    select(0);
    EXPECT_EQ(std::tuple(record(6).FontName, record(6).FontSize, record(6).FontStyle),
              std::tuple(u"Liberation Sans"_qs, 10, int(fsItalic)));

    // Confirming the shown font keeps the written name, not the font standing in for it.
    dialog.execFontDialog = [](QFontDialog &) { return int(QDialog::Accepted); };
    bFont->click();
    select(1);
    EXPECT_EQ(std::tuple(record(0).FontName, record(0).FontSize, record(0).FontStyle),
              std::tuple(u"Times New Roman"_qs, 12, int(fsBold)));
}

TEST_F(CertEditor, FontDialogUnderGermanTextsOpensOnTheFieldsFont)
{
    const auto german = installQtTranslations(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_TRUE(german);
    for (const int style : {0, int(fsBold), int(fsItalic), fsBold | fsItalic, fsBold | fsUnderline}) {
        TCertField field = record(9);
        field.FontStyle = style;
        field.FontSize = 14;
        field.Text = u"Sieger"_qs;
        setCertField(settings.CertLayout, 9, field);
        const QByteArray before = settings.CertLayout;
        select(9);
        QFont offered;
        dialog.execFontDialog = [&](QFontDialog &fontDialog) {
            offered = fontDialog.currentFont();
            return int(QDialog::Accepted);
        };
        bFont->click();
        EXPECT_EQ(offered.family(), u"Liberation Serif"_qs) << style;
        EXPECT_EQ(offered.pointSize(), 14) << style;
        EXPECT_EQ(offered.bold(), bool(style & fsBold)) << style;
        EXPECT_EQ(offered.italic(), bool(style & fsItalic)) << style;
        EXPECT_EQ(offered.underline(), bool(style & fsUnderline)) << style;
        select(0);
        EXPECT_EQ(settings.CertLayout, before) << style;
    }
}

TEST_F(CertEditor, DateAndFileNameAreShownNotStored)
{
    dialog.setCurrentDate([] { return QDate(2026, 3, 5); });
    dialog.setProtocolName(u"Fohlenrennen"_qs);
    select(6);
    EXPECT_EQ(Edit1->text(), u"05.03.2026"_qs);
    EXPECT_FALSE(Edit1->isEnabled());
    select(7);
    EXPECT_EQ(Edit1->text(), u"Fohlenrennen"_qs);
    select(0);
    EXPECT_TRUE(record(6).Text.isEmpty());
    EXPECT_TRUE(record(7).Text.isEmpty());
    EXPECT_EQ(label(6).text, u"Datum"_qs);
}
