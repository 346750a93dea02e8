#include "printing/Preview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

namespace {

// The sheet keeps this distance from the panel's edges once it no longer fits.
constexpr int SheetGap = 6;
constexpr int SmallScrollStep = 8;

int mulDivRounded(int value, int numerator, int denominator)
{
    return denominator == 0 ? 0 : int(qRound64(double(value) * numerator / denominator));
}

} // namespace

TPrintPreview::TPrintPreview(QWidget *parent)
    : TPrintPreview(nullptr, parent)
{}

TPrintPreview::TPrintPreview(QPrinter *printer, QWidget *parent)
    : QFrame(parent)
    , m_composer(printer, this)
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
    connect(&m_composer, &PageComposer::pageStored, this, &TPrintPreview::showFirstPage);
    connect(&m_composer, &PageComposer::paperChanged, this, &TPrintPreview::UpdateZoom);
    setBarsVisible(false, false);
    UpdateZoom();
}

TPrintPreview::~TPrintPreview() = default;

// ----- properties

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

// ----- the pages

TPreviewState TPrintPreview::PreviewState() const
{
    if (m_job)
        return psPrinting;
    return m_composer.isComposing() ? psComposing : psIdle;
}

bool TPrintPreview::BeginDocument()
{
    if (PreviewState() != psIdle)
        return false;
    ClearPages();
    return m_composer.BeginDocument();
}

bool TPrintPreview::ClearPages()
{
    if (m_job)
        return false;
    m_composer.ClearPages();
    m_currentPage = 0;
    m_sheet->hide();
    return true;
}

QPainter *TPrintPreview::PageCanvas() const
{
    return m_job ? m_job->canvas() : m_composer.PageCanvas();
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
        drawPage(painter, m_composer.pages().LoadPage(m_currentPage - 1), QRectF(pageRect));
}

// ----- zoom and scrolling

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
        mulDivRounded(m_sheet->PaperWidth(), PaperPixelHeight(), qMax(1, PaperPixelWidth())));
}

void TPrintPreview::fitSheetToHeight(int height)
{
    m_sheet->resize(m_sheet->width(), qMax(0, height));
    m_sheet->setPaperWidth(
        mulDivRounded(m_sheet->PaperHeight(), PaperPixelWidth(), qMax(1, PaperPixelHeight())));
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
        m_sheet->setPaperWidth(mulDivRounded(PaperPixelWidth(), screenDpiX * m_zoom, DeviceDpiX() * 100));
        m_sheet->setPaperHeight(mulDivRounded(PaperPixelHeight(), screenDpiY * m_zoom, DeviceDpiY() * 100));
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
            double(PaperPixelHeight()) / qMax(1, PaperPixelWidth()))
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
    if (!m_job)
        m_composer.setPrinter(printer);
}

void TPrintPreview::ApplyPrinterSettings()
{
    if (printer())
        PrintJob::applyPaper(*printer(), m_composer.paperLayout());
}

QRect TPrintPreview::PrintingOffsetRect() const
{
    return printer() ? PrintJob::printingOffsetRect(*printer()) : QRect();
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
    if (PreviewState() != psIdle)
        return prBusy;
    if (!canPrint())
        return prNoPrinter;
    PrintJob job(*printer(), m_composer.pages());
    job.setTitle(m_printJobTitle);
    job.setPaper(m_composer.paperLayout());
    connect(&job, &PrintJob::progress, this, &TPrintPreview::pagePrinted);
    m_job = &job;
    const PrintResult result = job.start(fromPage, toPage);
    m_job = nullptr;
    emit printFinished(result);
    return result;
}
