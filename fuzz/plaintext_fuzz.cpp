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
    // The pass shows at most a few characters for each byte of input: a note's mark (\chftn, six
    // bytes) shows at most 15 characters, and the note's text repeats it.
    if (text.size() > 4 * qsizetype(size) + 16) {
        __builtin_trap();
    }
    (void)FindIndex::fold(text);
    return 0;
}
