// The main window's regions as the operator sees them, built in code, and the rules that keep
// them in place when the window is resized.
#include "app/FMain.h"

#include "app/ToolIcons.h"
#include "board/ScoreboardScreen.h"
#include "controls/ButtonWithColor.h"
#include "controls/Dmn_led.h"
#include "controls/SortGrid.h"
#include "controls/Udigit.h"
#include "platform/Brand.h"
#include "protocol/ResultsTable.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QFont arial(int pixelSize, bool bold = true)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QFrame *panel(QWidget *parent, const char *name, TColor color, QFrame::Shadow bevel = QFrame::Plain)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setAutoFillBackground(true);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, toQColor(color));
    frame->setPalette(palette);
    if (bevel != QFrame::Plain) {
        frame->setFrameShape(QFrame::Panel);
        frame->setFrameShadow(bevel);
        frame->setLineWidth(2);
    }
    return frame;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QFont &font, TColor color)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(font);
    QPalette palette = l->palette();
    palette.setColor(QPalette::WindowText, toQColor(color));
    l->setPalette(palette);
    return l;
}

TBitBtnWithColor *raceButton(QWidget *parent, const char *name, const QString &caption, int pixelSize,
                             TColor fontColor, TColor face)
{
    auto *button = new TBitBtnWithColor(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(arial(pixelSize));
    button->setFontColor(fontColor);
    button->setColor(face);
    button->setAutoDefault(true); // Enter clicks the focused button, as Space does
    button->setEnabled(false);
    return button;
}

QToolButton *speedButton(QWidget *parent, const char *name, const QString &hint)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setIconSize(QSize(24, 24));
    button->resize(36, 36);
    return button;
}

} // namespace

void TFormMain::buildTopBar()
{
    PanelTop = panel(this, "PanelTop", clBtnFace);
    PanelTop->setFixedHeight(33);
    QFont bold = font();
    bold.setBold(true);
    auto topButton = [&](const char *name, const QString &caption, int x, int width) {
        auto *button = new QToolButton(PanelTop);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(caption);
        button->setFont(bold);
        button->setCursor(Qt::PointingHandCursor);
        button->setGeometry(x, 4, width, 26);
        // The hidden menu carries Alt+I, Alt+E and Alt+B; a mnemonic here would make them ambiguous.
        button->setShortcut(QKeySequence());
        return button;
    };
    bHelp = topButton("bHelp", QStringLiteral("H&ilfe"), 4, 51);
    bCFG = topButton("bCFG", QStringLiteral("&Einstellungen"), 60, 122);
    bBeenden = topButton("bBeenden", QStringLiteral("&Beenden"), 189, 82);
    connect(bHelp, &QToolButton::clicked, this, &TFormMain::bHelpClick);
    connect(bCFG, &QToolButton::clicked, this, &TFormMain::bCFGClick);
    connect(bBeenden, &QToolButton::clicked, this, &TFormMain::bExitClick);

    const QString brand = makerBrand();
    const QString first = brand.left(3);
    const QString second = brand.mid(3);
    const QFont logo = arial(27);
    const QFontMetrics metrics(logo);
    const int x0 = 284;
    const int x1 = x0 + metrics.horizontalAdvance(first);
    const int x2 = x1 + metrics.horizontalAdvance(second) + 4;
    Label1 = label(PanelTop, "Label1", first, logo, clBlack);
    Label1->move(x0 + 2, 1);
    Label2 = label(PanelTop, "Label2", second, logo, clBlack);
    Label2->move(x1 + 2, 1);
    Label8 = label(PanelTop, "Label8", first, logo, clRed);
    Label8->move(x0, 0);
    Label5 = label(PanelTop, "Label5", second, logo, clGreen);
    Label5->move(x1, 0);
    Label6 = label(PanelTop, "Label6", QStringLiteral("Software"), arial(19), clWindowText);
    Label6->move(x2, 7);
    for (QLabel *link : {Label8, Label5, Label6}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }

    PanelDate = new QLabel(PanelTop);
    PanelDate->setObjectName(QStringLiteral("PanelDate"));
    PanelDate->setFixedWidth(222);
    PanelDate->setAlignment(Qt::AlignCenter);
    PanelDate->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelDate->setLineWidth(2);
    PanelDate->setAutoFillBackground(true);
    PanelDate->setFont(arial(24, false));
    QPalette datePalette = PanelDate->palette();
    datePalette.setColor(QPalette::Window, Qt::black);
    datePalette.setColor(QPalette::WindowText, toQColor(clSilver));
    PanelDate->setPalette(datePalette);
}

