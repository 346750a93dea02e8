#pragma once

#include "platform/Graphics.h"

#include <QPushButton>

enum ButtonLayout {
    blGlyphLeft,
    blGlyphRight,
    blGlyphTop,
    blGlyphBottom
};
enum BitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
enum ButtonStyle {
    bsAutoDetect,
    bsWin31,
    bsNew
};

// A push button painted by the program so that its face can take any colour; the race buttons
// signal the run state through it.
class TBitBtnWithColor : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(TColor Color READ Color WRITE setColor)
    Q_PROPERTY(TColor FontColor READ FontColor WRITE setFontColor)
    Q_PROPERTY(int Margin READ Margin WRITE setMargin)
    Q_PROPERTY(int Spacing READ Spacing WRITE setSpacing)
    Q_PROPERTY(ButtonLayout Layout READ Layout WRITE setLayout)
    Q_PROPERTY(BitBtnKind Kind READ Kind WRITE setKind)
    Q_PROPERTY(ButtonStyle Style READ Style WRITE setStyle)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)

public:
    explicit TBitBtnWithColor(QWidget *parent = nullptr);
    explicit TBitBtnWithColor(const QString &caption, QWidget *parent = nullptr);

    TColor Color() const { return m_color; }
    // The caption colour, kept in the palette's ButtonText role.
    TColor FontColor() const;
    int Margin() const { return m_margin; }
    int Spacing() const { return m_spacing; }
    ButtonLayout Layout() const { return m_layout; }
    BitBtnKind Kind() const { return m_kind; }
    ButtonStyle Style() const { return m_style; }
    int Tag() const { return m_tag; }

public slots:
    void setColor(TColor color);
    void setFontColor(TColor color);
    void setMargin(int margin);
    void setSpacing(int spacing);
    void setLayout(ButtonLayout layout);
    void setKind(BitBtnKind kind) { m_kind = kind; }
    void setStyle(ButtonStyle style) { m_style = style; }
    void setTag(int tag) { m_tag = tag; }

protected:
    // A double click needs no handler of its own: QWidget hands it to mousePressEvent, so it
    // counts as a second press of the button.
    void paintEvent(QPaintEvent *event) override;

private:
    TColor m_color = clBtnFace;
    int m_margin = -1;
    int m_spacing = 4;
    ButtonLayout m_layout = blGlyphLeft;
    BitBtnKind m_kind = bkCustom;
    ButtonStyle m_style = bsAutoDetect;
    int m_tag = 0;
};
