#pragma once

#include "app/FMain.h"
#include "controls/ButtonWithColor.h"
#include "controls/Dmn_led.h"
#include "controls/SortGrid.h"
#include "controls/Udigit.h"
#include "platform/AnsiCodec.h"
#include "platform/AppPaths.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "platform/TickCount.h"
#include "protocol/ResultsTable.h"
#include "settings/Cfg.h"
#include "settings/DlgYesNo.h"
#include "settings/Settings.h"
#include "tests/TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString testData(const char *name)
{
    return QStringLiteral(OMBREL_TEST_DATA "/app/") + QString::fromLatin1(name);
}

// The main window as the operator meets it, with time, sound and the desktop under the test's control.
// Tests reach its widgets and actions by their object names and act through real input, as the
// operator does; what they hand in goes through the window's small public seam.
class FMainTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QFile::remove(settingsFilePath()); // each test starts without stored settings
        beforeForm();
        form = std::make_unique<TFormMain>();
        cfg = new TCfgDialog(form->settings(), form->portMask(), form.get());
        form->setCfgDialog(cfg);
        yesNo = new TFDlgYesNo(form.get());
        form->setYesNoDialog(yesNo);
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // What a test prepares before the window opens: stored settings, devices.
    virtual void beforeForm() {}

    void TearDown() override { form.reset(); }

    void loadStartList(const char *name = "startlist-4.txt")
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile::copy(testData(name), path);
        loadFile(path);
    }

    // Loads a start list written by the test, through the open dialog as the operator would.
    void loadBytes(const QByteArray &bytes, const QString &name = QStringLiteral("list.txt"))
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        loadFile(path);
    }

    void loadFile(const QString &path)
    {
        form->execFileDialog = [path](QFileDialog &dialog) {
            dialog.selectFile(path);
            return int(QDialog::Accepted);
        };
        button("sbLoad")->click();
    }

    // A key as the operator types it: to the widget that has the focus.
    void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget();
        QTest::keyClick(target ? target : form.get(), Qt::Key(k), modifiers);
    }

    // A widget, action or timer of the window by its object name; a missing one fails the test.
    template <typename T> T *child(const QString &name) const
    {
        T *found = form->findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QAbstractButton *button(const char *name) const
    {
        return child<QAbstractButton>(QString::fromLatin1(name));
    }
    TBitBtnWithColor *raceButton(const char *name) const
    {
        return child<TBitBtnWithColor>(QString::fromLatin1(name));
    }
    QComboBox *combo(const char *name) const { return child<QComboBox>(QString::fromLatin1(name)); }
    QAction *action(const char *name) const { return child<QAction>(QString::fromLatin1(name)); }
    QLabel *label(const char *name) const { return child<QLabel>(QString::fromLatin1(name)); }
    TLed *led() const { return child<TLed>(QStringLiteral("Led1")); }
    TSortGrid *grid() const { return child<TSortGrid>(QStringLiteral("SortGrid1")); }
    TDigit *digit(int lane, int place) const
    {
        return child<TDigit>(QStringLiteral("Digit%1_%2").arg(lane + 1).arg(place + 1));
    }
    // A run is in progress while the clock that drives the lane displays runs.
    bool running() const { return child<QTimer>(QStringLiteral("Clock"))->isActive(); }

    // A race button as the operator uses it: it acts at the press.
    void press(const char *name)
    {
        TBitBtnWithColor *target = raceButton(name);
        QTest::mousePress(target, Qt::LeftButton);
        QTest::mouseRelease(target, Qt::LeftButton);
    }

    // Chooses an entry of a selector with the keys, as the operator does without the mouse.
    void choose(QComboBox *box, int index)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(box, Qt::Key_Down);
    }

    // Lets time pass on the injected counter and waits for the running clock to show it.
    void advanceClock(quint32 ms)
    {
        QSignalSpy fired(child<QTimer>(QStringLiteral("Clock")), &QTimer::timeout);
        ticks += ms;
        EXPECT_TRUE(fired.wait(2000)) << "the clock did not run";
    }

    // The centre of a protocol row (1 = first data row) in the grid's cell area.
    QPoint rowCentre(int row) const
    {
        TSortGrid *g = grid();
        return g->visualRect(g->model()->index(row - 1, Results::ColName)).center();
    }
    void clickRow(int row) { QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, rowCentre(row)); }
    void doubleClickRow(int row)
    {
        clickRow(row);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, rowCentre(row));
    }
    // Chooses a row, then an item of the grid's context menu on it.
    void rowMenu(int row, const char *item)
    {
        clickRow(row);
        QTest::mouseClick(grid()->viewport(), Qt::RightButton, {}, rowCentre(row));
        auto *menu = child<QMenu>(QStringLiteral("PopupMenu1"));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QAction *chosen = action(item);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
        EXPECT_FALSE(menu->isVisible());
    }

    QString laneDisplay(int lane) const
    {
        QString text;
        for (int i = 0; i < 5; ++i) {
            text += QString::number(digit(lane, i)->Value());
            if (i == 2)
                text += u',';
        }
        return text;
    }

    QString cell(int col, int row) const { return grid()->Cells(col, row); }
    // The protocol row of a start number, or -1.
    int rowOf(int number) const
    {
        for (int r = 1; r < grid()->RowCount(); ++r) {
            if (Results::startNumber(grid()->Cells(Results::ColNr, r)) == number)
                return r;
        }
        return -1;
    }
    // The log of every lane time, beside the program.
    QString runLogPath() const { return dir.filePath(QStringLiteral("ombrel-Laeufe.log")); }

    QTemporaryDir dir;
    ProgramPathScope programPath{dir.filePath(QStringLiteral("ombrel"))};
    // An installed copy of the program on this machine must not lend the test its files.
    InstalledDirsScope installed{dir.filePath(QStringLiteral("usr/bin")),
                                 dir.filePath(QStringLiteral("usr/share"))};
    std::atomic<quint32> ticks = 100000; // also read by the serial wait threads
    QStringList sounds;
    QList<QUrl> opened;
    TickSourceScope clock{[this] { return ticks.load(); }};
    SoundPlayerScope player{[this](const QString &name) { sounds.append(name); }};
    UrlOpenerScope opener{[this](const QUrl &url) {
        opened.append(url);
        return true;
    }};
    std::unique_ptr<TFormMain> form;
    TFDlgYesNo *yesNo = nullptr;
    TCfgDialog *cfg = nullptr;
};