void TFormMain::buildTimerArea()
{
    PanelTimer = panel(this, "PanelTimer", clBlack);
    PanelTimer->setFixedHeight(136);
    auto *row = new QHBoxLayout(PanelTimer);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto laneDisplay = [&](const char *name, int lane, int width) {
        QFrame *display = panel(PanelTimer, name, clBlack, QFrame::Sunken);
        display->setFixedWidth(width);
        display->setProperty("Tag", lane);
        const int xs[5] = {8, 56, 104, 184, 232};
        for (int i = 0; i < 5; ++i) {
            auto *digit = new TDigit(display);
            digit->setObjectName(QStringLiteral("Digit%1_%2").arg(lane + 1).arg(i + 1));
            digit->setGeometry(xs[i], 11, 45, 89);
            digit->setThickness(5);
            digit->setSeparation(1);
            digit->setColor(clBlack);
            digit->setColorOff(clBlack);
            digit->setColorOn(i < 2 ? DimDigit : clYellow);
            digit->setTag(lane);
            Digit[lane][i] = digit;
        }
        QFont commaFont(QStringLiteral("Times New Roman"));
        commaFont.setPixelSize(64);
        commaFont.setBold(true);
        QLabel *comma = label(display, "Comma", QStringLiteral(","), commaFont, clYellow);
        comma->setGeometry(160, 30, 24, 74);
        comma->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        QLabel *seconds = label(display, "LabelSek", QStringLiteral("Sek."), arial(19), clYellow);
        seconds->setGeometry(8, 103, 141, 24);
        seconds->setAlignment(Qt::AlignCenter);
        QLabel *hundredths = label(display, "Label100", QStringLiteral("100"), arial(19), clYellow);
        hundredths->setGeometry(184, 103, 93, 24);
        hundredths->setAlignment(Qt::AlignCenter);
        return display;
    };
    PanelT1 = laneDisplay("PanelT1", 0, 286);
    PanelT2 = laneDisplay("PanelT2", 1, 284);

    Panel7 = panel(PanelTimer, "Panel7", clBtnShadow);
    QFont bold = font();
    bold.setBold(true);
    Panel7->setFont(bold);
    Panel7->installEventFilter(this);
    Panel5 = panel(Panel7, "Panel5", clBtnShadow);
    QLabel *modeLabel = label(Panel5, "Label3", QStringLiteral("Mode:"), bold, clWindowText);
    modeLabel->move(8, 7);
    cbMode = new QComboBox(Panel5);
    cbMode->setObjectName(QStringLiteral("cbMode"));
    cbMode->setFocusPolicy(Qt::StrongFocus);
    Led1 = new TLed(Panel5);
    Led1->setObjectName(QStringLiteral("Led1"));
    Led1->setToolTip(QStringLiteral("Blockieren LS START (Alt+S)"));
    Led1->setValue(true);
    Led1->setKind(lkRed);
    connect(Led1, &TLed::OnClick, this, &TFormMain::Led1Click);
    bSTART = raceButton(Panel5, "bSTART", QStringLiteral("&START"), 21, clWhite, clBtnFace);
    // Alt+S belongs to the LED; the caption keeps its underline but grabs no shortcut.
    bSTART->setShortcut(QKeySequence());
    bFSTART = raceButton(Panel5, "bFSTART", QStringLiteral("&Fehlstart"), 21, clBlack, clYellow);
    PanelLE = panel(Panel7, "PanelLE", clBtnShadow);
    PanelRI = panel(Panel7, "PanelRI", clBtnShadow);
    bSTOP1 = raceButton(PanelLE, "bSTOP1", QStringLiteral("STOPP &1"), 19, clYellow, clBtnFace);
    bSTOP1->setTag(0);
    bSTOP2 = raceButton(PanelRI, "bSTOP2", QStringLiteral("STOPP &2"), 19, clYellow, clBtnFace);
    bSTOP2->setTag(1);
    Panel6 = panel(Panel7, "Panel6", clBtnShadow);

    row->addWidget(PanelT1);
    row->addWidget(Panel7, 1);
    row->addWidget(PanelT2);

    connect(bSTART, &QPushButton::clicked, this, &TFormMain::mStartClick);
    connect(bFSTART, &QPushButton::clicked, this, &TFormMain::mFStartClick);
    connect(bSTOP1, &QPushButton::clicked, this, [this] { mSTOPClick(bSTOP1->Tag()); });
    connect(bSTOP2, &QPushButton::clicked, this, [this] { mSTOPClick(bSTOP2->Tag()); });
    for (QWidget *pressable : {static_cast<QWidget *>(bSTART), static_cast<QWidget *>(bFSTART),
                               static_cast<QWidget *>(bSTOP1), static_cast<QWidget *>(bSTOP2)})
        pressable->installEventFilter(this);
}

