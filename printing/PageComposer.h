#pragma once

#include "printing/MetaFileList.h"
#include "printing/PaperUnits.h"

#include <QFont>
#include <QObject>
#include <QPageLayout>
#include <QRect>

#include <memory>

class QPaintDevice;
class QPainter;
class QPrinter;

// Composes pages without any window: keeps the paper, its margins and the units, measures them on the
// printer given (on the screen without one), offers the canvas of the page being recorded in the units
// and keeps the recorded pages in its page store.
class PageComposer : public QObject
{
    Q_OBJECT

public:
    // screen measures while no printer is installed; the primary screen when none is given.
    explicit PageComposer(QPrinter *printer = nullptr, const QPaintDevice *screen = nullptr);
    ~PageComposer() override;

    TUnits Units() const { return m_units; }
    void setUnits(TUnits units);
    TPaperType PaperType() const { return m_paperType; }
    void setPaperType(TPaperType type);
    int PaperWidth() const { return m_paperWidth; }
    void setPaperWidth(int width);
    int PaperHeight() const { return m_paperHeight; }
    void setPaperHeight(int height);
    TPrinterOrientation Orientation() const { return m_orientation; }
    // Refused while composing: the open page keeps its paper.
    void setOrientation(TPrinterOrientation orientation);
    int MarginLeft() const { return m_marginLeft; }
    void setMarginLeft(int margin) { m_marginLeft = qMax(margin, m_minMargin); }
    int MarginTop() const { return m_marginTop; }
    void setMarginTop(int margin) { m_marginTop = qMax(margin, m_minMargin); }
    int MarginRight() const { return m_marginRight; }
    void setMarginRight(int margin) { m_marginRight = qMax(margin, m_minMargin); }
    int MarginBottom() const { return m_marginBottom; }
    void setMarginBottom(int margin) { m_marginBottom = qMax(margin, m_minMargin); }
    int MinMargin() const { return m_minMargin; }
    void setMinMargin(int margin) { m_minMargin = margin; }
    QRect MarginRect() const;
    // The initial font of every page canvas; its pixel size is in Units.
    QFont Font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }
    bool UseTempFile() const { return m_store.UseTempFile(); }
    void setUseTempFile(bool useTempFile) { m_store.setUseTempFile(useTempFile); }

    int DeviceDpiX() const { return m_deviceDpiX; }
    int DeviceDpiY() const { return m_deviceDpiY; }
    int PaperPixelWidth() const { return m_paperPixelWidth; }
    int PaperPixelHeight() const { return m_paperPixelHeight; }

    // Discards the pages, measures the printer and opens page 1; refused (false) while composing.
    bool BeginDocument();
    void NewPage();
    void EndDocument();
    void ClearPages();
    bool isComposing() const { return m_composing; }
    // The canvas of the page being composed, in Units from the paper's top-left corner.
    QPainter *PageCanvas() const { return m_composing ? m_canvas.get() : nullptr; }
    int PageCount() const { return m_store.PageCount(); }
    // The stored pages, for the sheet and the print jobs to read back.
    TMetaFileList &pages() { return m_store; }

    // The printer that measures the pages; it is given the orientation while it is not printing.
    void setPrinter(QPrinter *printer);
    QPrinter *printer() const { return m_printer; }
    bool canPrint() const;
    void UpdateDeviceMetrics();
    // The paper as composed: a user-defined one is given upright, the orientation turns it.
    QPageLayout paperLayout() const;

signals:
    // A page went to the store.
    void pageStored();
    // The paper, its orientation or the device measuring it changed.
    void paperChanged();

private:
    void openPage();
    void closePage();
    void discardPage();
    void applyCanvasMapping();
    void paperResized();

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
    QFont m_font;
    int m_deviceDpiX = 96;
    int m_deviceDpiY = 96;
    int m_paperPixelWidth = 1;
    int m_paperPixelHeight = 1;
    bool m_composing = false;

    TMetaFileList m_store;
    std::unique_ptr<PagePicture> m_picture;
    std::unique_ptr<QPainter> m_canvas;
    QPrinter *m_printer;
    const QPaintDevice *m_screen;
};
