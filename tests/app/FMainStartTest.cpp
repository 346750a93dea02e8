// Start-up and exit as they meet stored settings: a damaged file, bounds from elsewhere, the pointer.
#include "tests/app/FMainFixture.h"

#include "controls/MessageBox.h"

#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>

#include <limits>

#include <csignal>

namespace {

class FMainDamagedSettingsTest : public FMainTest
{
protected:
    void beforeForm() override
    {
        // A folder where the file belongs: nothing can be read from it nor written to it.
        ASSERT_TRUE(QDir().mkpath(settingsFilePath()));
        QFile inside(settingsFilePath() + u"/Left"_qs);
        ASSERT_TRUE(inside.open(QIODevice::WriteOnly));
    }
};

class FMainForeignBoundsTest : public FMainTest
{
protected:
    void beforeForm() override
    {
        Settings stored;
        stored.Left = 100000;
        stored.Top = 100000;
        stored.Width = std::numeric_limits<int>::max();
        stored.Height = std::numeric_limits<int>::max();
        SettingsFile file(settingsFilePath());
        ASSERT_EQ(writeSettings(stored, file), QString());
    }
};

// Beside the protocol, temporaries of saves cut short (the file's name and six letters) older than the
// protocol, as old, and newer (it may hold the only copy of the last run); and a copy of the operator's.
class FMainSaveLeftoversTest : public FMainTest
{
protected:
    void beforeForm() override
    {
        const QDateTime savedAt = QDateTime::currentDateTime().addSecs(-60);
        const std::pair<const char *, int> files[] = {
            {"", 0}, {".bak", 60}, {".qWmKzA", 60}, {".XyRtUv", 0}, {".Lopmnb", -60}};
        for (auto [suffix, age] : files) {
            QFile file(dir.filePath(u"ombrel.txt"_qs + QLatin1String(suffix)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("Nr.\t") == 4 && file.flush());
            ASSERT_TRUE(file.setFileTime(savedAt.addSecs(-age), QFileDevice::FileModificationTime));
        }
    }
};

} // namespace

TEST_F(FMainSaveLeftoversTest, TemporariesOfSavesCutShortAndNotNewerThanTheProtocolGoAtTheStart)
{
    EXPECT_EQ(QDir(dir.path()).entryList({u"ombrel.txt*"_qs}, QDir::Files, QDir::Name),
              QStringList({u"ombrel.txt"_qs, u"ombrel.txt.Lopmnb"_qs, u"ombrel.txt.bak"_qs}));
}

TEST_F(FMainDamagedSettingsTest, ADamagedSettingsFileIsMovedAsideOnceAndWrittenAfreshAtTheExit)
{
    const QString aside = settingsFilePath() + u".defekt"_qs;
    auto *notice = form->findChild<QLabel *>(u"Notice"_qs);
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains(QDir::toNativeSeparators(aside))) << notice->text().toStdString();
    EXPECT_TRUE(QFileInfo::exists(aside + u"/Left"_qs));

    form->findChild<QComboBox *>(u"cbMode"_qs)->setCurrentIndex(0);
    {
        const MessageBox::Answers boxes;
        form.reset();
        EXPECT_EQ(boxes.texts(), QStringList());
    }
    Settings saved;
    SettingsFile file(settingsFilePath());
    EXPECT_EQ(loadSettings(saved, file), QString());
    EXPECT_EQ(saved.Mode, 0);

    // The next start finds a sound file and says nothing.
    form = std::make_unique<TFormMain>();
    EXPECT_TRUE(form->findChild<QLabel *>(u"Notice"_qs)->isHidden());
    QDir(aside).removeRecursively();
}

TEST_F(FMainForeignBoundsTest, StoredBoundsBeyondTheScreenAreFittedToIt)
{
    const QRect available = form->screen()->availableGeometry();
    EXPECT_LE(form->width(), std::max(available.width(), form->minimumWidth()));
    EXPECT_LE(form->height(), available.height());
    EXPECT_GE(form->height(), form->minimumHeight());
    EXPECT_TRUE(available.contains(form->pos())) << form->pos().x() << "," << form->pos().y();
}

TEST_F(FMainTest, ThePointerStartsOnDatenbankLaden)
{
    auto *load = form->findChild<QToolButton *>(u"sbLoad"_qs);
    ASSERT_TRUE(load);
    const QPoint middle = load->mapToGlobal(QPoint(16, 16));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QCursor::pos() == middle; }, 1000))
        << QCursor::pos().x() << "," << QCursor::pos().y();
    EXPECT_EQ(load->toolTip(), u"Datenbank laden"_qs);
}

TEST(ProgramEnd, ShutdownLogoutAndCtrlCEndTheProgramAsBeendenDoes)
{
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_qs, home.path());
        environment.insert(u"XDG_DATA_HOME"_qs, home.path());
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(OMBREL_PROGRAM));
        // Up once it has a handler of its own for the signal (the caught signals' mask in /proc).
        const auto catches = [&] {
            QFile status(u"/proc/%1/status"_qs.arg(program.processId()));
            const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
            const qsizetype at = text.indexOf("SigCgt:");
            return at >= 0 && (text.mid(at + 7, 17).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
        };
        ASSERT_TRUE(QTest::qWaitFor(catches, 10000)) << "signal " << signal << " is not taken in hand";
        ::kill(pid_t(program.processId()), signal);
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_TRUE(QFile::exists(home.filePath(u"ombrel.ini"_qs))) << "no settings after " << signal;
    }
}
