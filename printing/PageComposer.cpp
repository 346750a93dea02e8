#include "printing/PageComposer.h"

#include "printing/PrintJob.h"

#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QScreen>

#include <utility>

namespace {

const char *const NoPageMemory = "Not enough memory to create a new page";

qreal unitsPerInch(TUnits units, int dpi)
{
    switch (units) {
    case mmPixel: return qMax(1, dpi);
    case mmLoMetric: return 254;
    case mmHiMetric: return 2540;
    case mmLoEnglish: return 10;
    case mmHiEnglish: return 100;
    case mmTWIPS: return 1440;
    }
    return 254;
}

// The resolution of the device given, else of the primary screen.
QPoint screenDpi(const QPaintDevice *device)
{
    if (device)
        return QPoint(device->logicalDpiX(), device->logicalDpiY());
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? QPointF(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY()).toPoint()
                  : QPoint(96, 96);
}

} // namespace

PageComposer::PageComposer(QPrinter *printer, const QPaintDevice *screen)
    : m_font(QStringLiteral("Arial"))
    , m_printer(printer)
    , m_screen(screen)
{
    m_font.setPixelSize(200);
    UpdateDeviceMetrics();
}

PageComposer::~PageComposer()
{
    discardPage();
    m_store.Clear();
}

void PageComposer::setUnits(TUnits units)
{
    if (units == m_units)
        return;
    const TUnits old = m_units;
    auto convertX = [&](int value) { return ConvertUnits(value, m_deviceDpiX, old, units); };
    auto convertY = [&](int value) { return ConvertUnits(value, m_deviceDpiY, old, units); };
    m_minMargin = convertY(m_minMargin);
    m_marginTop = convertY(m_marginTop);
    m_marginBottom = convertY(m_marginBottom);
    m_paperHeight = convertY(m_paperHeight);
    if (m_font.pixelSize() > 0)
        m_font.setPixelSize(qMax(1, convertY(m_font.pixelSize())));
    m_marginLeft = convertX(m_marginLeft);
    m_marginRight = convertX(m_marginRight);
    m_paperWidth = convertX(m_paperWidth);
    if (m_composing && m_canvas) {
        QFont font = m_canvas->font();
        if (font.pixelSize() > 0)
            font.setPixelSize(qMax(1, convertY(font.pixelSize())));
        m_canvas->setFont(font);
        QPen pen = m_canvas->pen();
        pen.setWidth(convertX(pen.width()));
        m_canvas->setPen(pen);
    }
    m_units = units;
    if (m_composing && m_canvas)
        applyCanvasMapping();
}

void PageComposer::setPaperType(TPaperType type)
{
    if (type == m_paperType || type < pLetter || type > pCustom)
        return;
    m_paperType = type;
    if (type == pCustom)
        return;
    m_paperWidth = ConvertUnits(PaperTable[type].Width, m_deviceDpiX, mmLoMetric, m_units);
    m_paperHeight = ConvertUnits(PaperTable[type].Height, m_deviceDpiY, mmLoMetric, m_units);
    if (m_orientation == poLandscape)
        std::swap(m_paperWidth, m_paperHeight);
    paperResized();
}

void PageComposer::setPaperWidth(int width)
{
    width = qBound(1, width, 32767);
    if (width == m_paperWidth)
        return;
    m_paperType = pCustom;
    m_paperWidth = width;
    paperResized();
}

void PageComposer::setPaperHeight(int height)
{
    height = qBound(1, height, 32767);
    if (height == m_paperHeight)
        return;
    m_paperType = pCustom;
    m_paperHeight = height;
    paperResized();
}

void PageComposer::setOrientation(TPrinterOrientation orientation)
{
    if (orientation == m_orientation || m_composing)
        return;
    m_orientation = orientation;
    std::swap(m_paperWidth, m_paperHeight);
    paperResized();
}

void PageComposer::paperResized()
{
    UpdateDeviceMetrics();
    emit paperChanged();
}

QRect PageComposer::MarginRect() const
{
    return QRect(QPoint(m_marginLeft, m_marginTop),
                 QPoint(m_paperWidth - m_marginRight, m_paperHeight - m_marginBottom));
}

// ----- composing

