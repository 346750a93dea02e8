#include "settings/Cfg.h"

#include "comms/LineSignal.h"
#include "controls/Dmn_led.h"
#include "controls/WindowStyle.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>

#include <algorithm>

namespace {

constexpr int RowHeight = 21;

} // namespace

PortComboBox::PortComboBox(int tag, QWidget *parent)
    : QComboBox(parent)
    , m_tag(tag)
{}

void PortComboBox::showPopup()
{
    emit dropDown(); // the list is refilled before it opens
    QComboBox::showPopup();
}

QString portItemText(int port, int line)
{
    return QStringLiteral("COM") + QString::number(port) + LineSuffix[line == 1 ? 1 : 0].toString();
}

bool parsePortItem(const QString &text, int &port, int &line)
{
    if (!text.startsWith(u"COM"))
        return false;
    qsizetype end = 3;
    while (end < text.size() && text.at(end).isDigit())
        ++end;
    bool ok = false;
    const int number = QStringView(text).mid(3, end - 3).toInt(&ok);
    if (!ok || number <= 0)
        return false;
    port = number;
    line = text.contains(LineSuffix[1]) ? 1 : 0;
    return true;
}

PortPlan portPlan(const Settings &settings)
{
    PortPlan plan;
    plan.ComPort1 = settings.Port1;
    if (settings.Port2 != settings.Port1)
        plan.ComPort2 = settings.Port2;
    return plan;
}

TCfgDialog::TCfgDialog(Settings &settings, quint32 portMask, QWidget *parent)
    : QDialog(parent, FixedDialogFlags)
    , m_settings(settings)
    , m_portMask(portMask)
{
    setUpFixedDialog(*this, QStringLiteral("CfgDialog"), QStringLiteral("Einstellungen"), QSize(496, 569));
    setFont(windowFont());

    GroupAnschluss = new QGroupBox(QStringLiteral("Anschluss"), this);
    GroupAnschluss->setObjectName(QStringLiteral("GroupAnschluss"));
    GroupAnschluss->setGeometry(8, 2, 265, 96);
    createInputRow(1, cbPort1, cbAlg1, LineLed1, lDevice1);
    createInputRow(2, cbPort2, cbAlg2, LineLed2, lDevice2);

    cbPorts = new QComboBox(this);
    cbPorts->setObjectName(QStringLiteral("cbPorts"));
    cbPorts->addItem(QStringLiteral("Kein"));
    cbPorts->hide();

    // The certificate layout editor fills this group and the paper area right of the groups.
    GroupUrkunde = new QGroupBox(QStringLiteral("Urkunde"), this);
    GroupUrkunde->setObjectName(QStringLiteral("GroupUrkunde"));
    GroupUrkunde->setGeometry(8, 102, 265, 176);
    createCertificateEditor();

    GroupWertung = new QGroupBox(QStringLiteral("Wertung"), this);
    GroupWertung->setObjectName(QStringLiteral("GroupWertung"));
    GroupWertung->setGeometry(8, 282, 265, 62);
    rbLetzterLauf = new QRadioButton(QStringLiteral("Letzter Lauf zählt"), GroupWertung);
    rbLetzterLauf->setObjectName(QStringLiteral("rbLetzterLauf"));
    rbLetzterLauf->move(8, 16);
    rbBesterLauf = new QRadioButton(QStringLiteral("Bester Lauf zählt"), GroupWertung);
    rbBesterLauf->setObjectName(QStringLiteral("rbBesterLauf"));
    rbBesterLauf->move(8, 37);
    for (QRadioButton *choice : {rbLetzterLauf, rbBesterLauf})
        choice->resize(choice->sizeHint().width(), 20); // a click beside the text misses it

    // Under the live results: the screen of the spectators' board.
    auto *boardLabel = new QLabel(QStringLiteral("Anzeigetafel:"), this);
    boardLabel->setGeometry(8, 504, 90, RowHeight);
    cbAnzeigetafel = new QComboBox(this);
    cbAnzeigetafel->setObjectName(QStringLiteral("cbAnzeigetafel"));
    cbAnzeigetafel->setGeometry(100, 504, 211, RowHeight);
    createLiveGroup();

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(8, 536, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &TCfgDialog::OKBtnClick);

    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(92, 536, 75, 25);
    connect(CancelBtn, &QPushButton::clicked, this, &TCfgDialog::reject);

    FormCreate();
}

