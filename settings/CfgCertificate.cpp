// The certificate layout editor of the settings dialog: the group "Urkunde" and the miniature sheet.
#include "settings/Cfg.h"

#include "controls/ButtonWithColor.h"
#include "printing/Preview.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

constexpr int EditorRow = 21;
constexpr int SheetWidth = 207; // paper pixels: one per millimetre of A4 at scale 1
constexpr int SheetHeight = 297;

bool isLine(int kind)
{
    return kind >= ckFirstLine && kind <= ckLastLine;
}

// The installed style of family nearest to font's weight, with its slant. The font dialog preselects a
// style by name, and names a font without a style name in Qt's translated words ("Fett"), which match
// none of the face's own names; it then falls back to the first style of its list.
QString installedStyle(const QString &family, const QFont &font)
{
    QString nearest;
    int distance = std::numeric_limits<int>::max();
    for (const QString &style : QFontDatabase::styles(family)) {
        const QFont face = QFontDatabase::font(family, style, font.pointSize());
        const int apart = std::abs(face.weight() - font.weight());
        if (face.italic() == font.italic() && apart < distance) {
            nearest = style;
            distance = apart;
        }
    }
    return nearest;
}

} // namespace

SpinEdit::SpinEdit(int minimum, int maximum, int maxLength, QWidget *parent)
    : QSpinBox(parent)
{
    setRange(minimum, maximum);
    lineEdit()->setMaxLength(maxLength);
}

int SpinEdit::entryValue() const
{
    bool ok = false;
    const int number = cleanText().trimmed().toInt(&ok);
    return ok ? std::clamp(number, minimum(), maximum()) : minimum();
}

void SpinEdit::fixup(QString &input) const
{
    bool ok = false;
    const int number = input.trimmed().toInt(&ok);
    input = QString::number(ok ? std::clamp(number, minimum(), maximum()) : minimum());
}

void TCfgDialog::createCertificateEditor()
{
    QWidget *group = GroupUrkunde;
    auto addLabel = [group](const QString &text, int x, int y, int width) {
        auto *label = new QLabel(text, group);
        label->setGeometry(x, y, width, EditorRow);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return label;
    };
    auto addList = [group](const char *name, const QStringList &items, QRect place) {
        auto *box = new QComboBox(group);
        box->setObjectName(QString::fromLatin1(name));
        box->addItems(items);
        box->setCurrentIndex(0);
        box->setGeometry(place);
        return box;
    };
    auto addSpin = [group, addLabel](const char *name, const QString &caption, int x, int y) {
        addLabel(caption, x, y, 34);
        auto *spin = new SpinEdit(0, 999, 3, group);
        spin->setObjectName(QString::fromLatin1(name));
        spin->setGeometry(x + 34, y, 50, EditorRow);
        addLabel(QStringLiteral("mm"), x + 88, y, 20);
        return spin;
    };

    cbON = new QCheckBox(group);
    cbON->setObjectName(QStringLiteral("cbON"));
    cbON->setGeometry(8, 16, 18, EditorRow);
    QStringList kinds;
    for (int kind = 0; kind < CertFieldCount; ++kind)
        kinds << certKindCaption(kind);
    cbWho = addList("cbWho", kinds, QRect(28, 16, 229, EditorRow));
    cbWho->setMaxVisibleItems(20);

    addLabel(QStringLiteral("Zeile:"), 8, 41, 34);
    Edit1 = new QLineEdit(group);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(42, 41, 215, EditorRow);
    Edit1->installEventFilter(this);

    seLeft = addSpin("seLeft", QStringLiteral("Links:"), 8, 66);
    seTop = addSpin("seTop", QStringLiteral("Oben:"), 139, 66);

    addLabel(QStringLiteral("Ausrichtung:"), 8, 91, 66);
    cbAlign =
        addList("cbAlign", {QStringLiteral("Links"), QStringLiteral("Zentriert"), QStringLiteral("Rechts")},
                QRect(76, 91, 181, EditorRow));

    bFont = new TBitBtnWithColor(QStringLiteral("Schriftart"), group);
    bFont->setObjectName(QStringLiteral("bFont"));
    bFont->setGeometry(8, 118, 151, 48);
    addLabel(QStringLiteral("Format:"), 167, 118, 90);
    cbZoom = addList("cbZoom", {QStringLiteral("A4"), QStringLiteral("A3")}, QRect(167, 145, 90, EditorRow));

    PaperPreview1 = new TPaperPreview(this);
    PaperPreview1->setObjectName(QStringLiteral("PaperPreview1"));
    PaperPreview1->setBorderSize(1);
    PaperPreview1->setShadowSize(3);
    PaperPreview1->setPaperWidth(SheetWidth);
    PaperPreview1->setPaperHeight(SheetHeight);
    PaperPreview1->move(width() - PaperPreview1->width() - 6, 8);
    PaperPreview1->setCursor(Qt::DragMoveCursor);
    PaperPreview1->installEventFilter(this);

    connect(cbWho, &QComboBox::currentIndexChanged, this, &TCfgDialog::cbWhoChange);
    connect(cbON, &QCheckBox::toggled, this, &TCfgDialog::cbONClick);
    connect(cbAlign, &QComboBox::currentIndexChanged, this, &TCfgDialog::cbAlignChange);
    for (QSpinBox *spin : {static_cast<QSpinBox *>(seLeft), static_cast<QSpinBox *>(seTop)})
        connect(spin, &QSpinBox::textChanged, this, &TCfgDialog::sePosChange);
    connect(cbZoom, &QComboBox::currentIndexChanged, this, &TCfgDialog::sePosChange);
    // A paste with the mouse changes the text without a key.
    connect(Edit1, &QLineEdit::textEdited, this, &TCfgDialog::Edit1KeyUp);
    connect(bFont, &QPushButton::clicked, this, &TCfgDialog::bFontClick);
    connect(PaperPreview1, &TPaperPreview::paperPaint, this,
            [this](QPainter &painter, const QRect &) { PaperPreview1Paint(painter); });
}

