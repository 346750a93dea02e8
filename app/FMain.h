#pragma once

#include "comms/LineSignal.h"
#include "platform/Graphics.h"
#include "protocol/ProtocolFiles.h"
#include "protocol/ResultsModel.h"
#include "settings/Settings.h"

#include <QMainWindow>
#include <QPageRanges>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QFileDialog;
class QFrame;
class QLabel;
class QMenu;
class QTimer;
class SpreadsheetApp;
class QToolButton;
class TBitBtnWithColor;
class TCfgDialog;
class TComPort;
class TDigit;
class TExcel;
class QPrintDialog;
class TFDlgYesNo;
class InputStamp;
class TFormPP;
class TLed;
class TSortGrid;
class RaceState;
class ScoreboardScreen;

// The main window: lane displays, race control, rider selectors and the results protocol.
// The run lives in a RaceState and the results in a ResultsModel; the window's controls show them
// and hand the operator's actions to them. The grid shows the model and is never written otherwise.
class TFormMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TFormMain(QWidget *parent = nullptr);
    ~TFormMain() override;

    // The seam: what the program's start and the tests hand in or read. Everything else is reached
    // as the operator reaches it, through the widgets and actions (found by their object names).

    // The confirmation box and the settings dialog are created after the main window and handed in.
    void setYesNoDialog(TFDlgYesNo *dialog) { FDlgYesNo = dialog; }
    void setCfgDialog(TCfgDialog *dialog) { CfgDialog = dialog; }
    // The settings the dialog edits, and the serial ports found at start-up that it offers.
    Settings &settings() { return m_settings; }
    quint32 portMask() const { return PortMask; }
    // Runs the file dialogs modally; tests answer them instead.
    std::function<int(QFileDialog &)> execFileDialog;
    // The program that takes the spreadsheet hand-over; the desktop's unless replaced.
    void setSpreadsheetApp(std::unique_ptr<SpreadsheetApp> app);
    // Runs the print dialog and the printer set-up modally; tests answer them instead.
    std::function<int(QPrintDialog &)> execPrintDialog;
    std::function<int(QDialog &)> execPrinterSetup;
    // Runs the box of "EINTRAGEN" modally; tests answer it instead.
    std::function<int(QDialog &)> execEntryDialog;
    // The preview window is created after the confirmation box and handed in.
    void setPreviewWindow(TFormPP *form);
    // The results and the run, for the views that show them beside the window.
    const Results::ResultsModel &results() const { return *m_results; }
    const RaceState &race() const { return *m_race; }
    // Closes as "Beenden" does but asks nothing, also during a run: the system is ending the program.
    void closeWithoutQuestion();
    // For the live results: the list's name and the protocol as "HTML" writes it, and their notices.
    QString protocolName() const { return m_protocolName; }
    ProtocolFormat::Table protocolTable() const { return shownTable(); }
    void notify(const QString &text) { showNotice(text); }

