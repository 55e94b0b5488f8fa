// libFuzzer target: the Markdown outline reader on arbitrary bytes, as the importer and as the help's source.
#include "document/formats/importoutline.h"
#include "document/formats/markdownreader.h"
#include "fuzz/fuzztarget.h"
#include "fuzz/importfuzz.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    formats::LeafSink sink;
    try {
        formats::readMarkdown(bytes, QStringLiteral("fuzz"), sink);
        requireImportedRecords(sink.records(), 6);
    } catch (const formats::ImportError &error) {
        require(!error.message().isEmpty());
    }
    // As the help's source: text before the first heading is refused, and then nothing is added.
    formats::LeafSink help;
    try {
        const formats::MarkdownRead read =
            formats::readMarkdownOutline(bytes, {QStringLiteral("Default"), false, QString()}, help);
        require(read.strayLine == 0 || help.records().empty());
        require(int(help.records().size()) == read.headings || read.strayLine > 0);
        requireImportedRecords(help.records(), 6);
    } catch (const formats::ImportError &error) {
        require(!error.message().isEmpty());
    }
    return 0;
}
