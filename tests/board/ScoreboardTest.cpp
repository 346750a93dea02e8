#include "tests/app/FMainFixture.h"

#include "board/Scoreboard.h"
#include "board/ScoreboardLayout.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QScreen>

#include <qpa/qplatformnativeinterface.h>

#include <algorithm>

namespace {

// The offscreen desktop's screens, set as a projector is unplugged and plugged in again; returns them.
QJsonObject desktop(const QJsonObject *change = nullptr)
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    using Set = void (*)(const QJsonObject &, QPlatformNativeInterface *);
    using Get = QJsonObject (*)(QPlatformNativeInterface *);
    if (change)
        reinterpret_cast<Set>(native->nativeResourceForIntegration("setConfiguration"))(*change, native);
    return reinterpret_cast<Get>(native->nativeResourceForIntegration("configuration"))(native);
}

// The main window on the operator's screen "Bedienung", the spectators' screen "Tafel" beside it.
class ScoreboardTest : public FMainTest
{
protected:
    void SetUp() override
    {
        twoScreens = desktop();
        ASSERT_EQ(QGuiApplication::screens().size(), 2);
        FMainTest::SetUp();
    }

    void TearDown() override
    {
        FMainTest::TearDown();
        desktop(&twoScreens);
    }

    // The board while it shows, else null.
    static Scoreboard *board()
    {
        const QWidgetList windows = QApplication::topLevelWidgets();
        const auto shown = std::find_if(windows.begin(), windows.end(), [](QWidget *window) {
            return qobject_cast<Scoreboard *>(window) && window->isVisible();
        });
        return shown == windows.end() ? nullptr : static_cast<Scoreboard *>(*shown);
    }
    static QString text(const QString &name)
    {
        const auto *label = board()->findChild<QLabel *>(name);
        return label ? label->text() : u"?"_qs;
    }
    static QString boardTime(int lane)
    {
        QString shown;
        for (int i = 1; i <= 5; ++i)
            shown +=
                QString::number(board()->findChild<TDigit *>(u"Digit%1_%2"_qs.arg(lane).arg(i))->Value());
        return shown.insert(3, u',');
    }
    static QStringList rankRow(int row)
    {
        QStringList cells;
        for (int c = 1; c <= 5; ++c)
            cells << text(u"Rank%1_%2"_qs.arg(row).arg(c));
        return cells;
    }

    // The screens "Einstellungen" offers for the board; chooses one of them (-1 keeps the choice) with OK.
    QStringList settingsScreens(int choose)
    {
        QStringList offered;
        QTimer::singleShot(0, cfg, [&] {
            auto *screens = childOf<QComboBox>(*cfg, "cbAnzeigetafel");
            for (int i = 0; i < screens->count(); ++i)
                offered << screens->itemText(i);
            if (choose >= 0)
                screens->setCurrentIndex(choose);
            childOf<QPushButton>(*cfg, "OKBtn")->click();
        });
        key(Qt::Key_E, Qt::AltModifier);
        return offered;
    }

    QJsonObject twoScreens;
};

} // namespace

TEST_F(ScoreboardTest, ShowsTheHeatAndTheRankingFullScreenBesideTheOperatorWithoutTakingTheFocus)
{
    EXPECT_EQ(board(), nullptr); // off at the first start
    EXPECT_EQ(settingsScreens(1), QStringList({u"aus"_qs, u"Bildschirm 2 (1920 × 1080)"_qs}));
    ASSERT_NE(board(), nullptr);
    QScreen *spectators = QGuiApplication::screens().at(1);
    EXPECT_EQ(board()->screen(), spectators);
    EXPECT_EQ(board()->geometry(), spectators->geometry());
    EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == form.get(); }));

    loadStartList();
    EXPECT_EQ(text(u"Title"_qs), u"startlist-4"_qs);
    press("bSTART");
    ticks += 12345;
    QSignalSpy frame(board()->findChild<QTimer *>(u"frameTimer"_qs), &QTimer::timeout);
    ASSERT_TRUE(frame.wait(2000));
    EXPECT_EQ(boardTime(1), u"012,34"_qs);
    EXPECT_EQ(boardTime(2), u"012,34"_qs);
    EXPECT_EQ(text(u"Number1"_qs) + text(u"Rider1"_qs) + text(u"Horse1"_qs), u"1Jürgen BäckerSólfaxi"_qs);
    EXPECT_EQ(text(u"Number2"_qs) + text(u"Rider2"_qs) + text(u"Horse2"_qs), u"2Anna GrößerÞokki"_qs);
    key(Qt::Key_2);
    ticks += 655;
    key(Qt::Key_1);
    EXPECT_EQ(boardTime(1), u"013,00"_qs);
    EXPECT_EQ(boardTime(2), u"012,34"_qs);
    EXPECT_EQ(text(u"Place1"_qs) + text(u"Place2"_qs), u"Platz 2Platz 1"_qs);
    EXPECT_EQ(rankRow(1), QStringList({u"1."_qs, u"2"_qs, u"Anna Größer"_qs, u"Þokki"_qs, u"12,34"_qs}));
    EXPECT_EQ(rankRow(2), QStringList({u"2."_qs, u"1"_qs, u"Jürgen Bäcker"_qs, u"Sólfaxi"_qs, u"13,00"_qs}));
    EXPECT_EQ(rankRow(3), QStringList(5, QString()));

    press("bRESET"); // the next riders are called; the board holds the heat until START
    EXPECT_EQ(text(u"Rider1"_qs) + text(u"Place1"_qs) + boardTime(1), u"Jürgen BäckerPlatz 2013,00"_qs);
    press("bSTART");
    EXPECT_EQ(text(u"Rider1"_qs) + text(u"Place1"_qs) + boardTime(1), u"Maria Müller000,00"_qs);

    EXPECT_FALSE(frame.isEmpty());
    EXPECT_EQ(QApplication::activeWindow(), form.get());
    EXPECT_TRUE(form->isAncestorOf(QApplication::focusWidget()));
    key(Qt::Key_F11);
    EXPECT_EQ(board(), nullptr);
    key(Qt::Key_F11);
    EXPECT_NE(board(), nullptr);
}

