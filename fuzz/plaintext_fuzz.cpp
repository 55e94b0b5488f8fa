// libFuzzer target: reads arbitrary bytes as a leaf's text through the text-only pass and folds it for finding.
#include "document/findindex.h"
#include "text/rtf/plaintext.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = richtext::shownText(bytes);
    // The pass never shows more characters than the input has bytes.
    if (text.size() > qsizetype(size)) {
        __builtin_trap();
    }
    (void)FindIndex::fold(text);
    return 0;
}
