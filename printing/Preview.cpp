#include "printing/Preview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include <utility>

namespace {

const char *const NoPageMemory = "Not enough memory to create a new page";

// The sheet keeps this distance from the panel's edges once it no longer fits.
constexpr int SheetGap = 6;
constexpr int SmallScrollStep = 8;

int mulDivRounded(int value, int numerator, int denominator)
{
    return denominator == 0 ? 0 : int(qRound64(double(value) * numerator / denominator));
}

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

} // namespace

TPrintPreview::TPrintPreview(QWidget *parent)
    : TPrintPreview(nullptr, parent)
{}

TPrintPreview::TPrintPreview(QPrinter *printer, QWidget *parent)
    : QFrame(parent)
    , m_printer(printer)
    , m_hBar(new QScrollBar(Qt::Horizontal, this))
    , m_vBar(new QScrollBar(Qt::Vertical, this))
    , m_panel(new QWidget(this))
    , m_sheet(new TPaperPreview(m_panel))
{
    setFocusPolicy(Qt::StrongFocus);
    m_hBar->setObjectName(QStringLiteral("HorzScrollBar"));
    m_vBar->setObjectName(QStringLiteral("VertScrollBar"));
    m_panel->setObjectName(QStringLiteral("InnerPanel"));
    m_sheet->setObjectName(QStringLiteral("Sheet"));
    m_font = QFont(QStringLiteral("Arial"));
    m_font.setPixelSize(200);
    for (QScrollBar *bar : {m_hBar, m_vBar}) {
        bar->setSingleStep(SmallScrollStep);
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setRange(0, 0);
    }
    connect(m_hBar, &QScrollBar::valueChanged, this,
            [this](int value) { m_sheet->move(SheetGap - value, m_sheet->y()); });
    connect(m_vBar, &QScrollBar::valueChanged, this,
            [this](int value) { m_sheet->move(m_sheet->x(), SheetGap - value); });
    m_sheet->hide();
    m_sheet->installEventFilter(this);
    connect(m_sheet, &TPaperPreview::paperPaint, this, &TPrintPreview::PaintPage);
    setBarsVisible(false, false);
    UpdateDeviceMetrics();
    UpdateZoom();
}

TPrintPreview::~TPrintPreview()
{
    discardPage();
    m_store.Clear();
}

// ----- properties

void TPrintPreview::setUnits(TUnits units)
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
    if (m_state == psComposing && m_canvas) {
        QFont font = m_canvas->font();
        if (font.pixelSize() > 0)
            font.setPixelSize(qMax(1, convertY(font.pixelSize())));
        m_canvas->setFont(font);
        QPen pen = m_canvas->pen();
        pen.setWidth(convertX(pen.width()));
        m_canvas->setPen(pen);
    }
    m_units = units;
    if (m_state == psComposing && m_canvas)
        applyCanvasMapping();
}

void TPrintPreview::setMarginLeft(int margin)
{
    m_marginLeft = qMax(margin, m_minMargin);
}

void TPrintPreview::setMarginTop(int margin)
{
    m_marginTop = qMax(margin, m_minMargin);
}

void TPrintPreview::setMarginRight(int margin)
{
    m_marginRight = qMax(margin, m_minMargin);
}

void TPrintPreview::setMarginBottom(int margin)
{
    m_marginBottom = qMax(margin, m_minMargin);
}

void TPrintPreview::setPaperType(TPaperType type)
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
    UpdateDeviceMetrics();
    UpdateZoom();
}

void TPrintPreview::setPaperWidth(int width)
{
    width = qBound(1, width, 32767);
    if (width == m_paperWidth)
        return;
    m_paperType = pCustom;
    m_paperWidth = width;
    UpdateDeviceMetrics();
    UpdateZoom();
}

void TPrintPreview::setPaperHeight(int height)
{
    height = qBound(1, height, 32767);
    if (height == m_paperHeight)
        return;
    m_paperType = pCustom;
    m_paperHeight = height;
    UpdateDeviceMetrics();
    UpdateZoom();
}

void TPrintPreview::setOrientation(TPrinterOrientation orientation)
{
    if (orientation == m_orientation || m_state == psComposing)
        return;
    m_orientation = orientation;
    std::swap(m_paperWidth, m_paperHeight);
    UpdateDeviceMetrics();
    UpdateZoom();
}

