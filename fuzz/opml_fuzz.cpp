// libFuzzer target: the OPML reader on arbitrary bytes, and what it read written as OPML and read again.
#include "document/formats/importoutline.h"
#include "document/formats/outlineexport.h"
#include "fuzz/fuzztarget.h"
#include "fuzz/importfuzz.h"
#include "text/encoding.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    formats::LeafSink sink;
    try {
        formats::readOpml(bytes, sink);
    } catch (const formats::ImportError &error) {
        require(!error.message().isEmpty());
        return 0;
    }
    const std::vector<TreeFileRecord> &records = sink.records();
    requireImportedRecords(records);

    // Written back, the leaves read back as many, with the same captions and levels.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    formats::writeOpml(buffer,
                       [&](const formats::LeafVisitor &visit, bool) {
                           for (const TreeFileRecord &record : records) {
                               visit(formats::ExportLeaf{record.level, encoding::fromCp1252(record.caption),
                                                         encoding::fromCp1252(record.category), record.text});
                           }
                       },
                       QStringLiteral("fuzz"), {});
    formats::LeafSink again;
    formats::readOpml(buffer.data(), again);  // an error here escapes and stops the run
    require(again.records().size() == records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        require(again.records()[i].caption == records[i].caption);
        require(again.records()[i].level == records[i].level);
    }
    return 0;
}
