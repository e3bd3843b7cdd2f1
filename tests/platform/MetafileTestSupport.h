#pragma once
// What the metafile tests share: a little-endian writer for records, the
// expected picture as 0xRRGGBB pixels, loading through the picture class,
// whole pictures compared, and the record trace.
#include "platform/metafile/Metafile.h"

#include <QLoggingCategory>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace orvane::test::metafile {

using imaging::EInvalidGraphic;
using imaging::TBitmap;
using imaging::TMemoryStream;
using imaging::TMetafile;
using imaging::TPixelFormat;

inline const char* const kInvalid = "Cannot load image. Invalid or unexpected metafile image format.";
constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000; // COLORREF 0x00bbggrr

struct Bytes {
    std::vector<uint8_t> data;
    void U16(uint32_t v) { data.push_back(uint8_t(v)), data.push_back(uint8_t(v >> 8)); }
    void U32(uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
    void F32(float f)
    {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        U32(v);
    }
    void Put(const std::vector<uint8_t>& more) { data.insert(data.end(), more.begin(), more.end()); }
    void Align4()
    {
        while (data.size() % 4)
            data.push_back(0);
    }
};

// The expected picture: 0xRRGGBB per pixel, white to start with.
struct Picture {
    int width, height;
    std::vector<uint32_t> pixels;
    Picture(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), 0xFFFFFF) {}
    // Fills [left, right) x [top, bottom).
    Picture& Fill(int left, int top, int right, int bottom, uint32_t rgb)
    {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                pixels[size_t(y) * size_t(width) + size_t(x)] = rgb;
        return *this;
    }
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

inline Picture Pixels(const TBitmap& bitmap)
{
    Picture p(bitmap.Width(), bitmap.Height());
    for (int y = 0; y < p.height; ++y) {
        const uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < p.width; ++x)
            p.pixels[size_t(y) * size_t(p.width) + size_t(x)] =
                (uint32_t(row[4 * x + 2]) << 16) | (uint32_t(row[4 * x + 1]) << 8) | row[4 * x];
    }
    return p;
}

inline std::unique_ptr<TMetafile> Load(const std::vector<uint8_t>& bytes)
{
    TMemoryStream stream(bytes.data(), bytes.size());
    auto picture = std::make_unique<TMetafile>();
    picture->LoadFromStream(stream);
    return picture;
}

// Whole pictures compared; on a difference, both drawn as letters.
inline ::testing::AssertionResult SamePicture(const Picture& expected, const TBitmap& bitmap)
{
    if (bitmap.PixelFormat() != TPixelFormat::pf32bit)
        return ::testing::AssertionFailure() << "not a 32-bit picture";
    const Picture actual = Pixels(bitmap);
    if (actual.width != expected.width || actual.height != expected.height)
        return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height << ", expected "
                                             << expected.width << "x" << expected.height;
    if (actual.pixels == expected.pixels)
        return ::testing::AssertionSuccess();
    auto letter = [](uint32_t rgb) {
        switch (rgb) {
        case 0xFFFFFF: return '.';
        case 0x000000: return '#';
        case 0xFF0000: return 'R';
        case 0x00FF00: return 'G';
        case 0x0000FF: return 'B';
        default: return '?';
        }
    };
    std::string text = "\nexpected / actual:\n";
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x)
            text += letter(expected.At(x, y));
        text += "  ";
        for (int x = 0; x < actual.width; ++x)
            text += letter(actual.At(x, y));
        text += '\n';
    }
    return ::testing::AssertionFailure() << text;
}

inline std::string LoadError(const std::vector<uint8_t>& bytes)
{
    try {
        Load(bytes);
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
    return "(loaded)";
}

// A packed 24-bit DIB of the given top-down RGB rows, stored bottom-up
// unless topDown.
inline std::vector<uint8_t> Dib24(int width, int height, const std::vector<uint32_t>& rgbTopDown,
                                  bool topDown = false)
{
    Bytes b;
    b.U32(40), b.U32(uint32_t(width)), b.U32(uint32_t(topDown ? -height : height));
    b.U16(1), b.U16(24);
    for (int i = 0; i < 6; ++i)
        b.U32(0);
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t{3};
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        size_t written = 0;
        for (int x = 0; x < width; ++x, written += 3) {
            const uint32_t c = rgbTopDown[size_t(y) * size_t(width) + size_t(x)];
            b.data.push_back(uint8_t(c)), b.data.push_back(uint8_t(c >> 8)), b.data.push_back(uint8_t(c >> 16));
        }
        for (; written < stride; ++written)
            b.data.push_back(0);
    }
    return b.data;
}

// What the metafile's debug trace says while the file is drawn: a line for
// each record played.
inline std::vector<std::string> RecordTrace(const std::vector<uint8_t>& bytes)
{
    static std::vector<std::string> lines;
    lines.clear();
    QLoggingCategory::setFilterRules(QStringLiteral("orvane.metafile.records.debug=true"));
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& message) {
            if (context.category && std::strcmp(context.category, "orvane.metafile.records") == 0)
                lines.push_back(message.toStdString());
        });
    Load(bytes);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    return lines;
}

} // namespace orvane::test::metafile
