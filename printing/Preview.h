#pragma once

#include "printing/MetaFileList.h"
#include "printing/PaperPreview.h"
#include "printing/PaperUnits.h"
#include "printing/PrintJob.h"

#include <QFont>
#include <QFrame>
#include <QPoint>
#include <QRect>
#include <QString>

#include <memory>

class QPainter;
class QPrinter;
class QScrollBar;

enum TZoomState {
    zsZoomOther, // Zoom percent of the real size on screen
    zsZoomToWidth,
    zsZoomToHeight,
    zsZoomToFit,
};

enum TPreviewState {
    psIdle,
    psComposing,
    psPrinting,
};

// The print preview: records pages on a canvas in page units into its page store, shows one page at
// a time on a sheet at a chosen zoom with scroll bars, keys and dragging, and hands a range of pages
// to a print job on the printer it is given.
class TPrintPreview : public QFrame
{
    Q_OBJECT

public:
    explicit TPrintPreview(QWidget *parent = nullptr);
    // Measures and prints on the printer given (see setPrinter).
    explicit TPrintPreview(QPrinter *printer, QWidget *parent = nullptr);
    ~TPrintPreview() override;

    TUnits Units() const { return m_units; }
    void setUnits(TUnits units);
    TPaperType PaperType() const { return m_paperType; }
    void setPaperType(TPaperType type);
    int PaperWidth() const { return m_paperWidth; }
    void setPaperWidth(int width);
    int PaperHeight() const { return m_paperHeight; }
    void setPaperHeight(int height);
    TPrinterOrientation Orientation() const { return m_orientation; }
    void setOrientation(TPrinterOrientation orientation);
    int MarginLeft() const { return m_marginLeft; }
    void setMarginLeft(int margin);
    int MarginTop() const { return m_marginTop; }
    void setMarginTop(int margin);
    int MarginRight() const { return m_marginRight; }
    void setMarginRight(int margin);
    int MarginBottom() const { return m_marginBottom; }
    void setMarginBottom(int margin);
    int MinMargin() const { return m_minMargin; }
    void setMinMargin(int margin) { m_minMargin = margin; }
    int Zoom() const { return m_zoom; }
    void setZoom(int zoom);
    TZoomState ZoomState() const { return m_zoomState; }
    void setZoomState(TZoomState state);
    bool UseTempFile() const { return m_store.UseTempFile(); }
    void setUseTempFile(bool useTempFile) { m_store.setUseTempFile(useTempFile); }
    QString PrintJobTitle() const { return m_printJobTitle; }
    void setPrintJobTitle(const QString &title) { m_printJobTitle = title; }
    // The initial font of every page canvas (not the control's own font); its pixel size is in
    // Units.
    QFont Font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    int DeviceDpiX() const { return m_deviceDpiX; }
    int DeviceDpiY() const { return m_deviceDpiY; }
    int PaperPixelWidth() const { return m_paperPixelWidth; }
    int PaperPixelHeight() const { return m_paperPixelHeight; }
    TPreviewState PreviewState() const { return m_state; }

    // Starts a new document: discards the pages, measures the printer and opens page 1. Refused
    // (false) while composing or while a print job runs.
    bool BeginDocument();
    void NewPage();
    void EndDocument();
    // Discards all pages; refused (false) while a print job runs, so its pages stay intact.
    bool ClearPages();
    // The canvas of the page being composed, in Units from the paper's top-left corner; during a
    // print job the printer's, in printer pixels; otherwise none.
    QPainter *PageCanvas() const;
    QRect MarginRect() const;
    int PageCount() const { return m_store.PageCount(); }
    int CurrentPage() const { return m_currentPage; }
    void setCurrentPage(int page);

    // The printer that measures the pages and prints them; none: the screen measures, and nothing
    // prints. The printer is given the preview's orientation while no job runs.
    void setPrinter(QPrinter *printer);
    QPrinter *printer() const { return m_printer; }

    PrintResult PrintAll();
    PrintResult PrintRange(int fromPage, int toPage);
    // Cancels the running print job after the page being sent; the job is discarded.
    void abortPrint();
    // The printer is given the paper, orientation and full-page mode of the preview.
    void ApplyPrinterSettings();
    // The whole sheet in the printer's pixels, relative to the printable area.
    QRect PrintingOffsetRect() const;
    // True while the preview has a printer that can print.
    bool canPrint() const;

    void UpdateDeviceMetrics();
    void UpdateZoom();

signals:
    // CurrentPage was set to another page (by the page keys, or by the owner).
    void currentPageChanged(int page);
    // A print job ended, with its outcome.
    void printFinished(PrintResult result);
    // A page of the running job went to the printer: done of count.
    void pagePrinted(int done, int count);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void PaintPage(QPainter &painter, const QRect &pageRect);
    void openPage();
    void closePage();
    void discardPage();
    void applyCanvasMapping();
    void showFirstPage();
    void layoutChildren();
    void placeSheet();
    void setBarsVisible(bool horizontal, bool vertical);
    void fitSheetToWidth(int width);
    void fitSheetToHeight(int height);
    QPageLayout printerLayout() const;

    TUnits m_units = mmHiMetric;
    TPaperType m_paperType = pA4;
    int m_paperWidth = 21000;
    int m_paperHeight = 29700;
    TPrinterOrientation m_orientation = poPortrait;
    int m_marginLeft = 700;
    int m_marginTop = 700;
    int m_marginRight = 700;
    int m_marginBottom = 700;
    int m_minMargin = 600;
    int m_zoom = 100;
    TZoomState m_zoomState = zsZoomToFit;
    QString m_printJobTitle;
    QFont m_font;
    int m_tag = 0;
    int m_deviceDpiX = 96;
    int m_deviceDpiY = 96;
    int m_paperPixelWidth = 1;
    int m_paperPixelHeight = 1;
    TPreviewState m_state = psIdle;
    int m_currentPage = 0;
    QPoint m_dragOrigin;
    bool m_inDoubleClick = false;
    bool m_hBarShown = false;
    bool m_vBarShown = false;

    TMetaFileList m_store;
    std::unique_ptr<PagePicture> m_picture;
    std::unique_ptr<QPainter> m_canvas;
    QPrinter *m_printer = nullptr;
    PrintJob *m_job = nullptr;

    QScrollBar *m_hBar;
    QScrollBar *m_vBar;
    QWidget *m_panel;
    TPaperPreview *m_sheet;
};
