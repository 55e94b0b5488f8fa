// Single-byte Windows-1252 text of the tree file, code pages of RTF documents, and plain-text decoding.
#include "document/encoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace encoding {

QString fromCp1252(const QByteArray &bytes)
{
    QStringDecoder decoder("windows-1252");
    return decoder.decode(bytes);
}

QByteArray toCp1252(const QString &text)
{
    QStringEncoder encoder("windows-1252");
    QByteArray out = encoder.encode(text);
    // The encoder writes 0x1A for what it cannot hold; '?' is what the user expects to see.
    if (encoder.hasError()) {
        out.replace('\x1a', '?');
    }
    return out;
}

QString decodePlainText(const QByteArray &bytes)
{
    return fromCp1252(bytes);
}

QString decodeCodePage(const QByteArray &bytes, int)
{
    return fromCp1252(bytes);
}

} // namespace encoding
