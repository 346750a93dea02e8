#pragma once

#include "printing/PageComposer.h"
#include "printing/PaperPreview.h"
#include "printing/PrintJob.h"

#include <QFont>
#include <QFrame>
#include <QPoint>
#include <QRect>
#include <QString>

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

// The print preview: shows one page at a time of the pages its composer records, on a sheet at a
// chosen zoom with scroll bars, keys and dragging, and hands a range of them to a print job on the
// printer it is given. The paper, the units and the composing are the composer's.
class TPrintPreview : public QFrame
{
    Q_OBJECT

public:
    explicit TPrintPreview(QWidget *parent = nullptr);
    // Measures and prints on the printer given (see setPrinter).
    explicit TPrintPreview(QPrinter *printer, QWidget *parent = nullptr);
    ~TPrintPreview() override;

    TUnits Units() const { return m_composer.Units(); }
    void setUnits(TUnits units) { m_composer.setUnits(units); }
    TPaperType PaperType() const { return m_composer.PaperType(); }
    void setPaperType(TPaperType type) { m_composer.setPaperType(type); }
    int PaperWidth() const { return m_composer.PaperWidth(); }
    void setPaperWidth(int width) { m_composer.setPaperWidth(width); }
    int PaperHeight() const { return m_composer.PaperHeight(); }
    void setPaperHeight(int height) { m_composer.setPaperHeight(height); }
    TPrinterOrientation Orientation() const { return m_composer.Orientation(); }
    void setOrientation(TPrinterOrientation orientation) { m_composer.setOrientation(orientation); }
    int MarginLeft() const { return m_composer.MarginLeft(); }
    void setMarginLeft(int margin) { m_composer.setMarginLeft(margin); }
    int MarginTop() const { return m_composer.MarginTop(); }
    void setMarginTop(int margin) { m_composer.setMarginTop(margin); }
    int MarginRight() const { return m_composer.MarginRight(); }
    void setMarginRight(int margin) { m_composer.setMarginRight(margin); }
    int MarginBottom() const { return m_composer.MarginBottom(); }
    void setMarginBottom(int margin) { m_composer.setMarginBottom(margin); }
    int MinMargin() const { return m_composer.MinMargin(); }
    void setMinMargin(int margin) { m_composer.setMinMargin(margin); }
    int Zoom() const { return m_zoom; }
    void setZoom(int zoom);
    TZoomState ZoomState() const { return m_zoomState; }
    void setZoomState(TZoomState state);
    bool UseTempFile() const { return m_composer.UseTempFile(); }
    void setUseTempFile(bool useTempFile) { m_composer.setUseTempFile(useTempFile); }
    QString PrintJobTitle() const { return m_printJobTitle; }
    void setPrintJobTitle(const QString &title) { m_printJobTitle = title; }
    // The initial font of every page canvas (not the control's own font); its pixel size is in
    // Units.
    QFont Font() const { return m_composer.Font(); }
    void setFont(const QFont &font) { m_composer.setFont(font); }
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    int DeviceDpiX() const { return m_composer.DeviceDpiX(); }
    int DeviceDpiY() const { return m_composer.DeviceDpiY(); }
    int PaperPixelWidth() const { return m_composer.PaperPixelWidth(); }
    int PaperPixelHeight() const { return m_composer.PaperPixelHeight(); }
    TPreviewState PreviewState() const;

    // Starts a new document: discards the pages, measures the printer and opens page 1. Refused
    // (false) while composing or while a print job runs.
    bool BeginDocument();
    void NewPage() { m_composer.NewPage(); }
    void EndDocument() { m_composer.EndDocument(); }
    // Discards all pages; refused (false) while a print job runs, so its pages stay intact.
    bool ClearPages();
    // The canvas of the page being composed, in Units from the paper's top-left corner; during a
    // print job the printer's, in printer pixels; otherwise none.
    QPainter *PageCanvas() const;
    QRect MarginRect() const { return m_composer.MarginRect(); }
    int PageCount() const { return m_composer.PageCount(); }
    int CurrentPage() const { return m_currentPage; }
    void setCurrentPage(int page);

    // The printer that measures the pages and prints them; none: the screen measures, and nothing
    // prints. The printer is given the preview's orientation while no job runs.
    void setPrinter(QPrinter *printer);
    QPrinter *printer() const { return m_composer.printer(); }

    PrintResult PrintAll();
    PrintResult PrintRange(int fromPage, int toPage);
    // Cancels the running print job after the page being sent; the job is discarded.
    void abortPrint();
    // The printer is given the paper, orientation and full-page mode of the preview.
    void ApplyPrinterSettings();
    // The whole sheet in the printer's pixels, relative to the printable area.
    QRect PrintingOffsetRect() const;
    // True while the preview has a printer that can print.
    bool canPrint() const { return m_composer.canPrint(); }

    void UpdateDeviceMetrics() { m_composer.UpdateDeviceMetrics(); }
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
    void showFirstPage();
    void layoutChildren();
    void placeSheet();
    void setBarsVisible(bool horizontal, bool vertical);
    void fitSheetToWidth(int width);
    void fitSheetToHeight(int height);

    PageComposer m_composer;
    int m_zoom = 100;
    TZoomState m_zoomState = zsZoomToFit;
    QString m_printJobTitle;
    int m_tag = 0;
    int m_currentPage = 0;
    QPoint m_dragOrigin;
    bool m_inDoubleClick = false;
    bool m_hBarShown = false;
    bool m_vBarShown = false;
    PrintJob *m_job = nullptr;

    QScrollBar *m_hBar;
    QScrollBar *m_vBar;
    QWidget *m_panel;
    TPaperPreview *m_sheet;
};
