// libFuzzer target: the CherryTree reader on arbitrary bytes; what it keeps must fit the tree file and open in
// the editor.
#include "document/formats/importoutline.h"
#include "fuzz/fuzztarget.h"
#include "fuzz/importfuzz.h"
#include "text/errors.h"
#include "text/richtext.h"

#include <QTextDocument>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    formats::LeafSink sink{qint64(size)};
    try {
        formats::readCherryTree(bytes, sink);
    } catch (const formats::ImportError &error) {
        // A refused source says where and why.
        require(!error.message().isEmpty());
        require(error.message().startsWith(QLatin1String("line ")));
        require(error.offset() >= 0 && error.offset() <= qint64(size));
        return 0;
    }
    requireImportedRecords(sink.records());
    for (const TreeFileRecord &record : sink.records()) {
        require(record.text.isEmpty() || record.text.startsWith("{\\rtf"));
        // The editor can open what the leaf keeps.
        if (!record.text.isEmpty()) {
            QTextDocument document;
            try {
                richtext::loadBytes(document, record.text);
            } catch (const AppError &) {
                require(false);
            }
        }
    }
    require(sink.records().empty() || sink.records().front().level == 0);
    return 0;
}
