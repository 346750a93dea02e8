#pragma once

#include "platform/Graphics.h"

#include <QFont>
#include <QFrame>
#include <QList>
#include <QPicture>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <stdexcept>

class QIODevice;
class QPainter;
class QScrollBar;

// Length units of the engine, with their units per inch (a pixel's are the device's resolution).
enum TUnits {
    mmPixel,     // device pixel
    mmLoMetric,  // 0.1 mm, 254 per inch
    mmHiMetric,  // 0.01 mm, 2540 per inch
    mmLoEnglish, // 0.1 inch
    mmHiEnglish, // 0.01 inch
    mmTWIPS,     // 1/1440 inch
};

// Converts a length between units; dpi gives the units per inch of mmPixel. Whole multiples and
// divisors are exact (dividing truncates toward zero), all other factors round to the nearest
// integer. A result beyond the 32-bit range saturates instead of wrapping.
int ConvertUnits(int value, int dpi, TUnits from, TUnits to);

enum TZoomState {
    zsZoomOther, // Zoom percent of the real size on screen
    zsZoomToWidth,
    zsZoomToHeight,
    zsZoomToFit,
};

enum TPaperType {
    pLetter,
    pLetterSmall,
    pTabloid,
    pLedger,
    pLegal,
    pStatement,
    pExecutive,
    pA3,
    pA4,
    pA4Small,
    pA5,
    pB4,
    pB5,
    pFolio,
    pQuatro,
    p10x14,
    p11x17,
    pNote,
    pEnv9,
    pEnv10,
    pEnv11,
    pEnv12,
    pEnv14,
    pCSheet,
    pDSheet,
    pESheet,
    pEnvDL,
    pEnvC5,
    pEnvC3,
    pEnvC4,
    pEnvC6,
    pEnvC65,
    pEnvB4,
    pEnvB5,
    pEnvB6,
    pEnvItaly,
    pEnvMonarch,
    pEnvPersonal,
    pFanfoldUSStd,
    pFanfoldGermanStd,
    pFanfoldGermanLegal,
    pB4ISO,
    pJapanesePostcard,
    p9x11,
    p10x11,
    p15x11,
    pEnvInvite,
    pLetterExtra,
    pLegalExtra,
    TabloidExtra,
    pA4Extra,
    pLetterTransverse,
    pA4Transverse,
    pLetterExtraTransverse,
    pAPlus,
    pBPlus,
    pLetterPlus,
    pA4Plus,
    pA5Transverse,
    pB5Transverse,
    pA3Extra,
    pA5Extra,
    pB5Extra,
    pA2,
    pA3Transverse,
    pA3ExtraTransverse,
    pCustom,
};
inline constexpr int PaperTypeCount = pCustom + 1;

// A paper's Windows paper-size code and its size in 0.1 mm (0 x 0 for pCustom).
struct TPaperSizeInfo
{
    int ID;
    int Width;
    int Height;
};

// PaperTable[type]: the sizes come from Qt's page-size database, so no size is typed twice.
class TPaperTable
{
public:
    const TPaperSizeInfo &operator[](TPaperType type) const;
};
extern const TPaperTable PaperTable;

enum TPrinterOrientation {
    poPortrait,
    poLandscape,
};

enum TPreviewState {
    psIdle,
    psComposing,
    psPrinting,
};

// What a print job came to; only prPrinted means every page went to the printer.
enum TPrintResult {
    prPrinted,
    prNothingToPrint, // no pages in the range
    prBusy,           // composing or another job running
    prNoPrinter,      // no printer installed and no output file
    prAborted,        // the job was cancelled and discarded
    prFailed,         // the printer refused the job or a page; the job was discarded
};

// "Not enough memory to create a new page": a page could not be recorded or stored.
class EOutOfMemory : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The page store cannot take a page: its temporary file cannot be created or written.
class EPageStoreFailed : public EOutOfMemory
{
public:
    using EOutOfMemory::EOutOfMemory;
};

// Raised inside the print loop to cancel a job; it never leaves PrintRange.
class EAbortPrint : public std::exception
{
public:
    const char *what() const noexcept override { return ""; }
};

// One recorded page: a picture in the picture's own pixels plus the paper it was drawn on. Every
// instance is counted, so tests and benchmarks can see how many pages are held at once.
class TPagePicture : public QPicture
{
public:
    TPagePicture();
    ~TPagePicture() override;
    TPagePicture(const TPagePicture &) = delete;
    TPagePicture &operator=(const TPagePicture &) = delete;

    // The paper the page was recorded for, in millimetres; empty for an empty picture.
    QSizeF PaperSizeMm;

    static int Alive();
    static int PeakAlive();
    static void ResetPeakAlive();
};

// Draws a recorded page stretched so that its paper fills target (in the painter's coordinates),
// on any device: the same call shows the sheet, prints, and renders pages in tests.
void DrawPage(QPainter &painter, const TPagePicture &page, const QRectF &target);

// The page store: pages back to back in one stream, in memory or in a temporary file, and one
// cached picture that LoadPage fills.
class TMetaFileList
{
public:
    TMetaFileList();
    ~TMetaFileList();
    TMetaFileList(const TMetaFileList &) = delete;
    TMetaFileList &operator=(const TMetaFileList &) = delete;

