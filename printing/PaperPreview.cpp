#include "printing/PaperPreview.h"

#include <QPaintEvent>
#include <QPainter>

TPaperPreview::TPaperPreview(QWidget *parent)
    : QWidget(parent)
{
    // The paint handler covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setPaperSize(105, 148);
}

QRect TPaperPreview::PageRect() const
{
    return QRect(QPoint(m_borderSize, m_borderSize), QPoint(width() - m_shadowSize - m_borderSize - 1,
                                                            height() - m_shadowSize - m_borderSize - 1));
}

QSize TPaperPreview::sizeHint() const
{
    return size();
}

void TPaperPreview::setPaperSize(int paperWidth, int paperHeight)
{
    resize(qMax(0, paperWidth) + 2 * m_borderSize + m_shadowSize,
           qMax(0, paperHeight) + 2 * m_borderSize + m_shadowSize);
}

void TPaperPreview::setPaperWidth(int width)
{
    if (width != PaperWidth())
        setPaperSize(width, PaperHeight());
}

void TPaperPreview::setPaperHeight(int height)
{
    if (height != PaperHeight())
        setPaperSize(PaperWidth(), height);
}

void TPaperPreview::setPaperColor(TColor color)
{
    if (color != m_paperColor) {
        m_paperColor = color;
        update();
    }
}

void TPaperPreview::setBorderColor(TColor color)
{
    if (color != m_borderColor) {
        m_borderColor = color;
        update();
    }
}

void TPaperPreview::setShadowColor(TColor color)
{
    if (color != m_shadowColor) {
        m_shadowColor = color;
        update();
    }
}

// Border and shadow keep the paper's size: the control grows or shrinks around it.
void TPaperPreview::setBorderSize(int size)
{
    size = qMax(0, size);
    if (size != m_borderSize) {
        const int paperWidth = PaperWidth(), paperHeight = PaperHeight();
        m_borderSize = size;
        setPaperSize(paperWidth, paperHeight);
        update();
    }
}

void TPaperPreview::setShadowSize(int size)
{
    size = qMax(0, size);
    if (size != m_shadowSize) {
        const int paperWidth = PaperWidth(), paperHeight = PaperHeight();
        m_shadowSize = size;
        setPaperSize(paperWidth, paperHeight);
        update();
    }
}

void TPaperPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int w = width(), h = height(), shadow = m_shadowSize;
    if (m_borderSize > 0) {
        // The outline lies inside the frame (0, 0)..(w - shadow, h - shadow).
        QPen pen(toQColor(m_borderColor), m_borderSize);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QRectF frame(0, 0, w - shadow, h - shadow);
        const qreal inset = m_borderSize / 2.0;
        painter.drawRect(frame.adjusted(inset, inset, -inset, -inset));
    }
    if (shadow > 0) {
        const QColor shadowColor = toQColor(m_shadowColor);
        painter.fillRect(QRect(QPoint(w - shadow, shadow), QPoint(w - 1, h - 1)), shadowColor);
        painter.fillRect(QRect(QPoint(shadow, h - shadow), QPoint(w - 1, h - 1)), shadowColor);
        const QColor own = palette().color(backgroundRole());
        painter.fillRect(QRect(w - shadow, 0, shadow, shadow), own);
        painter.fillRect(QRect(0, h - shadow, shadow, shadow), own);
    }
    const QRect page = PageRect();
    painter.fillRect(page, toQColor(m_paperColor));
    painter.save();
    painter.setClipRect(page);
    emit paperPaint(painter, page);
    painter.restore();
}

void TPaperPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit paperResize();
}
