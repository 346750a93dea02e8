#include "tests/support/FakeSpreadsheetApp.h"

bool FakeSpreadsheetApp::open(const QString &path)
{
    m_log.opened.append(path);
    return m_log.takesFiles;
}
