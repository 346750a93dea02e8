#include "app/FMain.h"
#include "app/ShutdownSignals.h"
#include "printing/FPP.h"
#include "settings/Cfg.h"
#include "settings/DlgYesNo.h"
#include "settings/QtTranslations.h"

#include <QApplication>
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
    form.show();

    // Shutdown, logout and Ctrl+C end the program as "Beenden" does: settings written, ports closed.
    ShutdownSignals shutdown;
    QObject::connect(&shutdown, &ShutdownSignals::received, &form, [&form] {
        form.closeWithoutQuestion();
        QApplication::exit(0); // also leaves an open dialog's loop, which a close would not end
    });
    return QApplication::exec();
}
