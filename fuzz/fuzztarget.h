// What the libFuzzer targets that check their results share: the check, the leak suppressions and an
// offscreen GUI application made before the first input. Included by the one source file of a target.
#pragma once

#include <QGuiApplication>

#include <cstdlib>

// A failed check stops the run, and the fuzzer keeps the input that made it fail.
inline void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// Fontconfig keeps its caches until exit; they are not leaks of the reader.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}
