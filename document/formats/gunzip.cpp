// Inflating gzip-compressed sources within a bound on what they may grow to.
#include "document/formats/gunzip.h"

#include "document/formats/leafsink.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace formats {

namespace {

constexpr qint64 MinGunzipLimit = qint64(16) << 20;
constexpr qint64 GunzipRatio = 100;
constexpr qint64 MaxGunzipLimit = qint64(1) << 30;
constexpr int ChunkBytes = 64 * 1024;

// Ends the stream whatever way the inflating leaves.
struct Inflater
{
    z_stream stream{};
    bool open = false;
    ~Inflater()
    {
        if (open) {
            inflateEnd(&stream);
        }
    }
};

} // namespace

bool isGzip(const QByteArray &bytes)
{
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
           static_cast<unsigned char>(bytes[1]) == 0x8b;
}

qint64 gunzipLimit(qint64 compressedSize)
{
    return std::clamp(compressedSize * GunzipRatio, MinGunzipLimit, MaxGunzipLimit);
}

QByteArray gunzip(const QByteArray &bytes, qint64 maxOutput)
{
    Inflater inflater;
    z_stream &stream = inflater.stream;
    // 16 + the window bits: a gzip header and trailer, not zlib's.
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) {
        throw ImportError(QStringLiteral("Cannot decompress: out of memory"), 0);
    }
    inflater.open = true;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    stream.avail_in = uInt(std::min<qint64>(bytes.size(), std::numeric_limits<uInt>::max()));

    QByteArray output;
    for (;;) {
        if (output.size() >= maxOutput) {
            throw ImportError(QStringLiteral("byte %1: the compressed data grows past %2 MB, more than a file of "
                                             "this size can hold")
                                  .arg(stream.total_in)
                                  .arg(maxOutput >> 20),
                              qint64(stream.total_in));
        }
        const qsizetype before = output.size();
        const qsizetype chunk = qsizetype(std::min<qint64>(ChunkBytes, maxOutput - before));
        output.resize(before + chunk);
        stream.next_out = reinterpret_cast<Bytef *>(output.data() + before);
        stream.avail_out = uInt(chunk);
        const int result = inflate(&stream, Z_NO_FLUSH);
        output.resize(before + chunk - qsizetype(stream.avail_out));
        const qint64 consumed = qint64(bytes.size()) - qint64(stream.avail_in);
        if (result == Z_STREAM_END) {
            // Concatenated members are one file to gzip; what follows the last is often zero padding.
            if (stream.avail_in == 0 || !isGzip(bytes.mid(consumed, 2))) {
                break;
            }
            if (inflateReset(&stream) != Z_OK) {
                throw ImportError(QStringLiteral("byte %1: cannot decompress").arg(consumed), consumed);
            }
            continue;
        }
        if (result == Z_BUF_ERROR && stream.avail_in == 0) {
            throw ImportError(
                QStringLiteral("byte %1: the compressed data ends early (the file is truncated)").arg(consumed),
                consumed);
        }
        if (result != Z_OK && result != Z_BUF_ERROR) {
            const QString why = stream.msg != nullptr ? QString::fromLatin1(stream.msg) : QStringLiteral("damaged");
            throw ImportError(QStringLiteral("byte %1: the compressed data is damaged (%2)").arg(consumed).arg(why),
                              consumed);
        }
        if (result == Z_OK && stream.avail_in == 0 && stream.avail_out != 0) {
            throw ImportError(
                QStringLiteral("byte %1: the compressed data ends early (the file is truncated)").arg(consumed),
                consumed);
        }
    }
    return output;
}

} // namespace formats
