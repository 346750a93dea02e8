#include "app/FMain.h"
#include "app/ShutdownSignals.h"
#include "live/LiveResults.h"
#include "live/PasswordStore.h"
#include "printing/FPP.h"
#include "settings/Cfg.h"
#include "settings/DlgYesNo.h"
#include "settings/QtTranslations.h"

#include <QApplication>
#include <QInputDialog>
#include <QLocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ombrel"));

    // The system dialogs (open, save, print) speak the operator's language, as the program does.
    const auto qtTexts = installQtTranslations(QLocale());

    // The windows in their order: the settings dialog needs the main window's settings and port probe.
    TFormMain form;
    TCfgDialog cfg(form.settings(), form.portMask(), &form);
    form.setCfgDialog(&cfg);
    TFDlgYesNo yesNo(&form);
    form.setYesNoDialog(&yesNo);
    TFormPP preview(&form);
    form.setPreviewWindow(&preview);

    // Live results: the pages on the local network and the upload, following the settings.
    PasswordStore passwords(PasswordStore::Backend::System);
    cfg.setPasswordStore(&passwords);
    LiveResults live(form.results(), form.race(), passwords);
    live.protocolName = [&form] { return form.protocolName(); };
    live.protocolTable = [&form] { return form.protocolTable(); };
    QObject::connect(&live, &LiveResults::notice, &form, &TFormMain::notify);
    QObject::connect(&live, &LiveResults::passwordNeeded, &form, [&form, &passwords](const QString &key) {
        // No password store answered: asked once per start, kept in memory only.
        bool ok = false;
        const QString password = QInputDialog::getText(
            &form, QStringLiteral("Live-Ergebnisse"),
            QStringLiteral("Kein Passwortspeicher erreichbar. Passwort für das Hochladen (%1):").arg(key),
            QLineEdit::Password, QString(), &ok);
        passwords.remember(key, ok ? password : QString());
    });
    const auto applyLive = [&form, &live] {
        const Settings &settings = form.settings();
        live.apply({settings.LivePort, settings.LiveUpload, settings.LiveUser});
    };
    QObject::connect(&form, &TFormMain::settingsApplied, &live, applyLive);
    applyLive();
    form.show();

    // Shutdown, logout and Ctrl+C end the program as "Beenden" does: settings written, ports closed.
    ShutdownSignals shutdown;
    QObject::connect(&shutdown, &ShutdownSignals::received, &form, [&form] {
        form.closeWithoutQuestion();
        QApplication::exit(0); // also leaves an open dialog's loop, which a close would not end
    });
    return QApplication::exec();
}
