// libFuzzer target: reads arbitrary bytes as RTF, writes the result as RTF and reads that back; bytes
// that are not RTF are also read as the editor reads plain text.
#include "text/richtext.h"
#include "text/rtf/rtfreader.h"
#include "text/rtf/rtfwriter.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <exception>

namespace {

// QTextDocument needs a GUI application for fonts; one is made on the first input.
void ensureApplication()
{
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "rtf_fuzz";
        static char *argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureApplication();
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QTextDocument document;
    rtf::read(input, document);
    const QByteArray written = rtf::write(document);
    QTextDocument again;
    rtf::read(written, again);
    if (!richtext::isRtf(input)) {
        QTextDocument plain;
        try {
            richtext::loadBytes(plain, input);
        } catch (const std::exception &) {
            // Bytes that decode as no text are refused with a message; that is no fault.
        }
    }
    return 0;
}