bool TCfgDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit1 && event->type() == QEvent::KeyRelease)
        Edit1KeyUp();
    else if (watched == PaperPreview1 && event->type() == QEvent::MouseButtonPress)
        PaperPreview1MouseDown(static_cast<QMouseEvent *>(event)->position().toPoint());
    return QDialog::eventFilter(watched, event);
}

void TCfgDialog::storeCurrentField()
{
    TCertField field;
    field.Enabled = cbON->isChecked();
    field.Align = cbAlign->currentIndex();
    field.Left = seLeft->entryValue();
    field.Top = seTop->entryValue();
    const QFont font = bFont->font();
    setCertFieldFont(field, font, font.pointSize() / 2);
    field.FontColor = m_fontColor;
    // The data fields' text is only where printing leaves the last text; leaving such a field clears it.
    if (isLine(CurrentField))
        field.Text = Edit1->text(); // the stored form is cut to 255 characters
    setCertField(m_settings.CertLayout, CurrentField, field);
}

void TCfgDialog::loadField(int kind)
{
    const TCertField field = certField(m_settings.CertLayout, kind);
    QFont font = certFieldFont(field);
    font.setPointSize(std::max(field.FontSize, 1) * 2);
    bFont->setFont(font);
    m_fontColor = field.FontColor;
    bFont->setFontColor(field.FontColor);
    Edit1->setText(field.Text);
    // Loading is no edit: the handlers of these controls write to the record at once.
    const QSignalBlocker onBlocker(cbON);
    const QSignalBlocker alignBlocker(cbAlign);
    cbON->setChecked(field.Enabled);
    cbAlign->setCurrentIndex(field.Align);
    seLeft->setValue(field.Left);
    seTop->setValue(field.Top);
}

void TCfgDialog::cbWhoChange()
{
    const int kind = cbWho->currentIndex();
    if (CurrentField != -1)
        storeCurrentField();
    if (kind != -1)
        loadField(kind);
    if (kind == ckDatum)
        Edit1->setText(certDateText(m_currentDate ? m_currentDate() : QDate::currentDate()));
    else if (kind == ckDateiname)
        Edit1->setText(m_protocolName);
    Edit1->setEnabled(kind > ckDateiname);
    if (Edit1->isEnabled() && (Edit1->text().isEmpty() || Edit1->text().contains(u". Zeile"))) {
        Edit1->setText(QString::number(kind - ckDateiname) + QStringLiteral(". Zeile drucken"));
        Edit1->setFocus();
    }
    CurrentField = kind;
    PaperPreview1->update();
}

