#pragma once

#include "platform/Graphics.h"

#include <QByteArray>
#include <QFont>
#include <QString>

#include <array>

class QDate;

// The certificate layout: one record per field kind, kept as its memory image so that the stored
// "Nadpis" value and the layout in memory are the same bytes.
inline constexpr int CertFieldCount = 18;
inline constexpr int CertFieldSize = 536;
inline constexpr int CertLayoutSize = CertFieldCount * CertFieldSize;
inline constexpr int CertTextMax = 255; // bytes of Text and FontName after their length byte

// The field kinds in the order of the editor's field box. Kinds 0-7 get their text when printing,
// kinds 8-17 are free lines that print their own Text.
enum CertKind {
    ckPlatz,
    ckMannschaft,
    ckLand,
    ckKreis,
    ckDurchschnitt,
    ckBestzeit,
    ckDatum,
    ckDateiname,
    ckFirstLine,
    ckLastLine = CertFieldCount - 1
};

enum CertAlign {
    caLeft,   // "Links": Left is the left end of the text
    caCenter, // "Zentriert"
    caRight   // "Rechts"
};

// FontStyle bits.
enum CertFontStyle {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8
};

// The point sizes a record may carry; anything else cannot have been chosen in a font dialog.
inline constexpr int CertFontSizeMin = 1;
inline constexpr int CertFontSizeMax = 720;

// One field of the layout. Byte layout (little-endian): 0 Enabled, 1 Align, 2-3 padding, 4 Left,
// 8 Top, 12 Text (length byte + 255), 268 FontName (the same), 524 FontStyle, 525-527 padding,
// 528 FontSize, 532 FontColor.
struct TCertField
{
    bool Enabled = false;
    int Align = caLeft;
    int Left = 0; // millimetres from the paper's left edge to the reference point
    int Top = 0;  // millimetres from the paper's top edge to the top of the text
    QString Text;
    QString FontName; // empty for a record that was never set up
    int FontStyle = 0;
    int FontSize = 0; // points as printed
    TColor FontColor = 0;

    friend bool operator==(const TCertField &, const TCertField &) = default;
};

// The caption of a kind in the field box: "Platz" ... "Dateiname", "1. Zeile" ... "10. Zeile".
QString certKindCaption(int kind);

// The record every field starts from: the eight data fields on, the lines off, one under the other
// 16 mm apart at 30 mm from the left, bold 12-point "Times New Roman" in the window text colour.
TCertField defaultCertField(int kind);

// A record that can be printed as stored: a font name, a point size a font dialog offers, an
// alignment of 0-2 and a plain or system colour.
bool isUsableCertField(const TCertField &field);

// The 536 bytes of a record. Text and FontName are cut to 255 bytes in their Windows-1252 form,
// where each character is one byte, so no character is split; padding and unused bytes are 0.
QByteArray certFieldBytes(const TCertField &field);
// A record from its bytes; missing bytes read as 0.
TCertField certFieldFromBytes(QByteArrayView bytes);

// Record kind of a layout image, read and written in place.
TCertField certField(const QByteArray &layout, int kind);
void setCertField(QByteArray &layout, int kind, const TCertField &field);

// A layout image of CertLayoutSize bytes made from a stored value: whole records are taken as they
// are, a record the value cuts short and every missing one read as never set up.
QByteArray certLayoutFromStored(QByteArrayView stored);

// Gives the default record to every record that was never set up or cannot be printed as stored,
// and makes the image CertLayoutSize bytes long. Returns how many records it replaced.
int completeCertLayout(QByteArray &layout);

// The font of a record at its printed size: the stored name (Arial, Courier New and Times New Roman
// resolve to their metric-compatible Liberation fonts), size in points, style bits.
QFont certFieldFont(const TCertField &field);
// The record's font name, size and style taken from font; size as given.
void setCertFieldFont(TCertField &field, const QFont &font, int pointSize);

// Makes the three common Windows face names resolve to the Liberation fonts; called by
// certFieldFont, idempotent.
void registerCertFontSubstitutes();

// The "Datum" text: the date in the locale's short date format.
QString certDateText(const QDate &date);

// A field as certificate composition needs it, independent of any window.
struct CertPrintField
{
    int Kind = 0;
    bool Enabled = false;
    int Left = 0; // mm
    int Top = 0;  // mm
    int Align = caLeft;
    QFont Font; // stored name, point size and style
    TColor FontColor = clWindowText;
    QString Text; // the record's own Text: the free line, or the last printed text for kinds 0-7
};

// All 18 fields of a layout image in kind order. Records that were never set up, cannot be printed
// or are missing from a short image come as their defaults, so the result is always printable.
std::array<CertPrintField, CertFieldCount> certPrintFields(const QByteArray &layout);
