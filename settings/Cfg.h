#pragma once

#include "settings/Settings.h"

#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPoint>
#include <QSpinBox>

#include <functional>
#include <optional>
#include <utility>

class QCheckBox;
class QFontDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QRadioButton;
class PasswordStore;
class TBitBtnWithColor;
class TLed;
class TPaperPreview;

// A drop-down list that announces the moment its list opens, before the list is shown.
class PortComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit PortComboBox(int tag, QWidget *parent = nullptr);

    int tag() const { return m_tag; }
    void showPopup() override;

signals:
    void dropDown();

private:
    int m_tag;
};

// A spin box whose entry reads as its minimum while it is not a number, and becomes the minimum when
// the box is left that way, instead of silently going back to the last number.
class SpinEdit : public QSpinBox
{
    Q_OBJECT

public:
    SpinEdit(int minimum, int maximum, int maxLength, QWidget *parent = nullptr);

    // The number in the entry, clamped to the range; the minimum when the entry is not a number.
    int entryValue() const;
    void fixup(QString &input) const override;
};

// The text of a port list item: "COM3 /4,6".
QString portItemText(int port, int line);
// Port and line of a port list item; false for "Kein" or a text that names no port.
bool parsePortItem(const QString &text, int &port, int &line);

// Which port numbers the two serial port components get for the given settings: the STOPP input shares
// ComPort1 when it names the START port, so each port is opened once. 0 means the component stays closed.
struct PortPlan
{
    int ComPort1 = 0;
    int ComPort2 = 0;
    bool operator==(const PortPlan &) const = default;
};
PortPlan portPlan(const Settings &settings);

// The settings dialog "Einstellungen". It works on the settings held in memory and never on the file.
// The group "Anschluss" chooses port, line and contact mode of the START and STOPP inputs; the group
// "Urkunde" and the area right of the groups hold the certificate layout editor.
class TCfgDialog : public QDialog
{
    Q_OBJECT

public:
    enum ModalResult {
        mrOk = 1,
        mrCancel = 2
    };

    // portMask: bit n-1 set when COMn is present, bits 16-31 the highest present port; 0 for none.
    TCfgDialog(Settings &settings, quint32 portMask, QWidget *parent = nullptr);

    // The seam: what the program's start, the main window and the tests hand in or read. Everything
    // else is reached as the operator reaches it, through the widgets (found by their object names).

    // Opening the dialog without the ports: fills it from the settings, shows it modally centred over
    // its parent, then applies OK to the connection values or restores the layout on Cancel.
    // Returns 1 for OK, 2 for Cancel. On OK the caller closes and reopens the ports by portPlan().
    int execute();
    void reject() override; // Esc and the close box end with 2, like "Abbrechen"

    // The modem-status word of an open port, or nullopt once it is closed. A lamp lights while its
    // input's chosen line is on in the status of that port; for a port not open the lamp is hidden.
    void setPortStatus(int port, std::optional<quint32> modemStatus);
    void clearPortStatus();
    // The text shown beside a port box for the chosen port and line: the device path, and a word where
    // the line cannot work on that device. Unset or empty shows nothing.
    void setPortDevice(std::function<QString(int port, int line)> device)
    {
        m_portDevice = std::move(device);
    }

    // The machine's addresses for the phones; unset means the network interfaces'.
    void setLocalAddresses(std::function<QList<QHostAddress>()> addresses)
    {
        m_localAddresses = std::move(addresses);
    }
    // Where the upload's password is kept; without one the password box stays empty.
    void setPasswordStore(PasswordStore *store) { m_passwords = store; }

    // The name of the loaded protocol, shown for the "Dateiname" field.
    void setProtocolName(const QString &name) { m_protocolName = name; }
    // Today's date for the "Datum" field; unset means the system date.
    void setCurrentDate(std::function<QDate()> today) { m_currentDate = std::move(today); }
    // Runs the font dialog modally; tests answer it instead.
    std::function<int(QFontDialog &)> execFontDialog;

