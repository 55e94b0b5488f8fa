// Inflating gzip-compressed sources within a bound on what they may grow to.
#pragma once

#include <QByteArray>

namespace formats {

// True when the bytes begin with gzip's magic number (1f 8b).
bool isGzip(const QByteArray &bytes);

// The decompressed bytes of every gzip member in bytes. Refuses (ImportError with the byte offset into the
// compressed bytes) damaged or truncated data, and data that grows past maxOutput bytes: a few kilobytes can
// claim gigabytes, so the caller bounds the output by what a real file of the size could hold.
QByteArray gunzip(const QByteArray &bytes, qint64 maxOutput);

// The bound gunzip is given for a source: text compresses to a tenth of its size or so and rarely to a
// hundredth; a bomb reaches a thousandth. So a hundred times the size, and at least 16 MiB, so small files
// never come near it.
qint64 gunzipLimit(qint64 compressedSize);

} // namespace formats
