#pragma once

#include "platform/Graphics.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>

class QLabel;

enum TLedKind {
    lkRed,
    lkGreen,
    lkYellow,
    lkCyan,
    lkMagenta,
    lkBlue,
    lkWhite
};
enum TLedShape {
    lsCircle,
    lsRectangle
};

inline constexpr int LedSize = 16;

// The palette index of pixel (x, y) of a lamp: 0 leaves the pixel alone, 1 light rim, 2 dark rim,
// 3 black, 4 lamp colour, 5 highlight, 6 glint. Outside the 16 x 16 square the index is 0.
int ledColorIndex(TLedShape shape, bool on, int x, int y);

// The colours of a kind by palette index; entry 0 is unused.
std::array<TColor, 7> ledPalette(TLedKind kind);

// A 16 x 16 indicator lamp drawn from a pixel table; it arms the light barrier in the main window.
class TLed : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(TLedKind Kind READ Kind WRITE setKind)
    Q_PROPERTY(TLedShape Shape READ Shape WRITE setShape)
    Q_PROPERTY(bool Value READ Value WRITE setValue)
    Q_PROPERTY(QString LabelOnText READ LabelOnText WRITE setLabelOnText)
    Q_PROPERTY(QString LabelOffText READ LabelOffText WRITE setLabelOffText)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)

public:
    explicit TLed(QWidget *parent = nullptr);

    TLedKind Kind() const { return m_kind; }
    TLedShape Shape() const { return m_shape; }
    bool Value() const { return m_value; }
    QLabel *LabelLinked() const;
    QString LabelOnText() const { return m_labelOnText; }
    QString LabelOffText() const { return m_labelOffText; }
    int Tag() const { return m_tag; }

    QSize sizeHint() const override;

public slots:
    void setKind(TLedKind kind);
    void setShape(TLedShape shape);
    void setValue(bool value);
    void setLabelLinked(QLabel *label);
    void setLabelOnText(const QString &text);
    void setLabelOffText(const QString &text);
    void setTag(int tag) { m_tag = tag; }

signals:
    // Value changed; the linked label already shows the new caption.
    void OnChange();
    // The lamp was clicked with the left mouse button.
    void OnClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void updateLabel();

    TLedKind m_kind = lkRed;
    TLedShape m_shape = lsCircle;
    bool m_value = false;
    QPointer<QLabel> m_label;
    QString m_labelOnText;
    QString m_labelOffText;
    int m_tag = 0;
    bool m_pressed = false;
};
