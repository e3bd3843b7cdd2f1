// Feeds arbitrary bytes to the metafile picture class: it must end with a
// picture or its error, never crash, hang or touch memory it does not own.
// The class draws with Qt on the offscreen platform.
#include "platform/metafile/Metafile.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>

using namespace orvane::imaging;

// The font configuration Qt loads once and keeps until the process ends.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Text needs the font database of a GUI application.
    static QGuiApplication app(*argc, *argv);
    // Load the font database now: what it keeps for the whole run is not
    // a leak of the input that happens to draw the first text.
    QImage warm(8, 8, QImage::Format_RGB32);
    QPainter painter(&warm);
    painter.drawText(0, 8, QStringLiteral("x"));
    // Small pictures only, so that the fuzzer spends its time on records.
    TBitmap::SetMaxImageBytes(size_t{4} << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream stream(data, size);
    TMetafile picture;
    try {
        picture.LoadFromStream(stream);
    } catch (const std::exception&) {
    }
    return 0;
}