void TCfgDialog::cbONClick()
{
    const int kind = cbWho->currentIndex();
    if (kind < 0)
        return;
    TCertField field = certField(m_settings.CertLayout, kind);
    field.Enabled = cbON->isChecked();
    setCertField(m_settings.CertLayout, kind, field);
    PaperPreview1->update();
}

void TCfgDialog::cbAlignChange()
{
    const int kind = cbWho->currentIndex();
    if (kind < 0)
        return;
    TCertField field = certField(m_settings.CertLayout, kind);
    field.Align = cbAlign->currentIndex();
    setCertField(m_settings.CertLayout, kind, field);
    PaperPreview1->update();
}

void TCfgDialog::sePosChange()
{
    PaperPreview1->update();
}

void TCfgDialog::Edit1KeyUp()
{
    PaperPreview1->update();
}

void TCfgDialog::bFontClick()
{
    QFont written = bFont->font();
    written.setPointSize(std::max(written.pointSize() / 2, 1)); // the dialog shows the printed size
    // The dialog lists installed faces only: it is offered the face a written name such as
    // "Times New Roman" resolves to, and keeping that face keeps the written name.
    QFont offered = written;
    offered.setFamily(QFontInfo(written).family());
    offered.setStyleName(installedStyle(offered.family(), written));
    QFontDialog dialog(offered, this);
    const QFont shown = dialog.currentFont();
    const int result = execFontDialog ? execFontDialog(dialog) : dialog.exec();
    // OK on what the dialog showed changes nothing, even where it cannot show the field's style (a bold
    // that only the renderer makes up).
    if (result != QDialog::Accepted || dialog.currentFont() == shown)
        return;
    QFont chosen = dialog.currentFont();
    if (chosen.family() == offered.family())
        chosen.setFamily(written.family());
    chosen.setStyleName(QString()); // a field keeps only bold and italic of the style
    chosen.setPointSize(std::max(qRound(chosen.pointSizeF()), 1) * 2);
    bFont->setFont(chosen);
}

QList<TCfgDialog::SheetLabel> TCfgDialog::sheetLabels() const
{
    QList<SheetLabel> labels;
    const QFontMetrics metrics(PaperPreview1->font());
    const int scale = zoomScale();
    const int selected = cbWho->currentIndex();
    for (int kind = 0; kind < cbWho->count(); ++kind) {
        const TCertField field = certField(m_settings.CertLayout, kind);
        QString label = isLine(kind) && !field.Text.isEmpty() ? field.Text : cbWho->itemText(kind);
        int x = field.Left;
        int y = field.Top;
        if (kind == selected) {
            x = seLeft->entryValue();
            y = seTop->entryValue();
            if (isLine(kind) && !Edit1->text().isEmpty())
                label = Edit1->text();
        }
        const int width = metrics.horizontalAdvance(label);
        if (field.Align == caCenter)
            x -= width / 2;
        else if (field.Align == caRight)
            x -= width;
        labels.append({label, QPoint(x / scale, y / scale), field.Enabled ? clGreen : clRed});
    }
    return labels;
}

void TCfgDialog::PaperPreview1Paint(QPainter &painter)
{
    painter.setFont(PaperPreview1->font());
    painter.setBackgroundMode(Qt::TransparentMode);
    const int ascent = painter.fontMetrics().ascent();
    for (const SheetLabel &label : sheetLabels()) {
        painter.setPen(toQColor(label.color));
        painter.drawText(label.topLeft + QPoint(0, ascent), label.text);
    }
}

void TCfgDialog::PaperPreview1MouseDown(const QPoint &pos)
{
    const int scale = zoomScale();
    seLeft->setValue(pos.x() * scale);
    seTop->setValue(pos.y() * scale);
}
