#include "DlgYesNo.h"
#include "FMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ombrel"));

    TFormMain form;
    TFDlgYesNo yesNo(&form);
    form.setYesNoDialog(&yesNo);
    form.show();
    return app.exec();
}