void TFormMain::buildSelectorBar()
{
    Panel = panel(this, "Panel", clBtnFace);
    Panel->setFixedHeight(36);
    QFont bold = font();
    bold.setBold(true);
    Panel->setFont(bold);
    Panel->installEventFilter(this);
    PanelLL = panel(Panel, "PanelLL", clBtnFace);
    PanelRR = panel(Panel, "PanelRR", clBtnFace);
    auto selector = [&](QWidget *parent, const char *name) {
        auto *box = new QComboBox(parent);
        box->setObjectName(QString::fromLatin1(name));
        box->setMaxVisibleItems(20);
        box->setEnabled(false);
        box->setFont(bold);
        connect(box, &QComboBox::activated, this, &TFormMain::cbBuhnChange);
        return box;
    };
    cbBuhn1 = selector(PanelLL, "cbBuhn1");
    cbBuhn2 = selector(PanelRR, "cbBuhn2");
    BitBtnWithColor1 =
        raceButton(Panel, "BitBtnWithColor1", QStringLiteral("EINTRAGEN"), 14, clWindowText, clBtnFace);
    BitBtnWithColor1->setToolTip(QStringLiteral("Eine Zeit von Hand eintragen"));
    connect(BitBtnWithColor1, &QPushButton::clicked, this, &TFormMain::BitBtnWithColor1Click);
}

void TFormMain::buildToolBar()
{
    Panel3 = panel(this, "Panel3", clBtnShadow);
    Panel3->setFixedHeight(41);
    Panel3->installEventFilter(this);
    sbLoad = speedButton(Panel3, "sbLoad", QStringLiteral("Datenbank laden"));
    sbLoad->setIcon(toolIcon(ToolIcon::Load));
    sbSave = speedButton(Panel3, "sbSave", QStringLiteral("Protokoll speichern unter"));
    sbSave->setIcon(toolIcon(ToolIcon::Save));
    sbGramoty = speedButton(Panel3, "sbGramoty", QStringLiteral("Urkunden drucken"));
    sbGramoty->setIcon(toolIcon(ToolIcon::Certificates));
    sbPrint = speedButton(Panel3, "sbPrint", QStringLiteral("Protokoll drucken"));
    sbPrint->setIcon(toolIcon(ToolIcon::Print));
    sb1 = speedButton(Panel3, "sb1", QStringLiteral("Laufbahn 1. Aus dem Protokoll zu nehmen"));
    sb1->setText(QStringLiteral("1"));
    sb2 = speedButton(Panel3, "sb2", QStringLiteral("Laufbahn 2. Aus dem Protokoll zu nehmen"));
    sb2->setText(QStringLiteral("2"));
    for (QToolButton *lane : {sb1, sb2}) {
        QFont big = arial(19);
        lane->setFont(big);
    }
    sbExcel = speedButton(Panel3, "sbExcel", QStringLiteral("Datei in MS Excel"));
    sbExcel->setIcon(toolIcon(ToolIcon::Excel));
    sbHTML = speedButton(Panel3, "sbHTML", QStringLiteral("Als Webseite"));
    sbHTML->setIcon(toolIcon(ToolIcon::Html));
    sbCLS = speedButton(Panel3, "sbCLS", QStringLiteral("Zeile entfernen"));
    sbCLS->setIcon(toolIcon(ToolIcon::RemoveRow));
    for (QToolButton *button : {sbSave, sbGramoty, sbPrint, sb1, sb2, sbExcel, sbHTML, sbCLS})
        button->setEnabled(false);

    Panel1 = panel(Panel3, "Panel1", clBtnShadow);
    bRESET = raceButton(Panel1, "bRESET", QStringLiteral("RESET"), 21, clWhite, clBtnFace);
    bRESET->installEventFilter(this);
    connect(bRESET, &QPushButton::clicked, this, [this] { mResetClick(true); });

    connect(sbLoad, &QToolButton::clicked, this, &TFormMain::sbLoadClick);
    connect(sbSave, &QToolButton::clicked, this, &TFormMain::sbSaveClick);
    connect(sb1, &QToolButton::clicked, this, [this] { sb1Click(1); });
    connect(sb2, &QToolButton::clicked, this, [this] { sb1Click(2); });
    connect(sbCLS, &QToolButton::clicked, this, &TFormMain::sbCLSClick);
    connect(sbHTML, &QToolButton::clicked, this, &TFormMain::sbHTMLClick);
    connect(sbExcel, &QToolButton::clicked, this, &TFormMain::sbExcelClick);
    connect(sbPrint, &QToolButton::clicked, this, [this] { sbGramotyClick(0); });
    connect(sbGramoty, &QToolButton::clicked, this, [this] { sbGramotyClick(1); });

    Notice = new QLabel(this);
    Notice->setObjectName(QStringLiteral("Notice"));
    Notice->setFocusPolicy(Qt::NoFocus);
    Notice->setWordWrap(true);
    Notice->setAutoFillBackground(true);
    Notice->setMargin(4);
    QPalette palette = Notice->palette();
    palette.setColor(QPalette::Window, QColor(0xff, 0xf0, 0xa0));
    palette.setColor(QPalette::WindowText, QColor(0xa0, 0, 0));
    Notice->setPalette(palette);
    QFont bold = font();
    bold.setBold(true);
    bold.setPointSize(10);
    Notice->setFont(bold);
    Notice->setToolTip(QStringLiteral("Klicken zum Ausblenden"));
    Notice->installEventFilter(this);
    Notice->hide();
}