    // One label of the miniature sheet: its text, top-left corner in the sheet's pixels, colour.
    struct SheetLabel
    {
        QString text;
        QPoint topLeft;
        TColor color = 0;
    };
    QList<SheetLabel> sheetLabels() const;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The group "Anschluss": under each port box sit the lamp of its line and the device behind the port.
    QGroupBox *GroupAnschluss = nullptr;
    QComboBox *cbPorts = nullptr; // the master list, never shown
    PortComboBox *cbPort1 = nullptr;
    PortComboBox *cbPort2 = nullptr;
    QComboBox *cbAlg1 = nullptr;
    QComboBox *cbAlg2 = nullptr;
    QLabel *lDevice1 = nullptr; // the device behind the chosen port
    QLabel *lDevice2 = nullptr;
    TLed *LineLed1 = nullptr; // live state of the chosen line
    TLed *LineLed2 = nullptr;
    QGroupBox *GroupWertung = nullptr;
    QRadioButton *rbLetzterLauf = nullptr;
    QRadioButton *rbBesterLauf = nullptr;
    QComboBox *cbAnzeigetafel = nullptr; // the scoreboard's screen: "aus" or a screen beside the operator's
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

    void createInputRow(int input, PortComboBox *&port, QComboBox *&mode, TLed *&lamp, QLabel *&device);
    void FormCreate();
    void FormShow();
    void fillFromSettings(); // select the stored choices, keep a copy of the layout
    void fillScreens();
    void cbPortChange();
    void cbPortDropDown(PortComboBox *box);
    void updateInputView(PortComboBox *box, QLabel *device, TLed *lamp);
    void OKBtnClick();
    void applyInput(PortComboBox *box, QComboBox *modeBox, int &port, int &line, int &mode);
    void applyConnection(); // OK: the chosen ports, lines and modes into the settings
    void applyScoring();    // OK: the chosen "Wertung" into the settings
    void applyScoreboard(); // OK: the chosen screen of the scoreboard into the settings
    void restoreLayout();   // Cancel: the layout as it was when the dialog was filled

    // "Live-Ergebnisse": the pages on the local network and the upload to a web site.
    QGroupBox *GroupLive = nullptr;
    QCheckBox *cbLive = nullptr; // "Im Netzwerk zeigen"
    QSpinBox *seLivePort = nullptr;
    QLabel *lLiveAddresses = nullptr; // what to type on a phone
    QLabel *lLiveQr = nullptr;        // the first of them as a QR code
    QLineEdit *eUpload = nullptr;     // "Hochladen nach"
    QLineEdit *eUser = nullptr;
    QLineEdit *ePassword = nullptr;
    void createLiveGroup();
    void fillLive();
    void liveChange(); // the addresses follow the port, OK needs an upload address that works
    void applyLive();  // OK: the live results into the settings, the password into its store

    // The certificate layout editor: the group "Urkunde" and the miniature sheet right of the groups.
    QGroupBox *GroupUrkunde = nullptr;
    QCheckBox *cbON = nullptr;
    QComboBox *cbWho = nullptr;
    QLineEdit *Edit1 = nullptr;
    SpinEdit *seLeft = nullptr;
    SpinEdit *seTop = nullptr;
    QComboBox *cbAlign = nullptr;
    TBitBtnWithColor *bFont = nullptr; // the edited field's font at twice its size
    QComboBox *cbZoom = nullptr;       // "A4" or "A3": the scale of the miniature sheet only
    TPaperPreview *PaperPreview1 = nullptr;
    // The kind whose values the editor controls hold; -1 while they hold nothing of a record.
    int CurrentField = -1;
    void createCertificateEditor();
    void storeCurrentField();
    void loadField(int kind);
    int zoomScale() const { return cbZoom->currentIndex() + 1; }
    void cbWhoChange();
    void cbONClick();
    void cbAlignChange();
    void sePosChange();
    void Edit1KeyUp();
    void bFontClick();
    void PaperPreview1Paint(QPainter &painter);
    void PaperPreview1MouseDown(const QPoint &pos);

    Settings &m_settings;
    quint32 m_portMask;
    QByteArray m_savedLayout;
    QHash<int, quint32> m_portStatus;
    std::function<QString(int port, int line)> m_portDevice;
    std::function<QList<QHostAddress>()> m_localAddresses;
    PasswordStore *m_passwords = nullptr;
    QString m_protocolName;
    std::function<QDate()> m_currentDate;
    TColor m_fontColor = clWindowText; // bFont's caption colour, kept as stored (system colours too)
};