void TPrintPreview::setZoom(int zoom)
{
    if (zoom != m_zoom || m_zoomState != zsZoomOther) {
        m_zoom = zoom;
        m_zoomState = zsZoomOther;
        UpdateZoom();
    }
}

void TPrintPreview::setZoomState(TZoomState state)
{
    if (state != m_zoomState) {
        m_zoomState = state;
        UpdateZoom();
    }
}

void TPrintPreview::setCurrentPage(int page)
{
    if (PageCount() == 0)
        return;
    page = qBound(1, page, PageCount());
    if (page != m_currentPage) {
        m_currentPage = page;
        m_sheet->update();
        emit currentPageChanged(page);
    }
}

QRect TPrintPreview::MarginRect() const
{
    return QRect(QPoint(m_marginLeft, m_marginTop),
                 QPoint(m_paperWidth - m_marginRight, m_paperHeight - m_marginBottom));
}

// ----- composing

bool TPrintPreview::BeginDocument()
{
    if (m_state != psIdle)
        return false;
    ClearPages();
    UpdateDeviceMetrics();
    m_state = psComposing;
    NewPage();
    return true;
}

void TPrintPreview::NewPage()
{
    if (m_state != psComposing)
        return;
    if (m_canvas) {
        closePage();
        showFirstPage();
    }
    openPage();
}

void TPrintPreview::EndDocument()
{
    if (m_state != psComposing)
        return;
    // The document ends even when its last page cannot be stored.
    struct Idle
    {
        TPrintPreview *self;
        ~Idle() { self->m_state = psIdle; }
    } idle{this};
    if (m_canvas)
        closePage();
    showFirstPage();
}

bool TPrintPreview::ClearPages()
{
    if (m_state == psPrinting)
        return false;
    discardPage();
    m_store.Clear();
    m_state = psIdle;
    m_currentPage = 0;
    m_sheet->hide();
    return true;
}

QPainter *TPrintPreview::PageCanvas() const
{
    if (m_state == psComposing)
        return m_canvas.get();
    if (m_state == psPrinting && m_job)
        return m_job->canvas();
    return nullptr;
}

void TPrintPreview::openPage()
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
void TPrintPreview::applyCanvasMapping()
{
    m_canvas->resetTransform();
    m_canvas->scale(m_picture->logicalDpiX() / unitsPerInch(m_units, m_deviceDpiX),
                    m_picture->logicalDpiY() / unitsPerInch(m_units, m_deviceDpiY));
}

void TPrintPreview::closePage()
{
    const std::unique_ptr<PagePicture> picture = std::move(m_picture);
    std::unique_ptr<QPainter> canvas = std::move(m_canvas);
    const bool ended = canvas->end();
    canvas.reset();
    if (!ended || picture->isNull())
        throw EOutOfMemory(NoPageMemory);
    m_store.AddPage(*picture);
}

void TPrintPreview::discardPage()
{
    if (m_canvas)
        m_canvas->end();
    m_canvas.reset();
    m_picture.reset();
}

void TPrintPreview::showFirstPage()
{
    if (m_currentPage == 0 && PageCount() > 0) {
        m_currentPage = 1;
        m_sheet->show();
        m_sheet->repaint();
    }
}

void TPrintPreview::PaintPage(QPainter &painter, const QRect &pageRect)
{
    if (m_currentPage > 0 && m_currentPage <= PageCount())
        drawPage(painter, m_store.LoadPage(m_currentPage - 1), QRectF(pageRect));
}

// ----- device metrics, zoom and scrolling

void TPrintPreview::UpdateDeviceMetrics()
{
    if (!canPrint()) {
        m_deviceDpiX = logicalDpiX();
        m_deviceDpiY = logicalDpiY();
    } else if (m_state != psPrinting && !m_printer->paintingActive()) {
        QPrinter &printer = *m_printer;
        printer.setPageOrientation(m_orientation == poLandscape ? QPageLayout::Landscape
                                                                : QPageLayout::Portrait);
        m_deviceDpiX = printer.logicalDpiX();
        m_deviceDpiY = printer.logicalDpiY();
    }
    m_paperPixelWidth = ConvertUnits(m_paperWidth, m_deviceDpiX, m_units, mmPixel);
    m_paperPixelHeight = ConvertUnits(m_paperHeight, m_deviceDpiY, m_units, mmPixel);
}