void TCfgDialog::createInputRow(int input, PortComboBox *&port, QComboBox *&mode, TLed *&lamp,
                                QLabel *&device)
{
    const int y = input == 1 ? 15 : 55;
    const QString number = QString::number(input);
    auto addLabel = [this, y](const QString &text, int x, int width) {
        auto *label = new QLabel(text, GroupAnschluss);
        label->setGeometry(x, y, width, RowHeight);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    };

    addLabel(input == 1 ? QStringLiteral("START:") : QStringLiteral("STOPP:"), 6, 41);
    port = new PortComboBox(input, GroupAnschluss);
    port->setObjectName(QStringLiteral("cbPort") + number);
    port->setGeometry(48, y, 84, RowHeight);
    connect(port, &PortComboBox::dropDown, this, [this, box = port] { cbPortDropDown(box); });
    connect(port, &QComboBox::currentIndexChanged, this, &TCfgDialog::cbPortChange);

    addLabel(QStringLiteral("Kontakt:"), 137, 42);
    mode = new QComboBox(GroupAnschluss);
    mode->setObjectName(QStringLiteral("cbAlg") + number);
    mode->addItems({QStringLiteral("Ein"), QStringLiteral("Aus"), QStringLiteral("Wechseln")});
    mode->setCurrentIndex(0);
    mode->setEnabled(false);
    mode->setGeometry(180, y, 79, RowHeight);

    // One low row under the boxes: the lamp of the line, then the device behind the port.
    lamp = new TLed(GroupAnschluss);
    lamp->setObjectName(QStringLiteral("LineLed") + number);
    lamp->setKind(lkGreen);
    lamp->setGeometry(48, y + 22, LedSize, LedSize);
    lamp->hide();
    device = new QLabel(GroupAnschluss);
    device->setObjectName(QStringLiteral("lDevice") + number);
    device->setGeometry(68, y + 22, 189, 16);
}

void TCfgDialog::FormCreate()
{
    // Bits 16-31 bound the loop; only bits 0-15 can say that a port is present.
    if (m_portMask != 0) {
        const int highest = int(m_portMask >> 16);
        for (int n = 1; n <= highest && n <= 16; ++n) {
            if (m_portMask & (1u << (n - 1))) {
                cbPorts->addItem(portItemText(n, 0));
                cbPorts->addItem(portItemText(n, 1));
            }
        }
    }
    for (QComboBox *box : {static_cast<QComboBox *>(cbPort1), static_cast<QComboBox *>(cbPort2)}) {
        const QSignalBlocker blocker(box);
        for (int i = 0; i < cbPorts->count(); ++i)
            box->addItem(cbPorts->itemText(i));
        box->setCurrentIndex(0);
    }
    cbPortChange();
    // Records never set up (all of them on a first start) or unprintable as stored get the defaults,
    // so the first exit already stores a complete layout.
    completeCertLayout(m_settings.CertLayout);
}

void TCfgDialog::fillFromSettings()
{
    auto select = [](QComboBox *box, int port, int line) {
        const int index = port != 0 ? box->findText(portItemText(port, line)) : -1;
        box->setCurrentIndex(std::max(index, 0));
    };
    select(cbPort1, m_settings.Port1, m_settings.Line1);
    select(cbPort2, m_settings.Port2, m_settings.Line2);
    cbPortChange();
    // A mode outside 0..2 leaves the box without a selection.
    cbAlg1->setCurrentIndex(m_settings.Alg1);
    cbAlg2->setCurrentIndex(m_settings.Alg2);
    m_savedLayout = m_settings.CertLayout;
    (m_settings.Wertung == 1 ? rbBesterLauf : rbLetzterLauf)->setChecked(true);
    fillScreens();
    fillLive();
}

void TCfgDialog::fillScreens()
{
    // The screens as the desktop has them now, numbered in its order; the operator's own is no choice.
    const QList<QScreen *> screens = QGuiApplication::screens();
    const QScreen *own = parentWidget() ? parentWidget()->screen() : nullptr;
    const int chosen = m_settings.Anzeigetafel;
    cbAnzeigetafel->clear();
    cbAnzeigetafel->addItem(
        screens.size() < 2 ? QStringLiteral("aus (nur ein Bildschirm)") : QStringLiteral("aus"), 0);
    for (int n = 1; n <= int(screens.size()); ++n) {
        const QScreen *screen = screens[n - 1];
        if (screen == own && n != chosen)
            continue;
        const QSize pixels = screen->size() * screen->devicePixelRatio();
        cbAnzeigetafel->addItem(
            QStringLiteral("Bildschirm %1 (%2 × %3)").arg(n).arg(pixels.width()).arg(pixels.height()), n);
    }
    // A chosen screen unplugged now stays chosen: the board comes back with it.
    if (chosen > 0 && cbAnzeigetafel->findData(chosen) < 0)
        cbAnzeigetafel->addItem(QStringLiteral("Bildschirm %1 (nicht angeschlossen)").arg(chosen), chosen);
    cbAnzeigetafel->setCurrentIndex(std::max(cbAnzeigetafel->findData(chosen), 0));
    cbAnzeigetafel->setEnabled(cbAnzeigetafel->count() > 1);
}