TEST_F(ScoreboardTest, GoesQuietlyWithItsScreenAndComesBackWithIt)
{
    settingsScreens(1);
    ASSERT_NE(board(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == form.get(); }));
    QJsonObject oneScreen = twoScreens;
    oneScreen[u"screens"_qs] = QJsonArray({twoScreens[u"screens"_qs].toArray().first()});
    desktop(&oneScreen);
    EXPECT_EQ(board(), nullptr); // and nothing of it moved onto the operator's screen
    EXPECT_EQ(settingsScreens(-1),
              QStringList({u"aus (nur ein Bildschirm)"_qs, u"Bildschirm 2 (nicht angeschlossen)"_qs}));
    EXPECT_EQ(board(), nullptr);
    desktop(&twoScreens);
    ASSERT_NE(board(), nullptr);
    EXPECT_EQ(board()->screen()->name(), u"Tafel"_qs);
    EXPECT_EQ(board()->geometry(), QGuiApplication::screens().at(1)->geometry());
}

TEST(ScoreboardLayout, FitsLegiblyAndStacksTheLanesOnAnUprightScreen)
{
    struct Case
    {
        QSize size;
        int lanes;
    };
    for (const Case &c : {Case{{1920, 1080}, 2}, Case{{3840, 2160}, 2}, Case{{1080, 1920}, 2},
                          Case{{1920, 1080}, 1}, Case{{1280, 720}, 2}}) {
        SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height() << ", lanes " << c.lanes);
        const ScoreboardLayout board = scoreboardLayout(c.size, c.lanes);
        const QRect screen(QPoint(), c.size);
        // From 30 m: capitals (0.7 of a font's pixels) of 12 cm on a picture 3 m high.
        const double pixelsPerCm = std::min(c.size.width(), c.size.height()) / 300.0;
        EXPECT_GE(std::min({board.titlePixels, board.riderPixels, board.horsePixels, board.rowPixels}) * 0.7,
                  12 * pixelsPerCm);
        EXPECT_TRUE(screen.contains(board.title) && screen.contains(board.ranking));
        EXPECT_FALSE(board.title.intersects(board.ranking));
        // As many ranking rows as fit beneath the lanes, and a few at least.
        EXPECT_EQ(board.ranking.height(), board.rows * board.rowHeight);
        EXPECT_GT(board.ranking.bottom() + board.rowHeight, screen.bottom() - board.smallestPixels);
        EXPECT_GE(board.rows, 4);
        for (int i = 0; i < c.lanes; ++i) {
            const LaneLayout &lane = board.lane[size_t(i)];
            EXPECT_TRUE(screen.contains(lane.area));
            EXPECT_FALSE(lane.area.intersects(board.title) || lane.area.intersects(board.ranking));
            for (const QRect &part : {lane.number, lane.rider, lane.horse, lane.comma, lane.place})
                EXPECT_TRUE(lane.area.contains(part));
            for (const QRect &digit : lane.digits) {
                EXPECT_TRUE(lane.area.contains(digit));
                EXPECT_GT(digit.height(), 2 * lane.rider.height());
            }
        }
        const QRect &one = board.lane[0].area;
        const QRect &two = board.lane[1].area;
        const bool upright = c.size.height() > c.size.width();
        EXPECT_TRUE(c.lanes == 1 || (upright ? two.top() > one.bottom() : two.left() > one.right()));
    }
}