    // Appends a page; throws EPageStoreFailed when the stream refuses the bytes.
    void AddPage(const TPagePicture &picture);
    int PageCount() const { return int(m_pageOffsets.size()); }
    // 0-based; an index outside the store gives an empty picture. The picture belongs to the
    // store and is valid until the next call.
    TPagePicture &LoadPage(int index);
    void Clear();

    bool UseTempFile() const { return m_useTempFile; }
    // Moves the stored pages into a stream of the new kind, in order.
    void setUseTempFile(bool useTempFile);
    QString TempFileName() const { return m_tempFileName; }

private:
    std::unique_ptr<QIODevice> CreateStore();

    bool m_useTempFile = false;
    std::unique_ptr<QIODevice> m_stream;
    QList<qint64> m_pageOffsets;
    qint64 m_streamEnd = 0;
    QString m_tempFileName;
    std::unique_ptr<TPagePicture> m_cached;
};

// A sheet of paper on screen: a white paper area with a border and an offset shadow. The owner
// paints the paper area through paperPaint; the control never erases its background.
class TPaperPreview : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int PaperWidth READ PaperWidth WRITE setPaperWidth)
    Q_PROPERTY(int PaperHeight READ PaperHeight WRITE setPaperHeight)
    Q_PROPERTY(TColor PaperColor READ PaperColor WRITE setPaperColor)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE setBorderColor)
    Q_PROPERTY(int BorderSize READ BorderSize WRITE setBorderSize)
    Q_PROPERTY(TColor ShadowColor READ ShadowColor WRITE setShadowColor)
    Q_PROPERTY(int ShadowSize READ ShadowSize WRITE setShadowSize)

public:
    explicit TPaperPreview(QWidget *parent = nullptr);

    // The paper area in pixels; the control is larger by twice the border and once the shadow.
    int PaperWidth() const { return width() - 2 * m_borderSize - m_shadowSize; }
    int PaperHeight() const { return height() - 2 * m_borderSize - m_shadowSize; }
    TColor PaperColor() const { return m_paperColor; }
    TColor BorderColor() const { return m_borderColor; }
    int BorderSize() const { return m_borderSize; }
    TColor ShadowColor() const { return m_shadowColor; }
    int ShadowSize() const { return m_shadowSize; }
    // The paper area in the control's pixels, right and bottom exclusive.
    QRect PageRect() const;

    QSize sizeHint() const override;

public slots:
    void setPaperWidth(int width);
    void setPaperHeight(int height);
    void setPaperColor(TColor color);
    void setBorderColor(TColor color);
    void setBorderSize(int size);
    void setShadowColor(TColor color);
    void setShadowSize(int size);

signals:
    // Paints the paper area; the painter is clipped to pageRect.
    void paperPaint(QPainter &painter, const QRect &pageRect);
    // Fired after every change of size.
    void paperResize();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setPaperSize(int paperWidth, int paperHeight);

    TColor m_paperColor = clWhite;
    TColor m_borderColor = clBlack;
    int m_borderSize = 1;
    TColor m_shadowColor = clBtnShadow;
    int m_shadowSize = 3;
};

// The print preview: records pages on a canvas in page units, shows one page at a time on a sheet
// at a chosen zoom with scroll bars, keys and dragging, and prints a range of pages to the shared
// printer.
class TPrintPreview : public QFrame
{
    Q_OBJECT

public:
    explicit TPrintPreview(QWidget *parent = nullptr);
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
    // The page store, for reading pages back (LoadPage) and for measuring it.
    TMetaFileList &Pages() { return m_store; }

    TPrintResult PrintAll();
    TPrintResult PrintRange(int fromPage, int toPage);
    // Cancels the running print job after the page being sent; the job is discarded.
    void AbortPrint();
    // The printer is given the paper, orientation and full-page mode of the preview.
    void ApplyPrinterSettings();
    // The whole sheet in the printer's pixels, relative to the printable area.
    QRect PrintingOffsetRect() const;
    // True while a printer is installed or the shared printer writes to a file.
    static bool PrinterInstalled();

    void UpdateDeviceMetrics();
    void UpdateZoom();

    QScrollBar *HorzScrollBar() const { return m_hBar; }
    QScrollBar *VertScrollBar() const { return m_vBar; }
    QWidget *InnerPanel() const { return m_panel; }
    TPaperPreview *Sheet() const { return m_sheet; }

signals:
    // CurrentPage was set to another page (by the page keys, or by the owner).
    void currentPageChanged(int page);
    // A print job ended, with its outcome.
    void printFinished(TPrintResult result);
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
    bool printAborted() const;

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
    bool m_abortRequested = false;
    bool m_hBarShown = false;
    bool m_vBarShown = false;

    TMetaFileList m_store;
    std::unique_ptr<TPagePicture> m_picture;
    std::unique_ptr<QPainter> m_canvas;
    QPainter *m_printCanvas = nullptr;

    QScrollBar *m_hBar;
    QScrollBar *m_vBar;
    QWidget *m_panel;
    TPaperPreview *m_sheet;
};