int TCfgDialog::execute()
{
    fillFromSettings();
    if (QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr)
        move(owner->frameGeometry().center() - rect().center());
    const int result = exec();
    if (result == mrOk) {
        applyConnection();
        applyScoring();
        applyScoreboard();
        applyLive();
        return mrOk;
    }
    restoreLayout();
    return mrCancel;
}

void TCfgDialog::applyInput(PortComboBox *box, QComboBox *modeBox, int &port, int &line, int &mode)
{
    if (box->currentIndex() <= 0)
        return; // "Kein": no port, the former line and mode stay
    int chosenPort = 0;
    int chosenLine = 0;
    if (!parsePortItem(box->currentText(), chosenPort, chosenLine))
        return;
    port = chosenPort;
    line = chosenLine;
    mode = modeBox->currentIndex();
}

void TCfgDialog::applyConnection()
{
    m_settings.Port1 = 0;
    m_settings.Port2 = 0;
    applyInput(cbPort1, cbAlg1, m_settings.Port1, m_settings.Line1, m_settings.Alg1);
    applyInput(cbPort2, cbAlg2, m_settings.Port2, m_settings.Line2, m_settings.Alg2);
}

void TCfgDialog::applyScoring()
{
    m_settings.Wertung = rbBesterLauf->isChecked() ? 1 : 0;
}

void TCfgDialog::applyScoreboard()
{
    m_settings.Anzeigetafel = cbAnzeigetafel->currentData().toInt();
}

void TCfgDialog::restoreLayout()
{
    m_settings.CertLayout = m_savedLayout;
}

void TCfgDialog::FormShow()
{
    cbPort1->setEnabled(cbPort1->count() > 1);
    cbPort2->setEnabled(cbPort1->isEnabled());
    // The editor opens on the field chosen last, without storing what the controls held.
    CurrentField = -1;
    cbWhoChange();
}

void TCfgDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TCfgDialog::cbPortChange()
{
    cbAlg1->setEnabled(cbPort1->currentIndex() > 0);
    cbAlg2->setEnabled(cbPort2->currentIndex() > 0);
    updateInputView(cbPort1, lDevice1, LineLed1);
    updateInputView(cbPort2, lDevice2, LineLed2);
}

void TCfgDialog::cbPortDropDown(PortComboBox *box)
{
    if (m_portMask == 0)
        return;
    const PortComboBox *other = box->tag() == 1 ? cbPort2 : cbPort1;
    const QString remembered = box->currentText();
    {
        const QSignalBlocker blocker(box);
        box->clear();
        for (int i = 0; i < cbPorts->count(); ++i)
            box->addItem(cbPorts->itemText(i));
        // The other input's port and line is not offered; "Kein" always is.
        const int taken = box->findText(other->currentText());
        if (taken > 0)
            box->removeItem(taken);
        box->setCurrentIndex(std::max(box->findText(remembered), 0));
    }
    cbPortChange();
}

void TCfgDialog::OKBtnClick()
{
    cbWhoChange(); // stores the field being edited
    done(mrOk);
}

void TCfgDialog::reject()
{
    done(mrCancel);
}

void TCfgDialog::setPortStatus(int port, std::optional<quint32> modemStatus)
{
    if (modemStatus)
        m_portStatus.insert(port, *modemStatus);
    else
        m_portStatus.remove(port);
    updateInputView(cbPort1, lDevice1, LineLed1);
    updateInputView(cbPort2, lDevice2, LineLed2);
}

void TCfgDialog::clearPortStatus()
{
    m_portStatus.clear();
    updateInputView(cbPort1, lDevice1, LineLed1);
    updateInputView(cbPort2, lDevice2, LineLed2);
}

void TCfgDialog::updateInputView(PortComboBox *box, QLabel *device, TLed *lamp)
{
    int port = 0;
    int line = 0;
    const bool chosen = box->currentIndex() > 0 && parsePortItem(box->currentText(), port, line);
    device->setText(chosen && m_portDevice ? m_portDevice(port, line) : QString());
    const auto status = chosen ? m_portStatus.constFind(port) : m_portStatus.cend();
    if (status == m_portStatus.cend()) {
        lamp->hide();
        return;
    }
    const bool on = lineIsOn(*status, line);
    lamp->setValue(on);
    lamp->setToolTip(on ? QStringLiteral("Kontakt geschlossen") : QStringLiteral("Kontakt offen"));
    lamp->show();
}
