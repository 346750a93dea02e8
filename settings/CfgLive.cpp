// The group "Live-Ergebnisse" of the settings dialog.
#include "live/LiveAddress.h"
#include "live/LiveUpload.h"
#include "live/PasswordStore.h"
#include "settings/Cfg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>

namespace {

constexpr int LiveRow = 21;
// The port offered while the pages are off.
constexpr int DefaultLivePort = 8080;

} // namespace

void TCfgDialog::createLiveGroup()
{
    GroupLive = new QGroupBox(QStringLiteral("Live-Ergebnisse"), this);
    GroupLive->setObjectName(QStringLiteral("GroupLive"));
    GroupLive->setGeometry(8, 348, 480, 148);

    auto addLabel = [this](const QString &text, int x, int y, int width) {
        auto *label = new QLabel(text, GroupLive);
        label->setGeometry(x, y, width, LiveRow);
        return label;
    };
    auto addEdit = [this](const char *name, int x, int y, int width) {
        auto *edit = new QLineEdit(GroupLive);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setGeometry(x, y, width, LiveRow);
        edit->setMaxLength(MaxTextSetting);
        connect(edit, &QLineEdit::textChanged, this, &TCfgDialog::liveChange);
        return edit;
    };

    cbLive = new QCheckBox(QStringLiteral("Im Netzwerk zeigen"), GroupLive);
    cbLive->setObjectName(QStringLiteral("cbLive"));
    cbLive->setGeometry(8, 16, 150, LiveRow);
    connect(cbLive, &QCheckBox::toggled, this, &TCfgDialog::liveChange);
    addLabel(QStringLiteral("Port:"), 164, 16, 30);
    seLivePort = new QSpinBox(GroupLive);
    seLivePort->setObjectName(QStringLiteral("seLivePort"));
    seLivePort->setRange(1024, 65535); // lower ports are the system administrator's
    seLivePort->setValue(DefaultLivePort);
    seLivePort->setGeometry(196, 16, 70, LiveRow);
    connect(seLivePort, &QSpinBox::valueChanged, this, &TCfgDialog::liveChange);

    addLabel(QStringLiteral("Am Telefon:"), 8, 40, 90);
    lLiveAddresses = new QLabel(GroupLive);
    lLiveAddresses->setObjectName(QStringLiteral("lLiveAddresses"));
    lLiveAddresses->setGeometry(100, 43, 250, 44);
    lLiveAddresses->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lLiveAddresses->setTextInteractionFlags(Qt::TextSelectableByMouse);

    addLabel(QStringLiteral("Hochladen nach:"), 8, 92, 90);
    eUpload = addEdit("eUpload", 100, 92, 250);
    eUpload->setPlaceholderText(QStringLiteral("https://server/ordner/"));
    addLabel(QStringLiteral("Benutzer:"), 8, 118, 90);
    eUser = addEdit("eUser", 100, 118, 96);
    addLabel(QStringLiteral("Passwort:"), 202, 118, 52);
    ePassword = addEdit("ePassword", 254, 118, 96);
    ePassword->setEchoMode(QLineEdit::Password);

    lLiveQr = new QLabel(GroupLive);
    lLiveQr->setObjectName(QStringLiteral("lLiveQr"));
    lLiveQr->setGeometry(362, 16, 110, 110);
    lLiveQr->setAlignment(Qt::AlignCenter);
}

void TCfgDialog::fillLive()
{
    {
        const QSignalBlocker blockLive(cbLive);
        const QSignalBlocker blockPort(seLivePort);
        cbLive->setChecked(m_settings.LivePort > 0);
        if (m_settings.LivePort > 0)
            seLivePort->setValue(m_settings.LivePort);
    }
    eUpload->setText(m_settings.LiveUpload);
    eUser->setText(m_settings.LiveUser);
    const QUrl folder(m_settings.LiveUpload);
    ePassword->setText(
        m_passwords && !m_settings.LiveUser.isEmpty()
            ? m_passwords->known(PasswordStore::keyOf(folder, m_settings.LiveUser)).value_or(QString())
            : QString());
    liveChange();
}

void TCfgDialog::liveChange()
{
    seLivePort->setEnabled(cbLive->isChecked());
    const QStringList addresses = Live::phoneAddresses(
        m_localAddresses ? m_localAddresses() : Live::localIPv4(), quint16(seLivePort->value()));
    if (!cbLive->isChecked())
        lLiveAddresses->setText(QStringLiteral("aus"));
    else if (addresses.isEmpty())
        lLiveAddresses->setText(QStringLiteral("Kein Netzwerk gefunden"));
    else
        lLiveAddresses->setText(addresses.join(u'\n'));
    const QImage code =
        cbLive->isChecked() && !addresses.isEmpty() ? Live::qrCode(addresses.constFirst()) : QImage();
    if (code.isNull()) {
        lLiveQr->clear();
    } else {
        const int scale = std::max(1, lLiveQr->width() / code.width());
        lLiveQr->setPixmap(QPixmap::fromImage(code.scaled(code.size() * scale)));
    }

    // An address that cannot take the upload is not taken: OK waits for a working one or none.
    const QString upload = eUpload->text().trimmed();
    const bool uploadOk = upload.isEmpty() || LiveUpload::isFolderAddress(QUrl(upload));
    eUpload->setToolTip(uploadOk ? QString() : QStringLiteral("Eine Adresse mit http:// oder https://"));
    QPalette palette = eUpload->palette();
    palette.setColor(QPalette::Text, uploadOk ? QPalette().color(QPalette::Text) : QColor(Qt::red));
    eUpload->setPalette(palette);
    if (OKBtn)
        OKBtn->setEnabled(uploadOk);
}

void TCfgDialog::applyLive()
{
    m_settings.LivePort = cbLive->isChecked() ? seLivePort->value() : 0;
    m_settings.LiveUpload = eUpload->text().trimmed();
    m_settings.LiveUser = eUser->text().trimmed();
    if (!m_passwords || m_settings.LiveUpload.isEmpty() || m_settings.LiveUser.isEmpty())
        return;
    const QString key = PasswordStore::keyOf(QUrl(m_settings.LiveUpload), m_settings.LiveUser);
    if (m_passwords->known(key) != ePassword->text())
        m_passwords->save(key, ePassword->text());
}
