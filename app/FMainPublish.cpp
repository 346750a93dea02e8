// Publishing the protocol: the web page and the spreadsheet hand-over.
#include "FMain.h"

bool TFormMain::WriteHtmlProtocol(const QString &)
{
    return false;
}

void TFormMain::sbHTMLClick()
{}

void TFormMain::sbExcelClick()
{}
