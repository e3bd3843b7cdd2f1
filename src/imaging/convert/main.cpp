// orvane-convert: decodes a picture the way the viewer does (format by
// extension, through the picture loader) and writes it as PNG, PPM or PAM;
// or prints what the file's header says.
#include "imaging/convert/ImageWriters.h"
#include "imaging/color/SrgbConversion.h"
#include "imaging/core/Orientation.h"
#include "imaging/core/PictureLoader.h"
#include "imaging/readers/ReaderGraphic.h"
#include "imaging/registry/FormatRegistration.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <utility>

using namespace orvane::imaging;

namespace {

int Usage()
{
    std::fputs("usage: orvane-convert [--auto-orient] [--to-srgb] [--max-pixels N] INPUT OUTPUT\n"
               "       orvane-convert --info INPUT\n"
               "OUTPUT's extension chooses the format: .png, .ppm (binary P6) or .pam (P7).\n"
               "--auto-orient writes the picture upright as its EXIF orientation says; without\n"
               "it the rows are written as stored. --to-srgb converts a picture with an\n"
               "embedded colour profile to sRGB; without it the values are written as stored.\n"
               "A picture of more than N pixels (268435456 unless given) is not written.\n",
               stderr);
    return 2;
}

const char* FormatName(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pf1bit: return "1 bit indexed";
    case TPixelFormat::pf4bit: return "4 bits indexed";
    case TPixelFormat::pf8bit: return "8 bits indexed";
    case TPixelFormat::pf15bit: return "15 bits RGB";
    case TPixelFormat::pf16bit: return "16 bits RGB";
    case TPixelFormat::pf24bit: return "24 bits BGR";
    case TPixelFormat::pf32bit: return "32 bits BGRA";
    default: return "device";
    }
}

const char* SchemeName(TColorScheme scheme)
{
    static const char* const names[] = {"unknown", "indexed", "gray",  "gray with alpha", "RGB",      "RGBA",     "BGR",
                                        "BGRA",    "CMY",     "CMYK",  "CIE L*a*b*",      "YCbCr",    "Photo YCC"};
    const auto index = static_cast<size_t>(scheme);
    return index < sizeof(names) / sizeof(names[0]) ? names[index] : "?";
}

const char* CompressionName(TCompressionType compression)
{
    static const char* const names[] = {
        "unknown", "none", "run-length", "PackBits", "LZW", "CCITT Group 3 fax", "CCITT modified Huffman",
        "CCITT Group 4 fax", "CCITT modified Huffman, word aligned", "deflate", "JPEG", "old-style JPEG",
        "ThunderScan 4-bit", "NeXT 2-bit", "IT8 CT padding", "IT8 line work", "IT8 monochrome picture",
        "IT8 binary line art", "Pixar film", "Pixar log", "DCS", "JBIG", "Photo-CD Huffman"};
    const auto index = static_cast<size_t>(compression);
    return index < sizeof(names) / sizeof(names[0]) ? names[index] : "?";
}

template <class T>
std::string List(const std::vector<T>& values)
{
    std::string text;
    for (const T& v : values)
        text += (text.empty() ? "" : " ") + std::to_string(static_cast<unsigned>(v));
    return text;
}

// The fields the header set (those that differ from a cleared record).
void PrintProperties(const TImageProperties& p)
{
    auto line = [](const char* name, const std::string& value) { std::printf("%s: %s\n", name, value.c_str()); };
    auto number = [&](const char* name, auto value) {
        if (value)
            line(name, std::to_string(value));
    };
    auto flag = [&](const char* name, bool value) {
        if (value)
            line(name, "yes");
    };
    number("version", p.Version);
    if (p.Options) {
        std::string text;
        const char* const names[] = {"tiled", "big-endian", "min is white", "bits reversed", "gamma"};
        for (int bit = 0; bit < 5; ++bit)
            if (p.Options & (1 << bit))
                text += (text.empty() ? "" : ", ") + std::string(names[bit]);
        line("options", text);
    }
    number("image width", p.Width);
    number("image height", p.Height);
    if (p.ColorScheme != TColorScheme::csUnknown)
        line("color scheme", SchemeName(p.ColorScheme));
    number("bits per sample", unsigned{p.BitsPerSample});
    number("samples per pixel", unsigned{p.SamplesPerPixel});
    number("bits per pixel", unsigned{p.BitsPerPixel});
    if (p.Compression != TCompressionType::ctUnknown)
        line("compression", CompressionName(p.Compression));
    if (p.FileGamma != 1.0f)
        line("file gamma", FormatText("%g", double(p.FileGamma)));
    if (p.XResolution != 0 || p.YResolution != 0)
        line("resolution", FormatText("%g x %g dpi", double(p.XResolution), double(p.YResolution)));
    flag("interlaced", p.Interlaced);
    flag("has alpha", p.HasAlpha);
    number("first IFD", p.FirstIFD);
    number("planar configuration", p.PlanarConfig);
    number("tile width", p.TileWidth);
    number("tile length", p.TileLength);
    number("row length", p.BytesPerLine);
    if (!p.RowsPerStrip.empty())
        line("rows per strip", List(p.RowsPerStrip));
    if (!p.YCbCrSubSampling.empty())
        line("YCbCr subsampling", List(p.YCbCrSubSampling));
    if (!p.JPEGTables.empty())
        line("JPEG tables", std::to_string(p.JPEGTables.size()) + " bytes");
    number("strip count", p.StripCount);
    number("predictor", p.Predictor);
    flag("overview", p.Overview);
    number("rotation", unsigned{p.Rotate});
    number("image count", unsigned{p.ImageCount});
    flag("bottom up", p.BottomUp);
    number("channels", unsigned{p.Channels});
    number("filter method", unsigned{p.FilterMode});
}

