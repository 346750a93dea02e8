#pragma once

#include "protocol/ProtocolFiles.h"

#include <QString>

// The "Zeitenprotokoll" web page: the protocol's rows in their shown order as a styled table,
// followed by the maker's credit line. Plain text from fixed fragments, every line ended by CR LF.
namespace HtmlProtocol {

// The page as text. Cell texts and the title are HTML-escaped, so a start list cannot inject
// markup; characters the page's single-byte code page lacks become numeric character references.
QString page(const ProtocolFormat::Table &cells, const QString &applicationTitle);

// The page's bytes in Windows-1252, the code page the browser takes for the declared iso-8859-1.
QByteArray pageBytes(const ProtocolFormat::Table &cells, const QString &applicationTitle);

// Writes the page to path, replacing an older file only when the new one is complete.
// On failure errorText (when given) says why.
bool write(const QString &path, const ProtocolFormat::Table &cells, const QString &applicationTitle,
           QString *errorText = nullptr);

// A cell text as the page and the spreadsheet show it: the first "," turned into "." (75,43 to
// 75.43); further commas stay.
QString firstCommaToPoint(QString text);

} // namespace HtmlProtocol
