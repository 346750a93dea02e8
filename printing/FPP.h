#pragma once

#include "printing/Preview.h"
#include "protocol/ProtocolFiles.h"

#include <QByteArray>
#include <QPageRanges>
#include <QString>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QProgressDialog;
class QPushButton;
class QSpinBox;

// What the preview composes from, read afresh at every composition: the protocol as the grid
// holds it now, its name, the date panel's caption, the certificate layout (whose data fields
// keep the last certificate's texts), the print dialog's range of entries and the pages it listed
// (certificates: entries; protocol: pages; empty for all).
struct PrintSource
{
    ProtocolFormat::Table table; // row 0 the captions
    QString protocolName;
    QString dateCaption;
    QByteArray *certLayout = nullptr;
    int fromPage = 1;
    int toPage = 1;
    QPageRanges pages = {};
};

// The preview window "Ansicht": the composed pages on a sheet, with zoom, page and orientation
// choices, and "Drucken" for all pages.
class TFormPP : public QWidget
{
    Q_OBJECT

public:
    explicit TFormPP(QWidget *parent = nullptr);

    // Protocol pages (0) or certificates (any other value).
    void setDocumentMode(int mode);
    int documentMode() const;
    void setPrintSource(std::function<PrintSource()> source) { m_source = std::move(source); }

    // Composes the chosen document from scratch into the preview's pages. A page that cannot be
    // made ends the composition with a message; the preview is then empty.
    void ComposeDocument();
    // The print dialog has already asked about writing over this file: the next "Drucken" need not.
    void setConfirmedOutputFile(const QString &file) { m_confirmedFile = file; }

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    TPrintPreview *PrintPreview1 = nullptr; // tests find it by its name, as the other parts
    void FormCreate();
    void keepOnScreen();
    void Button1Click();
    void cbZoomChange(int index);
    void sePageChange(int value);
    void cbOriChange(int index);
    void cbPapirChange(int index);
    void composePages(const PrintSource &source);
    void showPrintProgress(int page, int count);
    void reportPrintResult(PrintResult result, int pages);
    bool confirmOverwrite(const QString &file);
    void setStatus(const QString &text);
    void placeStatus();

    QWidget *Panel1 = nullptr;
    QPushButton *Button1 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    QComboBox *cbZoom = nullptr;
    QSpinBox *sePage = nullptr;
    QComboBox *cbOri = nullptr;
    QComboBox *cbPapir = nullptr;
    QLabel *lbStatus = nullptr;
    QProgressDialog *m_progress = nullptr;
    std::function<PrintSource()> m_source;
    QString m_statusText;
    QString m_confirmedFile;
};