bool PageComposer::BeginDocument()
{
    if (m_composing)
        return false;
    ClearPages();
    UpdateDeviceMetrics();
    m_composing = true;
    NewPage();
    return true;
}

void PageComposer::NewPage()
{
    if (!m_composing)
        return;
    if (m_canvas)
        closePage();
    openPage();
}

void PageComposer::EndDocument()
{
    if (!m_composing)
        return;
    // The document ends even when its last page cannot be stored.
    const struct Idle
    {
        bool &composing;
        ~Idle() { composing = false; }
    } idle{m_composing};
    if (m_canvas)
        closePage();
}

void PageComposer::ClearPages()
{
    discardPage();
    m_store.Clear();
    m_composing = false;
}

void PageComposer::openPage()
{
    auto picture = std::make_unique<PagePicture>();
    auto canvas = std::make_unique<QPainter>();
    if (!canvas->begin(picture.get()))
        throw EOutOfMemory(NoPageMemory);
    picture->paperSizeMm = QSizeF(m_paperWidth * 25.4 / unitsPerInch(m_units, m_deviceDpiX),
                                  m_paperHeight * 25.4 / unitsPerInch(m_units, m_deviceDpiY));
    m_picture = std::move(picture);
    m_canvas = std::move(canvas);
    applyCanvasMapping();
    m_canvas->setFont(m_font);
}

// The owner draws in Units: one scale from Units to the picture's own pixels, which the replay
// then maps to the real size on every device.
void PageComposer::applyCanvasMapping()
{
    m_canvas->resetTransform();
    m_canvas->scale(m_picture->logicalDpiX() / unitsPerInch(m_units, m_deviceDpiX),
                    m_picture->logicalDpiY() / unitsPerInch(m_units, m_deviceDpiY));
}

void PageComposer::closePage()
{
    std::unique_ptr<PagePicture> picture = std::move(m_picture);
    std::unique_ptr<QPainter> canvas = std::move(m_canvas);
    const bool ended = canvas->end();
    canvas.reset();
    if (!ended || picture->isNull())
        throw EOutOfMemory(NoPageMemory);
    m_store.AddPage(*picture);
    picture.reset(); // a page shown now is read back beside no other
    emit pageStored();
}

void PageComposer::discardPage()
{
    if (m_canvas)
        m_canvas->end();
    m_canvas.reset();
    m_picture.reset();
}

// ----- the printer

void PageComposer::setPrinter(QPrinter *printer)
{
    if (printer == m_printer)
        return;
    m_printer = printer;
    paperResized();
}

bool PageComposer::canPrint() const
{
    return m_printer && printerInstalled(*m_printer);
}

void PageComposer::UpdateDeviceMetrics()
{
    if (!canPrint()) {
        const QPoint dpi = screenDpi(m_screen);
        m_deviceDpiX = dpi.x();
        m_deviceDpiY = dpi.y();
    } else if (!m_printer->paintingActive()) {
        QPrinter &printer = *m_printer;
        printer.setPageOrientation(m_orientation == poLandscape ? QPageLayout::Landscape
                                                                : QPageLayout::Portrait);
        m_deviceDpiX = printer.logicalDpiX();
        m_deviceDpiY = printer.logicalDpiY();
    }
    m_paperPixelWidth = ConvertUnits(m_paperWidth, m_deviceDpiX, m_units, mmPixel);
    m_paperPixelHeight = ConvertUnits(m_paperHeight, m_deviceDpiY, m_units, mmPixel);
}

QPageLayout PageComposer::paperLayout() const
{
    QPageSize size;
    if (m_paperType == pCustom) {
        int width = ConvertUnits(m_paperWidth, m_deviceDpiX, m_units, mmLoMetric);
        int height = ConvertUnits(m_paperHeight, m_deviceDpiY, m_units, mmLoMetric);
        if (m_orientation == poLandscape)
            std::swap(width, height);
        size = QPageSize(QSizeF(width / 10.0, height / 10.0), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    } else {
        const PaperSizeInfo &paper = PaperTable[m_paperType];
        const QPageSize::PageSizeId id = QPageSize::id(paper.ID);
        size = id != QPageSize::Custom ? QPageSize(id)
                                       : QPageSize(QSizeF(paper.Width / 10.0, paper.Height / 10.0),
                                                   QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    }
    return QPageLayout(size, m_orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}
