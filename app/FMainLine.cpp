// Contacts and light barriers on the serial ports: opening the ports, and turning their line events
// into START and STOPP with the time stamp taken where the edge arrived.
#include "app/FMain.h"

#include "board/ScoreboardScreen.h"
#include "comms/ComPorts.h"
#include "comms/Comms.h"
#include "comms/LineSignal.h"
#include "controls/ButtonWithColor.h"
#include "controls/Dmn_led.h"
#include "protocol/RaceState.h"
#include "protocol/ResultsModel.h"
#include "settings/Cfg.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

void TFormMain::createComPorts()
{
    ComPort1 = new TComPort(this);
    ComPort1->setObjectName(QStringLiteral("ComPort1"));
    applyLineInputDesign(*ComPort1, 1);
    ComPort2 = new TComPort(this);
    ComPort2->setObjectName(QStringLiteral("ComPort2"));
    applyLineInputDesign(*ComPort2, 2);
    for (TComPort *port : {ComPort1, ComPort2}) {
        connect(port, &TComPort::OnCTS, this, &TFormMain::ComPort1DSR);
        connect(port, &TComPort::OnDSR, this, &TFormMain::ComPort1DSR);
        connect(port, &TComPort::OnOpen, this, &TFormMain::ComPort1Open);
        connect(port, &TComPort::OnClose, this, &TFormMain::ComPort1Close);
        connect(port, &TComPort::modemStatusChanged, this, [this, port] { showLineStatus(port); });
    }
}

LineSettings TFormMain::lineSettings() const
{
    return {m_settings.Port1, m_settings.Port2, m_settings.Line1,
            m_settings.Line2, m_settings.Alg1,  m_settings.Alg2};
}

void TFormMain::ComPort1DSR(TComPort *sender)
{
    const LineSignals inputs = decideLineSignal(sender->Port(), sender->currentEvent(), sender->modemStatus(),
                                                lineSettings(), LineState);
    const RaceView race{startAvailableNow(), m_race->armed(), m_race->laneRunning(0), m_race->laneRunning(1)};
    switch (DispatchLineSignal(inputs, race)) {
    case LineAction::Start:
        startRun(sender->eventStamp());
        TimerGesperrt1->start();
        break;
    case LineAction::StopLane1: stopLane(0, sender->eventStamp()); break;
    case LineAction::StopLane2: stopLane(1, sender->eventStamp()); break;
    case LineAction::None: break;
    }
}

void TFormMain::ComPort1Open(TComPort *sender)
{
    resetLineState(LineState, sender->Port(), lineSettings());
    Led1->show();
    showLineStatus(sender);
}

void TFormMain::ComPort1Close(TComPort *sender)
{
    Led1->hide();
    showLineStatus(sender);
}

void TFormMain::showLineStatus(TComPort *port)
{
    if (CfgDialog && port->Port() != 0)
        CfgDialog->setPortStatus(port->Port(), port->liveModemStatus());
}

void TFormMain::openComPort(TComPort *port)
{
    if (port->Port() == 0)
        return;
    try {
        port->Open();
    } catch (const EComError &error) {
        // A port that cannot be opened stays closed; only a fix the operator can make is worth a word.
        if (!error.userText().isEmpty())
            showNotice(error.userText());
    }
}

void TFormMain::openComPorts()
{
    const PortPlan plan = portPlan(m_settings);
    ComPort1->setPort(quint8(plan.ComPort1));
    ComPort2->setPort(quint8(plan.ComPort2));
    openComPort(ComPort1);
    openComPort(ComPort2);
}

void TFormMain::closeComPorts()
{
    for (TComPort *port : {ComPort1, ComPort2}) {
        try {
            port->Close();
        } catch (const EComError &) {
            // closing is best effort; the port is renumbered and reopened next
        }
        port->setPort(0);
    }
}

QString TFormMain::portDeviceText(int port, int line)
{
    if (port <= 0)
        return QString();
    QString path = comDevicePath(port);
    if (line == 1 && comCtsAlwaysOn(path))
        return path + QStringLiteral(" – kein RTS/CTS möglich");
    return path;
}

void TFormMain::bCFGClick()
{
    if (!CfgDialog)
        return;
    CfgDialog->setPortDevice(&TFormMain::portDeviceText);
    CfgDialog->setProtocolName(ProtocolName());
    for (TComPort *port : {ComPort1, ComPort2})
        showLineStatus(port);
    if (CfgDialog->execute() == TCfgDialog::mrOk) {
        // Every OK renumbers and reopens the ports, changed or not.
        closeComPorts();
        openComPorts();
        m_results->setScoring(Results::scoringOf(m_settings.Wertung));
        m_scoreboard->setScreenNumber(m_settings.Anzeigetafel);
        emit settingsApplied();
    }
    // Nothing is focused that a stray Space or Enter could press.
    PanelT1->setFocus();
}