void TPrintPreview::setBarsVisible(bool horizontal, bool vertical)
{
    m_hBarShown = horizontal;
    m_vBarShown = vertical;
    m_hBar->setVisible(horizontal);
    m_vBar->setVisible(vertical);
    layoutChildren();
}

void TPrintPreview::layoutChildren()
{
    const QRect area = contentsRect();
    const int barWidth = m_vBarShown ? m_vBar->sizeHint().width() : 0;
    const int barHeight = m_hBarShown ? m_hBar->sizeHint().height() : 0;
    m_vBar->setGeometry(area.right() + 1 - barWidth, area.top(), barWidth, area.height() - barHeight);
    m_hBar->setGeometry(area.left(), area.bottom() + 1 - barHeight, area.width() - barWidth, barHeight);
    m_panel->setGeometry(area.left(), area.top(), area.width() - barWidth, area.height() - barHeight);
    // A large step is one panel of paper.
    m_hBar->setPageStep(m_panel->width());
    m_vBar->setPageStep(m_panel->height());
}

void TPrintPreview::fitSheetToWidth(int width)
{
    m_sheet->resize(qMax(0, width), m_sheet->height());
    m_sheet->setPaperHeight(
        mulDivRounded(m_sheet->PaperWidth(), m_paperPixelHeight, qMax(1, m_paperPixelWidth)));
}

void TPrintPreview::fitSheetToHeight(int height)
{
    m_sheet->resize(m_sheet->width(), qMax(0, height));
    m_sheet->setPaperWidth(
        mulDivRounded(m_sheet->PaperHeight(), m_paperPixelWidth, qMax(1, m_paperPixelHeight)));
}

void TPrintPreview::placeSheet()
{
    const QSize panel = m_panel->size();
    int left = SheetGap, top = SheetGap;
    m_hBar->setMaximum(0);
    m_vBar->setMaximum(0);
    if (m_sheet->width() < panel.width() - 2 * SheetGap)
        left = (panel.width() - m_sheet->width()) / 2;
    else
        m_hBar->setMaximum(m_sheet->width() - panel.width() + 2 * SheetGap);
    if (m_sheet->height() < panel.height() - 2 * SheetGap)
        top = (panel.height() - m_sheet->height()) / 2;
    else
        m_vBar->setMaximum(m_sheet->height() - panel.height() + 2 * SheetGap);
    m_sheet->move(left, top);
}

void TPrintPreview::UpdateZoom()
{
    const QSignalBlocker blockH(m_hBar), blockV(m_vBar);
    for (QScrollBar *bar : {m_hBar, m_vBar}) {
        bar->setRange(0, 0);
        bar->setValue(0);
    }
    switch (m_zoomState) {
    case zsZoomOther: {
        setBarsVisible(true, true);
        const int screenDpiX = logicalDpiX(), screenDpiY = logicalDpiY();
        m_sheet->setPaperWidth(mulDivRounded(m_paperPixelWidth, screenDpiX * m_zoom, m_deviceDpiX * 100));
        m_sheet->setPaperHeight(mulDivRounded(m_paperPixelHeight, screenDpiY * m_zoom, m_deviceDpiY * 100));
        break;
    }
    case zsZoomToWidth:
        setBarsVisible(false, true);
        fitSheetToWidth(m_panel->width() - 2 * SheetGap);
        break;
    case zsZoomToHeight:
        setBarsVisible(true, false);
        fitSheetToHeight(m_panel->height() - 2 * SheetGap);
        break;
    case zsZoomToFit:
        setBarsVisible(false, false);
        if (double(m_panel->height()) / qMax(1, m_panel->width()) >
            double(m_paperPixelHeight) / qMax(1, m_paperPixelWidth))
            fitSheetToWidth(m_panel->width() - 2 * SheetGap);
        else
            fitSheetToHeight(m_panel->height() - 2 * SheetGap);
        break;
    }
    // Showing or hiding a bar resizes the panel: the sheet is placed again in the panel it ends up
    // in, so that it stays centred.
    for (int pass = 0; pass < 3; ++pass) {
        const bool horizontal = m_hBarShown, vertical = m_vBarShown;
        placeSheet();
        setBarsVisible(m_hBar->maximum() != 0, m_vBar->maximum() != 0);
        if (horizontal == m_hBarShown && vertical == m_vBarShown)
            break;
    }
    m_sheet->update();
    m_sheet->setCursor(m_hBarShown || m_vBarShown ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TPrintPreview::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    layoutChildren();
    UpdateZoom();
}

void TPrintPreview::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool alone = modifiers == Qt::NoModifier;
    const bool ctrl = modifiers == Qt::ControlModifier;
    if (!alone && !ctrl) {
        QFrame::keyPressEvent(event);
        return;
    }
    auto step = [](QScrollBar *bar, int sign, bool large) {
        bar->setValue(bar->value() + sign * (large ? bar->pageStep() : bar->singleStep()));
    };
    switch (event->key()) {
    case Qt::Key_Home: (ctrl ? m_vBar : m_hBar)->setValue((ctrl ? m_vBar : m_hBar)->minimum()); break;
    case Qt::Key_End: (ctrl ? m_vBar : m_hBar)->setValue((ctrl ? m_vBar : m_hBar)->maximum()); break;
    case Qt::Key_Left: step(m_hBar, -1, ctrl); break;
    case Qt::Key_Right: step(m_hBar, 1, ctrl); break;
    case Qt::Key_Up: step(m_vBar, -1, ctrl); break;
    case Qt::Key_Down: step(m_vBar, 1, ctrl); break;
    case Qt::Key_PageUp: setCurrentPage(ctrl ? 1 : m_currentPage - 1); break;
    case Qt::Key_PageDown: setCurrentPage(ctrl ? PageCount() : m_currentPage + 1); break;
    default: QFrame::keyPressEvent(event); return;
    }
    event->accept();
}

