#include "protocol/Excel.h"

#include "platform/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>

#include <xlsxwriter.h>

#include <cmath>

namespace {

const QString XlsxMimeType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

class DesktopSpreadsheetApp : public SpreadsheetApp
{
public:
    bool available() override
    {
        // The desktop opens files through xdg-open, which hands them to the default program of
        // their type: without such a program the workbook would go nowhere.
        const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
        if (query.isEmpty())
            return false;
        QProcess process;
        process.start(query, {QStringLiteral("query"), QStringLiteral("default"), XlsxMimeType});
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(1000);
            return false;
        }
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
               !process.readAllStandardOutput().trimmed().isEmpty();
    }

    bool open(const QString &path) override { return shellOpen(QUrl::fromLocalFile(path)); }
};

QString lxwMessage(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

} // namespace

std::unique_ptr<SpreadsheetApp> desktopSpreadsheetApp()
{
    return std::make_unique<DesktopSpreadsheetApp>();
}

TExcel::TExcel(QObject *parent)
    : QObject(parent)
    , m_app(desktopSpreadsheetApp())
    , m_folder(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Excel"))
    , m_name(QStringLiteral("Mappe1"))
{}

TExcel::~TExcel()
{
    dropWorkbook();
}

void TExcel::setApplication(std::unique_ptr<SpreadsheetApp> app)
{
    m_app = app ? std::move(app) : desktopSpreadsheetApp();
}

bool TExcel::readsAsNumber(const QString &value, double *number)
{
    static const QRegularExpression decimal(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    if (!decimal.match(value).hasMatch())
        return false;
    bool ok = false;
    const double parsed = value.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(parsed))
        return false;
    if (number)
        *number = parsed;
    return true;
}

QString TExcel::escapedText(const QString &value)
{
    static const QRegularExpression codedCharacter(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    if (!value.contains(QStringLiteral("_x")))
        return value;
    QString escaped = value;
    return escaped.replace(codedCharacter, QStringLiteral("_x005F_"));
}

bool TExcel::fail(const QString &reason)
{
    if (m_error.isEmpty())
        m_error = reason;
    dropWorkbook();
    return false;
}

void TExcel::dropWorkbook()
{
    if (m_workbook)
        lxw_workbook_free(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
    if (!m_partPath.isEmpty())
        QFile::remove(m_partPath);
    m_partPath.clear();
}

bool TExcel::Connect()
{
    dropWorkbook();
    m_error.clear();
    return m_app->available();
}

bool TExcel::NewWorkbook()
{
    dropWorkbook();
    m_error.clear();
    m_widths.clear();
    line = 1;
    if (!QDir().mkpath(m_folder))
        return fail(QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                        .arg(QDir::toNativeSeparators(m_folder)));
    // The workbook is written under a reserved name of its own and gets its real name only once
    // complete, so a failure never leaves a broken file where the operator looks.
    QTemporaryFile part(m_folder + QStringLiteral("/.XXXXXX.xlsx.part"));
    part.setAutoRemove(false);
    if (!part.open())
        return fail(part.errorString());
    m_partPath = part.fileName();
    part.close();
    m_workbook = workbook_new(QFile::encodeName(m_partPath).constData());
    if (!m_workbook)
        return fail(lxwMessage(LXW_ERROR_MEMORY_MALLOC_FAILED));
    m_sheet = workbook_add_worksheet(m_workbook, "Tabelle1");
    if (!m_sheet)
        return fail(lxwMessage(LXW_ERROR_MEMORY_MALLOC_FAILED));
    return true;
}

bool TExcel::WriteLine()
{
    if (Failed())
        return false;
    if (!m_sheet)
        return fail(QStringLiteral("Es ist keine Arbeitsmappe angelegt."));
    // Checked before the indexes narrow to libxlsxwriter's types.
    const qsizetype lines = Horizontal ? LXW_ROW_MAX : LXW_COL_MAX;
    const qsizetype values = Horizontal ? LXW_COL_MAX : LXW_ROW_MAX;
    if (line < 1 || line > lines || LineValues.size() > values)
        return fail(lxwMessage(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE));
    for (qsizetype i = 0; i < LineValues.size(); ++i) {
        const QString &value = LineValues[i];
        if (value.isEmpty())
            continue; // an empty value leaves its cell empty; the next value keeps its column
        const lxw_row_t row = lxw_row_t(Horizontal ? line - 1 : i);
        const lxw_col_t col = lxw_col_t(Horizontal ? i : line - 1);
        double number = 0;
        const lxw_error error =
            readsAsNumber(value, &number)
                ? worksheet_write_number(m_sheet, row, col, number, nullptr)
                : worksheet_write_string(m_sheet, row, col, escapedText(value).toUtf8().constData(), nullptr);
        if (error != LXW_NO_ERROR)
            return fail(lxwMessage(error));
        qsizetype &width = m_widths[int(col)];
        width = std::max(width, value.trimmed().size());
    }
    ++line;
    return true;
}

bool TExcel::AutoFitColumns()
{
    if (Failed())
        return false;
    if (!m_sheet)
        return fail(QStringLiteral("Es ist keine Arbeitsmappe angelegt."));
    for (auto it = m_widths.cbegin(); it != m_widths.cend(); ++it) {
        // One character unit per character plus a margin, as the spreadsheet's own fitting
        // leaves; never wider than the 255 characters a column can take.
        const double width = std::min(double(it.value()) + 1.0, 255.0);
        const lxw_error error =
            worksheet_set_column(m_sheet, lxw_col_t(it.key()), lxw_col_t(it.key()), width, nullptr);
        if (error != LXW_NO_ERROR)
            return fail(lxwMessage(error));
    }
    return true;
}

QString TExcel::freeFileName() const
{
    QString base = m_name.isEmpty() ? QStringLiteral("Mappe1") : m_name;
    base.replace(u'/', u'-');
    QString first = m_folder + u'/' + base + QStringLiteral(".xlsx");
    if (!QFileInfo::exists(first))
        return first;
    for (int n = 2;; ++n) {
        QString next = m_folder + u'/' + base + u'-' + QString::number(n) + QStringLiteral(".xlsx");
        if (!QFileInfo::exists(next))
            return next;
    }
}

bool TExcel::showWorkbook()
{
    return saveWorkbook() && m_app->open(m_path);
}

bool TExcel::saveWorkbook()
{
    if (Failed())
        return false;
    if (!m_workbook)
        return fail(QStringLiteral("Es ist keine Arbeitsmappe angelegt."));
    // libxlsxwriter reports a bad path or a full disk only here, and frees the workbook either way.
    const lxw_error error = workbook_close(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
    if (error != LXW_NO_ERROR)
        return fail(lxwMessage(error));
    // The rename never replaces an existing file, so a name taken meanwhile moves on to the next.
    QString path;
    for (int attempt = 0; attempt < 100 && path.isEmpty(); ++attempt) {
        const QString candidate = freeFileName();
        if (QFile::rename(m_partPath, candidate))
            path = candidate;
        else if (!QFileInfo::exists(candidate))
            break;
    }
    if (path.isEmpty())
        return fail(QStringLiteral("Die Arbeitsmappe kann nicht unter %1 abgelegt werden.")
                        .arg(QDir::toNativeSeparators(freeFileName())));
    m_partPath.clear();
    m_path = path;
    return true;
}
