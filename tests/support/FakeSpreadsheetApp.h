#pragma once

#include "protocol/Excel.h"

#include <QStringList>

// What a test's spreadsheet application saw, and how it behaves.
struct SpreadsheetLog
{
    bool available = true;  // some program takes .xlsx workbooks
    bool takesFiles = true; // the program accepts the workbook handed to it
    QStringList opened;     // every workbook handed over, in order
};

// The desktop's spreadsheet application as a test controls it: it records the hand-overs in a log
// the test keeps, so the log outlives the TExcel that owns the application.
class FakeSpreadsheetApp : public SpreadsheetApp
{
public:
    explicit FakeSpreadsheetApp(SpreadsheetLog &log)
        : m_log(log)
    {}
    bool available() override { return m_log.available; }
    bool open(const QString &path) override;

private:
    SpreadsheetLog &m_log;
};