signals:
    // The settings dialog closed with OK: the settings in memory may have changed.
    void settingsApplied();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    quint32 PortMask = 0; // the serial ports found at start-up
    void bCFGClick();

    // Line-signal input.
    TComPort *ComPort1 = nullptr;
    TComPort *ComPort2 = nullptr;
    LineLevels LineState;
    void ComPort1DSR(TComPort *sender);
    void ComPort1Open(TComPort *sender);
    void ComPort1Close(TComPort *sender);

    // Panels and controls; their object names are the ones the operators' manual and the tests use.
    QFrame *PanelTop = nullptr;
    QToolButton *bHelp = nullptr;
    QToolButton *bCFG = nullptr;
    QToolButton *bBeenden = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label8 = nullptr, *Label5 = nullptr, *Label6 = nullptr;
    QLabel *PanelDate = nullptr;
    QFrame *PanelTimer = nullptr;
    QFrame *PanelT1 = nullptr;
    QFrame *PanelT2 = nullptr;
    QFrame *Panel7 = nullptr;
    QFrame *Panel5 = nullptr;
    QFrame *PanelLE = nullptr;
    QFrame *PanelRI = nullptr;
    QFrame *Panel6 = nullptr;
    QComboBox *cbMode = nullptr;
    TLed *Led1 = nullptr;
    TBitBtnWithColor *bSTART = nullptr;
    TBitBtnWithColor *bFSTART = nullptr;
    TBitBtnWithColor *bSTOP1 = nullptr;
    TBitBtnWithColor *bSTOP2 = nullptr;
    TBitBtnWithColor *bRESET = nullptr;
    TBitBtnWithColor *BitBtnWithColor1 = nullptr;
    TDigit *Digit[2][5] = {};
    QFrame *Panel = nullptr;
    QFrame *PanelLL = nullptr;
    QFrame *PanelRR = nullptr;
    QComboBox *cbBuhn1 = nullptr;
    QComboBox *cbBuhn2 = nullptr;
    QFrame *Panel3 = nullptr;
    QFrame *Panel1 = nullptr;
    QToolButton *sbLoad = nullptr, *sbSave = nullptr, *sbGramoty = nullptr, *sbPrint = nullptr;
    QToolButton *sb1 = nullptr, *sb2 = nullptr;
    QToolButton *sbExcel = nullptr, *sbHTML = nullptr, *sbCLS = nullptr;
    QLabel *Notice = nullptr;
    TSortGrid *SortGrid1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *Zeileentfernen1 = nullptr, *AUS1 = nullptr, *LetztenLaufungueltig1 = nullptr;

    // The hidden menu: shortcuts only.
    QAction *mStart = nullptr, *mFStart = nullptr, *mSTOP1 = nullptr, *mStop2 = nullptr, *mReset = nullptr;
    QAction *BlockLS1 = nullptr, *EinstellunGen1 = nullptr, *Hilfe1 = nullptr, *Drucker1 = nullptr;
    QAction *Beenden1 = nullptr, *mHilfe = nullptr;
    QAction *Anzeigetafel1 = nullptr; // F11: shows or hides the scoreboard

    QTimer *Clock = nullptr;
    QTimer *TimerDate = nullptr;
    QTimer *TimerGesperrt1 = nullptr;
    QTimer *TimerGesperrt2 = nullptr;

    // Race control. The stamped variants take a stamp (monotonic microseconds) made where the signal
    // arrived.
    void mStartClick();
    void startRun(quint64 stamp);
    void mSTOPClick(int lane);
    void stopLane(int lane, quint64 stamp);
    void mFStartClick();
    void mResetClick(bool byOperator);
    void Led1Click();
    void cbModeChange();
    void ClockTimer();
    // START is available: riders in both selectors, two different ones, and no run open.
    bool startAvailableNow() const;
    void ShowLaneTime(int lane, qint64 ms);
    static QString FormatLaneTime(qint64 ms);
    void SetRunHotKeys(bool on);
    void AfterLaneStop();

    // Results protocol.
    bool EnterLaneTime(int lane, const QString &timeText);
    void RankProtocol();
    void UpdateProtocolControls();
    void AdvanceRiders();
    void cbBuhnChange();
    void sb1Click(int lane);
    void SortGrid1RowSelected();
    void SortGrid1DblClick();
    void sbCLSClick();
    void Zeileentfernen1Click();
    void AUS1Click();
    void LetztenLaufungueltig1Click();
    void BitBtnWithColor1Click(); // "EINTRAGEN": a time taken by hand
    // The context menu's items for the chosen rider's runs: to correct each, or declare it invalid.
    void fillRunItems();
    void correctRunClick(int runIndex);
    void invalidateRunClick(int runIndex);
    // Records a run of the rider with that number and logs it; lane 0 for a run not timed on a lane.
    // False, with a notice, when the protocol did not take the time.
    bool recordRun(int lane, int number, const Results::Run &run, const QString &remark);
    // The entry the grid row shows, or -1.
    int entryOfRow(int row) const;
    // After every change of the results: the grid shows them, and they are saved.
    void resultsChanged();
    // The protocol as the grid shows it: the model in the operator's sort order.
    ProtocolFormat::Table shownTable() const;
    int SelectedRiderIndex() const;

    // Protocol files.
    void sbSaveClick();
    void sbLoadClick();
    bool SaveTextProtocol(const QString &path);
    bool LoadProtocol(const QString &path); // false, with an error box, when nothing was loaded
    static QString DefaultProtocolName();
    QString ProtocolName() const { return m_protocolName; }
    void autoSave();
    QString autoSavePath() const;
    QString runLogPath() const;
    QString openFilter() const;
    QString saveFilter() const;

    // Publishing: the web page and the spreadsheet hand-over.
    bool WriteHtmlProtocol(const QString &path);
    void sbHTMLClick();
    void sbExcelClick();
    TExcel *Excel = nullptr;

    // Top bar.
    void TimerDateTimer();
    void bHelpClick();
    void bExitClick();
    void Drucker1Click();
    // Printing: "Protokoll drucken" (0) and "Urkunden drucken" (1).
    void sbGramotyClick(int tag);
    void Label5Click();

    // Shows a message in the notice strip above the protocol without taking the focus.
    void showNotice(const QString &text);
    void clearNotices();
    static constexpr int MaxNotices = 5;
    QStringList m_notices; // the strip's lines, newest first

    // The leading digits of a lane time stay dim until the time reaches them.
    static constexpr TColor DimDigit = 0x404040;

    void buildTopBar();
    void buildTimerArea();
    void buildSelectorBar();
    void buildToolBar();
    void buildGrid();
    void buildHiddenMenu();
    void FormCreate();
    void FormResize();
    void applyStoredBounds();
    void Panel7Resize();
    void PanelResize();
    void SortGrid1GetCellFormat(int col, int row, struct TFormatOptions &format);
    // The hidden menu item a race button acts through, or null for any other object.
    QAction *raceItem(const QObject *button) const;
    void fillSelectors();
    int selectedNumber(const QComboBox *selector) const;
    void selectNumber(QComboBox *selector, int number);
    // One record of the run log; lane 0 leaves the lane empty, a remark follows the time.
    void appendRunLog(int lane, int number, const QString &timeText, const QString &remark = {});
    void showRace();

    void FormDestroy();
    void createComPorts();
    void openComPort(TComPort *port);
    void openComPorts();
    void closeComPorts();
    void showLineStatus(TComPort *port);
    LineSettings lineSettings() const;
    static QString portDeviceText(int port, int line);

    RaceState *m_race = nullptr;
    ScoreboardScreen *m_scoreboard = nullptr; // the spectators' board on a screen of its own
    Results::ResultsModel *m_results = nullptr;
    std::vector<int> m_shownOrder; // the entry each grid row shows, from row 1
    bool m_showing = false;        // the grid is being given the results: no operator's choice
    int m_pickedNumber = -1;       // the rider the operator chose in the grid since the last load or run
    InputStamp *m_inputStamp = nullptr;
    TFDlgYesNo *FDlgYesNo = nullptr;
    TFormPP *FormPP = nullptr;
    int m_printFrom = 1, m_printTo = 1; // the print dialog's range of entries
    QPageRanges m_printPages;           // the pages it listed; empty for all
    TCfgDialog *CfgDialog = nullptr;
    Settings m_settings;
    QString m_helpFile;
    QString m_fileTypeCsv, m_fileTypeHtml, m_fileTypeText;
    int m_saveFilterIndex = 2;
    QString m_lastFolder;
    QString m_protocolName;   // base name of the last loaded start list
    QString m_protocolFolder; // and its folder
    bool m_pointerPlaced = false;
    bool m_askBeforeClose = true;
};