void TFormMain::buildHiddenMenu()
{
    auto item = [&](const char *name, const QString &caption, const QKeySequence &shortcut, bool enabled) {
        auto *action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setEnabled(enabled);
        addAction(action); // no menu bar shows; the window carries the shortcuts
        return action;
    };
    mStart = item("mStart", QStringLiteral("Start"), {}, true);
    mFStart = item("mFStart", QStringLiteral("Fehler"), {}, false);
    mSTOP1 = item("mSTOP1", QStringLiteral("Stop1"), {}, false);
    mStop2 = item("mStop2", QStringLiteral("Stop2"), {}, false);
    mReset = item("mReset", QStringLiteral("00:00"), {}, false);
    BlockLS1 = item("BlockLS1", QStringLiteral("Block LS"), QKeySequence(Qt::ALT | Qt::Key_S), true);
    EinstellunGen1 =
        item("EinstellunGen1", QStringLiteral("&Einstellungen"), QKeySequence(Qt::ALT | Qt::Key_E), true);
    Hilfe1 = item("Hilfe1", QStringLiteral("H&ilfe"), QKeySequence(Qt::ALT | Qt::Key_I), true);
    Drucker1 = item("Drucker1", QStringLiteral("&Drucker"), QKeySequence(Qt::ALT | Qt::Key_D), true);
    Beenden1 = item("Beenden1", QStringLiteral("&Beenden"), QKeySequence(Qt::ALT | Qt::Key_B), true);
    mHilfe = item("mHilfe", QStringLiteral("Hilfe"), QKeySequence(Qt::Key_F1), true);
    Anzeigetafel1 = item("Anzeigetafel1", QStringLiteral("Anzeigetafel"), QKeySequence(Qt::Key_F11), true);

    connect(mStart, &QAction::triggered, this, &TFormMain::mStartClick);
    connect(mFStart, &QAction::triggered, this, &TFormMain::mFStartClick);
    connect(mSTOP1, &QAction::triggered, this, [this] { mSTOPClick(0); });
    connect(mStop2, &QAction::triggered, this, [this] { mSTOPClick(1); });
    connect(mReset, &QAction::triggered, this, [this] { mResetClick(true); });
    connect(BlockLS1, &QAction::triggered, this, &TFormMain::Led1Click);
    connect(EinstellunGen1, &QAction::triggered, this, &TFormMain::bCFGClick);
    connect(Hilfe1, &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(mHilfe, &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(Drucker1, &QAction::triggered, this, &TFormMain::Drucker1Click);
    connect(Beenden1, &QAction::triggered, this, &TFormMain::bExitClick);
    connect(Anzeigetafel1, &QAction::triggered, this, [this] { m_scoreboard->toggle(); });
}

void TFormMain::FormResize()
{
    // The fixed columns are never narrower than their captions, whatever font the desktop gives the
    // grid: the grid keeps one pixel of a caption's width for the line and 12 for the sort arrow.
    // "Name" takes what the viewport, which excludes the scroll bar, leaves.
    const QFontMetrics metrics(SortGrid1->font());
    int fixed = 0;
    auto fit = [&](int col, int design) {
        const int room = col == SortGrid1->SortOptions().SortCol ? 12 : 1;
        const int width = std::max(design, metrics.horizontalAdvance(SortGrid1->Cells(col, 0)) + room);
        SortGrid1->setColWidths(col, width);
        fixed += width;
    };
    for (const auto &[col, design] : {std::pair{0, 48}, {2, 224}, {3, 67}, {4, 49}})
        fit(col, design);
    for (int col = Results::ColumnCount; col < SortGrid1->ColCount(); ++col)
        fit(col, 67); // the runs, as wide as "Zeit"
    // Run columns can leave "Name" too little; the grid then scrolls sideways instead. Setting the
    // policy lays the grid out, which can show the vertical scroll bar and so take room again.
    constexpr int NarrowestName = 120;
    for (int pass = 0, room = -1; pass < 3 && room != SortGrid1->clientWidth(); ++pass) {
        room = SortGrid1->clientWidth();
        const int name = room - fixed - SortGrid1->ColCount();
        SortGrid1->setHorizontalScrollBarPolicy(name < NarrowestName ? Qt::ScrollBarAsNeeded
                                                                     : Qt::ScrollBarAlwaysOff);
        SortGrid1->setColWidths(1, std::max(name, NarrowestName));
    }

    // Top bar, tool bar and selector bar keep their left and right groups at the edges.
    PanelDate->setGeometry(PanelTop->width() - 222, 0, 222, PanelTop->height());
    const int w = Panel3->width();
    sbLoad->move(2, 2);
    sbSave->move(38, 2);
    sbGramoty->move(74, 2);
    sbPrint->move(110, 2);
    sb1->move(150, 2);
    Panel1->setGeometry(188, 0, std::max(0, w - 376), 41);
    bRESET->setGeometry(138, 2, std::max(40, Panel1->width() - 276), 36);
    sb2->move(w - 186, 2);
    sbExcel->move(w - 146, 2);
    sbHTML->move(w - 110, 2);
    sbCLS->move(w - 74, 2);
}

void TFormMain::Panel7Resize()
{
    const int w = Panel7->width();
    const int h = Panel7->height();
    Panel5->setGeometry(0, 0, w, 67);
    cbMode->setGeometry(52, 3, std::max(40, w - 60), 23);
    Led1->setGeometry(16, 39, 16, 16);
    bSTART->setGeometry(41, 29, std::max(40, w - 82), 36);
    bFSTART->setGeometry(bSTART->geometry());
    const int half = w / 2 - 2;
    PanelLE->setGeometry(0, 67, half, h - 67 - 8);
    PanelRI->setGeometry(w - half, 67, half, h - 67 - 8);
    bSTOP1->setGeometry(3, 12, std::max(20, half - 5), 36);
    bSTOP2->setGeometry(2, 12, std::max(20, half - 5), 36);
    Panel6->setGeometry(0, h - 8, w, 8);
}

void TFormMain::PanelResize()
{
    // The middle keeps room for the caption of "EINTRAGEN", whatever font the desktop has.
    const int middle =
        std::max(60, BitBtnWithColor1->fontMetrics().horizontalAdvance(BitBtnWithColor1->text()) + 16);
    const int side = (Panel->width() - middle) / 2;
    PanelLL->setGeometry(0, 0, side, Panel->height());
    PanelRR->setGeometry(Panel->width() - side, 0, side, Panel->height());
    cbBuhn1->setGeometry(4, 5, std::max(20, side - 8), 26);
    cbBuhn2->setGeometry(4, 5, std::max(20, side - 8), 26);
    BitBtnWithColor1->setGeometry(side + 2, 2, Panel->width() - 2 * side - 4, 32);
}
