// libFuzzer target: the TreeLine reader on arbitrary bytes (JSON, or gzip when they begin so).
#include "document/formats/importoutline.h"
#include "fuzz/fuzztarget.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    formats::LeafSink sink;
    try {
        formats::readTreeLine(bytes, sink);
    } catch (const formats::ImportError &error) {
        require(!error.message().isEmpty());
        require(error.offset() >= -1);
        return 0;
    }
    int previous = -1;
    for (const TreeFileRecord &record : sink.records()) {
        require(record.level >= 0 && record.level <= previous + 1);
        require(record.level < formats::MaxImportDepth);
        require(record.caption.size() <= 255);
        require(record.category.size() <= 20);
        previous = record.level;
    }
    return 0;
}
