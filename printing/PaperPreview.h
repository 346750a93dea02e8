#pragma once

#include "platform/Graphics.h"

#include <QRect>
#include <QWidget>

class QPainter;

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
