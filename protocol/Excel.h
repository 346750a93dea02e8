#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

struct lxw_workbook;
struct lxw_worksheet;

// The desktop's spreadsheet application, as far as the hand-over needs it. Tests replace it.
class SpreadsheetApp
{
public:
    virtual ~SpreadsheetApp() = default;
    // True when some program takes an .xlsx workbook.
    virtual bool available() = 0;
    // Hands the finished workbook file to that program; false when nothing took it.
    virtual bool open(const QString &path) = 0;
};

// The desktop's own: the program registered for .xlsx files, opened through shellOpen.
std::unique_ptr<SpreadsheetApp> desktopSpreadsheetApp();

// A new workbook for the desktop's spreadsheet application, filled line by line. It knows nothing
// about the protocol. Each workbook becomes a file of its own in folder(), named after
// workbookName() and never replacing an earlier one, and is handed to the application by
// showWorkbook() once it is complete. Values that read as numbers become number cells, the rest
// text, as the spreadsheet's own input would take them.
//
// Every libxlsxwriter call is checked. After the first failure the workbook is dropped, the later
// calls do nothing, Failed() is true and errorString() says why; no partial file is left behind.
class TExcel : public QObject
{
    Q_OBJECT

public:
    explicit TExcel(QObject *parent = nullptr);
    ~TExcel() override;

    // True: every Connect asks for a new instance. A file hand-over always starts a new workbook
    // window, so the flag is kept for the callers' sake and changes nothing here.
    bool ExcelNew = false;
    // True: one line fills a worksheet row (columns 1, 2, ...); false: a worksheet column.
    bool Horizontal = true;
    // 1-based number of the row (or column) the next WriteLine fills.
    int line = 1;
    // The values of the next line, in order.
    QStringList LineValues;

    // False (and nothing else happens) when no program can take a workbook. Drops a workbook
    // that was never shown.
    bool Connect();
    // Starts an empty workbook with one worksheet; line := 1.
    bool NewWorkbook();
    // Writes LineValues into line `line`, then line := line + 1. Empty values leave their cell empty.
    bool WriteLine();
    // Fits every column's width to its longest value.
    bool AutoFitColumns();
    // Writes the workbook file and hands it to the application. False when the file could not be
    // written (Failed()) or when nothing took it (the file then stays in folder()).
    bool showWorkbook();
    // Writes the workbook file only, for a desktop where no program takes it. False when it failed.
    bool saveWorkbook();

    bool Failed() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // The file last written by showWorkbook.
    QString workbookPath() const { return m_path; }

    QString folder() const { return m_folder; }
    void setFolder(const QString &folder) { m_folder = folder; }
    QString workbookName() const { return m_name; }
    void setWorkbookName(const QString &name) { m_name = name; }
    void setApplication(std::unique_ptr<SpreadsheetApp> app);

    // A value written as a number cell: a decimal number with a point, optional sign and exponent.
    static bool readsAsNumber(const QString &value, double *number = nullptr);
    // A text as the workbook must hold it: the format reads "_x0041_" as the character it codes,
    // so a text that holds such a run literally gets its underscore escaped ("_x005F_x0041_").
    static QString escapedText(const QString &value);

private:
    bool fail(const QString &reason);
    void dropWorkbook();
    QString freeFileName() const;

    std::unique_ptr<SpreadsheetApp> m_app;
    QString m_folder;
    QString m_name;
    QString m_error;
    QString m_path;
    QString m_partPath; // the workbook being written, renamed to its own name once complete
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    QMap<int, qsizetype> m_widths; // longest value per worksheet column (0-based)
};