// A file may claim far more pixels than its data holds; writing them all
// out would fill the disk with rows of nothing.
constexpr uint64_t kDefaultMaxPixels = uint64_t{1} << 28;

// A whole decimal number from 1 up, or nothing.
std::optional<uint64_t> PixelCount(const char* text)
{
    uint64_t value = 0;
    if (!*text)
        return std::nullopt;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9' || value > (UINT64_MAX - 9) / 10)
            return std::nullopt;
        value = value * 10 + uint64_t(*c - '0');
    }
    return value > 0 ? std::optional<uint64_t>(value) : std::nullopt;
}

void CheckPixelCount(const TBitmap& picture, uint64_t maxPixels)
{
    const uint64_t pixels = uint64_t(picture.Width()) * uint64_t(picture.Height());
    if (pixels > maxPixels)
        throw EInvalidGraphic(FormatText("The picture has %d x %d pixels, more than the %llu this converter writes "
                                         "(--max-pixels N raises the limit).",
                                         picture.Width(), picture.Height(),
                                         static_cast<unsigned long long>(maxPixels)));
}

} // namespace

struct Arguments {
    bool info = false;
    bool autoOrient = false;
    bool toSrgb = false;
    uint64_t maxPixels = kDefaultMaxPixels;
    std::string input;
    std::string output;
};

// The options, then INPUT and OUTPUT (or --info and INPUT); false for
// anything else.
bool ParseArguments(int argc, char** argv, Arguments& arguments)
{
    int at = 1;
    if (argc == 3 && std::strcmp(argv[1], "--info") == 0) {
        arguments.info = true;
        arguments.input = argv[2];
        return true;
    }
    while (at < argc && std::strncmp(argv[at], "--", 2) == 0) {
        if (std::strcmp(argv[at], "--auto-orient") == 0) {
            arguments.autoOrient = true;
            ++at;
        } else if (std::strcmp(argv[at], "--to-srgb") == 0) {
            arguments.toSrgb = true;
            ++at;
        } else if (std::strcmp(argv[at], "--max-pixels") == 0 && at + 1 < argc) {
            const auto limit = PixelCount(argv[at + 1]);
            if (!limit)
                return false;
            arguments.maxPixels = *limit;
            at += 2;
        } else {
            return false;
        }
    }
    if (argc - at != 2)
        return false;
    arguments.input = argv[at];
    arguments.output = argv[at + 1];
    return true;
}

// The picture as the writers take it: upright when asked, with pixels of
// other formats expanded to 24 or 32 bits first.
std::unique_ptr<TBitmap> Oriented(std::unique_ptr<TBitmap> picture)
{
    if (picture->Orientation() == 1)
        return picture;
    const int bits = BitsPerPixel(picture->PixelFormat());
    if (bits == 8 || bits == 24 || bits == 32)
        return Upright(*picture);
    auto expanded = std::make_unique<TBitmap>();
    expanded->SetPixelFormat(TPixelFormat::pf32bit);
    expanded->SetSize(picture->Width(), picture->Height());
    expanded->SetHasAlpha(picture->HasAlpha());
    expanded->SetOrientation(picture->Orientation());
    for (int y = 0; y < picture->Height(); ++y) {
        uint8_t* row = expanded->ScanLine(y);
        convert::ExpandRow(*picture, y, true, row);
        for (int x = 0; x < picture->Width(); ++x)
            std::swap(row[x * 4], row[x * 4 + 2]); // RGBA to the bitmap's BGRA
    }
    return Upright(*expanded);
}

int main(int argc, char** argv)
{
    Arguments arguments;
    if (!ParseArguments(argc, argv, arguments))
        return Usage();
    const bool info = arguments.info;
    const std::string& input = arguments.input;
    const std::string& output = arguments.output;
    convert::TOutputKind kind{};
    if (!info && !convert::OutputKindFor(output, kind))
        return Usage();

    try {
        InitializeImageFormats();
        std::unique_ptr<TBitmap> picture = TPictureLoader::Instance().LoadFromFile(input);
        if (info) {
            std::printf("width: %d\nheight: %d\npixel format: %s%s\n", picture->Width(), picture->Height(),
                        FormatName(picture->PixelFormat()), picture->HasAlpha() ? " with alpha" : "");
            if (picture->Orientation() != 1)
                std::printf("orientation: %d\n", picture->Orientation());
            if (!picture->IccProfile().empty())
                std::printf("colour profile: %zu bytes\n", picture->IccProfile().size());
            if (const auto* reader = dynamic_cast<const TReaderGraphic*>(picture.get()))
                PrintProperties(reader->ImageProperties());
        } else {
            if (picture->Empty())
                throw EInvalidGraphic("The picture is empty.");
            CheckPixelCount(*picture, arguments.maxPixels);
            if (arguments.toSrgb)
                ConvertBitmapToSrgb(*picture);
            if (arguments.autoOrient)
                picture = Oriented(std::move(picture));
            convert::WriteImage(*picture, output, kind);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        FinalizeImageFormats();
        return 1;
    }
    FinalizeImageFormats();
    return 0;
}
