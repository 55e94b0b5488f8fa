// Single-byte Windows-1252 text of the tree file, code pages of RTF documents, and plain-text decoding.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace encoding {

// Windows-1252 bytes to text and back. Characters Windows-1252 cannot hold become '?'.
QString fromCp1252(const QByteArray &bytes);
QByteArray toCp1252(const QString &text);

// Decodes a plain-text document: UTF-8 (with or without BOM) when valid, UTF-16 with a BOM,
// otherwise Windows-1252.
QString decodePlainText(const QByteArray &bytes);

// Decodes bytes in a Windows code page (1250-1258, 874, 932, 936, 949, 950, 437, 850, 10000 ...).
// Unknown code pages decode as Windows-1252.
QString decodeCodePage(const QByteArray &bytes, int codePage);
QString decodeCodePage(QByteArrayView bytes, int codePage);

// True when decodeCodePage has a decoder of its own for the code page.
bool isKnownCodePage(int codePage);

} // namespace encoding