// Dragging the sheet with the left button scrolls it like a hand moving paper.
bool TPrintPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_sheet)
        return QFrame::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        if (isEnabled() && !hasFocus())
            setFocus(Qt::MouseFocusReason);
        m_dragOrigin = static_cast<QMouseEvent *>(event)->position().toPoint();
        m_inDoubleClick = false;
        break;
    }
    case QEvent::MouseButtonDblClick: m_inDoubleClick = true; break;
    case QEvent::MouseButtonRelease: m_inDoubleClick = false; break;
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if ((mouse->buttons() & Qt::LeftButton) && !m_inDoubleClick) {
            const QPoint point = mouse->position().toPoint();
            if (m_hBarShown)
                m_hBar->setValue(m_dragOrigin.x() - point.x() + m_hBar->value());
            if (m_vBarShown)
                m_vBar->setValue(m_dragOrigin.y() - point.y() + m_vBar->value());
        }
        break;
    }
    default: break;
    }
    return QFrame::eventFilter(watched, event);
}

// ----- printing

void TPrintPreview::setPrinter(QPrinter *printer)
{
    if (printer == m_printer || m_state == psPrinting)
        return;
    m_printer = printer;
    UpdateDeviceMetrics();
    UpdateZoom();
}

bool TPrintPreview::canPrint() const
{
    return m_printer && printerInstalled(*m_printer);
}

// The paper as composed: a user-defined one is given upright, the orientation turns it.
QPageLayout TPrintPreview::printerLayout() const
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

void TPrintPreview::ApplyPrinterSettings()
{
    if (m_printer)
        PrintJob::applyPaper(*m_printer, printerLayout());
}

QRect TPrintPreview::PrintingOffsetRect() const
{
    return m_printer ? PrintJob::printingOffsetRect(*m_printer) : QRect();
}

PrintResult TPrintPreview::PrintAll()
{
    return PrintRange(1, PageCount());
}

void TPrintPreview::abortPrint()
{
    if (m_job)
        m_job->cancel();
}

PrintResult TPrintPreview::PrintRange(int fromPage, int toPage)
{
    const int count = PageCount();
    fromPage = qBound(1, fromPage, qMax(1, count));
    toPage = qMin(toPage, count);
    if (count == 0 || fromPage > toPage)
        return prNothingToPrint;
    if (m_state != psIdle)
        return prBusy;
    if (!canPrint())
        return prNoPrinter;
    PrintJob job(*m_printer, m_store);
    job.setTitle(m_printJobTitle);
    job.setPaper(printerLayout());
    connect(&job, &PrintJob::progress, this, &TPrintPreview::pagePrinted);
    m_state = psPrinting;
    m_job = &job;
    const PrintResult result = job.start(fromPage, toPage);
    m_job = nullptr;
    m_state = psIdle;
    emit printFinished(result);
    return result;
}
