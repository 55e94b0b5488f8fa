// libFuzzer target: the TreeLine reader on arbitrary bytes (JSON, or gzip when they begin so).
#include "document/formats/importoutline.h"
#include "fuzz/fuzztarget.h"
#include "fuzz/importfuzz.h"

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
    requireImportedRecords(sink.records());
    return 0;
}
