#include "imaging/readers/TIFFGraphic.h"

#include "imaging/color/ColorManager.h"
#include "imaging/decoders/CCITTDecoder.h"
#include "imaging/decoders/LZ77Decoder.h"
#include "imaging/decoders/PackbitsRLEDecoder.h"
#include "imaging/decoders/ThunderDecoder.h"
#include "imaging/decoders/TIFFJPEGDecoder.h"

#include <algorithm>
#include <climits>
#include <set>

namespace orvane::imaging {

namespace {

const char* const FormatName = "TIF/TIFF";

// Tags the reader looks at.
enum TTIFFTag : uint16_t {
    tgImageWidth = 256,
    tgImageLength = 257,
    tgBitsPerSample = 258,
    tgCompression = 259,
    tgPhotometric = 262,
    tgFillOrder = 266,
    tgStripOffsets = 273,
    tgOrientation = 274,
    tgIccProfile = 34675,
    tgSamplesPerPixel = 277,
    tgRowsPerStrip = 278,
    tgStripByteCounts = 279,
    tgXResolution = 282,
    tgYResolution = 283,
    tgPlanarConfig = 284,
    tgT4Options = 292,
    tgResolutionUnit = 296,
    tgPredictor = 317,
    tgColorMap = 320,
    tgTileWidth = 322,
    tgTileLength = 323,
    tgExtraSamples = 338,
    tgJPEGTables = 347,
    tgYCbCrCoefficients = 529,
    tgYCbCrSubSampling = 530,
    tgYCbCrPositioning = 531,
};

TCompressionType CompressionFromTag(uint32_t value)
{
    switch (value) {
    case 1: return TCompressionType::ctNone;
    case 2: return TCompressionType::ctFaxRLE;
    case 3: return TCompressionType::ctFax3;
    case 4: return TCompressionType::ctFax4;
    case 5: return TCompressionType::ctLZW;
    case 6: return TCompressionType::ctOJPEG;
    case 7: return TCompressionType::ctJPEG;
    case 8:
    case 32946: return TCompressionType::ctLZ77;
    case 32766: return TCompressionType::ctNext;
    case 32771: return TCompressionType::ctFaxRLEW;
    case 32773: return TCompressionType::ctPackedBits;
    case 32809: return TCompressionType::ctThunderscan;
    case 32895: return TCompressionType::ctIT8CTPAD;
    case 32896: return TCompressionType::ctIT8LW;
    case 32897: return TCompressionType::ctIT8MP;
    case 32898: return TCompressionType::ctIT8BL;
    case 32908: return TCompressionType::ctPixarFilm;
    case 32909: return TCompressionType::ctPixarLog;
    case 32947: return TCompressionType::ctDCS;
    case 34661: return TCompressionType::ctJBIG;
    default: return TCompressionType::ctUnknown;
    }
}

// Samples per pixel a colour scheme's converter reads (0: no converter).
unsigned SamplesOfScheme(TColorScheme scheme)
{
    switch (scheme) {
    case TColorScheme::csUnknown:
        return 0;
    case TColorScheme::csIndexed:
    case TColorScheme::csG:
        return 1;
    case TColorScheme::csGA:
        return 2;
    case TColorScheme::csRGBA:
    case TColorScheme::csBGRA:
    case TColorScheme::csCMYK:
        return 4;
    default:
        return 3;
    }
}

// The colour profile of tag 34675; a profile whose bytes lie past the end
// of the file is no profile, and no reason to refuse the picture.
std::vector<uint8_t> IccProfileOf(const TTIFFDirectory& directory)
{
    try {
        return directory.ByteArray(tgIccProfile);
    } catch (const std::exception&) {
        return {};
    }
}

TColorScheme SchemeOfPhotometric(uint32_t photometric, uint8_t samples, uint8_t& options)
{
    switch (photometric) {
    case 0:
        options |= ioMinIsWhite;
        return TColorScheme::csG;
    case 1:
        return TColorScheme::csG;
    case 2:
        return samples < 4 ? TColorScheme::csRGB : TColorScheme::csRGBA;
    case 3:
        return TColorScheme::csIndexed;
    case 5:
        return TColorScheme::csCMYK;
    case 6:
        return TColorScheme::csYCbCr;
    case 8:
        return TColorScheme::csCIELab;
    default:
        return TColorScheme::csUnknown;
    }
}

bool IsJPEG(TCompressionType compression)
{
    return compression == TCompressionType::ctJPEG || compression == TCompressionType::ctOJPEG;
}

} // namespace

TTIFFGraphic::TTIFFGraphic() = default;
TTIFFGraphic::~TTIFFGraphic() = default;

const TGraphicClass& TTIFFGraphic::ClassInfo()
{
    return ReaderClassInfo<TTIFFGraphic>("TTIFFGraphic");
}

bool TTIFFGraphic::AcceptsStream(TStream& stream)
{
    TStreamPositionGuard guard(stream);
    const int64_t remaining = stream.Remaining();
    if (remaining <= 8)
        return false;
    uint8_t header[8];
    if (stream.Read(header, 8) != 8)
        return false;
    uint16_t version;
    uint32_t firstIFD;
    if (header[0] == 'I' && header[1] == 'I') {
        version = GetLE16(header + 2);
        firstIFD = GetLE32(header + 4);
    } else if (header[0] == 'M' && header[1] == 'M') {
        version = GetBE16(header + 2);
        firstIFD = GetBE32(header + 4);
    } else {
        return false;
    }
    return version == 42 && firstIFD < remaining;
}

bool TTIFFGraphic::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    TImageProperties& p = ImageProperties();
    directory_.Clear();
    colorMap_.clear();
    if (!ReadDirectory(stream, imageIndex))
        return false;

    const uint32_t width = directory_.Value(tgImageWidth, 0);
    const uint32_t height = directory_.Value(tgImageLength, 0);
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX)
        return false;
    p.Width = static_cast<int32_t>(width);
    p.Height = static_cast<int32_t>(height);
    p.RowsPerStrip = directory_.Array(tgRowsPerStrip);
    if (p.RowsPerStrip.empty() || p.RowsPerStrip[0] == 0xFFFFFFFFu)
        p.RowsPerStrip = {height};
    ReadSampleLayout();
    p.Compression = CompressionFromTag(directory_.Value(tgCompression, 0));
    p.ColorScheme = SchemeOfPhotometric(directory_.Value(tgPhotometric, 0), p.SamplesPerPixel, p.Options);
    if (p.ColorScheme == TColorScheme::csYCbCr)
        ReadYCbCrFields();
    p.PlanarConfig = directory_.Value(tgPlanarConfig, 0);
    p.XResolution = directory_.Float(tgXResolution, 0);
    p.YResolution = directory_.Float(tgYResolution, 0);
    if (directory_.Value(tgResolutionUnit, 2) == 3) {
        p.XResolution *= 2.54f;
        p.YResolution *= 2.54f;
    }
    p.Predictor = directory_.Value(tgPredictor, 0);
    if (directory_.Value(tgFillOrder, 1) == 2)
        p.Options |= ioReversed;
    return true;
}

// The file header and the directory of image imageIndex: later images
// follow the chain of next-directory offsets, and a chain that loops ends
// the search. False when the file is not a TIFF file or has no such image.
bool TTIFFGraphic::ReadDirectory(TStream& stream, int imageIndex)
{
    TImageProperties& p = ImageProperties();
    const int64_t base = BasePosition();
    stream.SetPosition(base);
    uint8_t header[8];
    if (stream.Read(header, 8) != 8)
        return false;
    bool bigEndian;
    if (header[0] == 'I' && header[1] == 'I')
        bigEndian = false;
    else if (header[0] == 'M' && header[1] == 'M')
        bigEndian = true;
    else
        return false;
    if (bigEndian)
        p.Options |= ioBigEndian;
    p.Version = bigEndian ? GetBE16(header + 2) : GetLE16(header + 2);
    p.FirstIFD = bigEndian ? GetBE32(header + 4) : GetLE32(header + 4);
    if (p.Version != 42)
        return false;

    directory_.Read(stream, base, p.FirstIFD, bigEndian);
    std::set<uint32_t> visited{p.FirstIFD};
    for (int index = 0; index < imageIndex; ++index) {
        const uint32_t next = directory_.NextIFD();
        if (next == 0 || !visited.insert(next).second)
            return false;
        directory_.Read(stream, base, next, bigEndian);
    }
    return true;
}

// Samples, depth, tiles and alpha. Values beyond a byte saturate, so the
// colour manager refuses them rather than seeing a wrapped small value.
void TTIFFGraphic::ReadSampleLayout()
{
    TImageProperties& p = ImageProperties();
    const uint32_t samples = directory_.Value(tgSamplesPerPixel, 1);
    p.SamplesPerPixel = static_cast<uint8_t>(std::min<uint32_t>(samples, 255));
    const std::vector<uint32_t> bits = directory_.Array(tgBitsPerSample);
    p.BitsPerSample = static_cast<uint8_t>(bits.empty() ? 1 : std::min<uint32_t>(bits[0], 255));

    p.TileWidth = directory_.Value(tgTileWidth, 0);
    p.TileLength = directory_.Value(tgTileLength, 0);
    if (p.TileWidth != 0 && p.TileLength != 0)
        p.Options |= ioTiled;

    if (directory_.Has(tgExtraSamples)) {
        const std::vector<uint32_t> extra = directory_.Array(tgExtraSamples);
        p.HasAlpha = std::none_of(extra.begin(), extra.end(), [](uint32_t v) { return v > 2; });
    }
    p.BitsPerPixel = static_cast<uint8_t>(std::min<unsigned>(unsigned{p.BitsPerSample} * p.SamplesPerPixel, 255));
}

void TTIFFGraphic::ReadYCbCrFields()
{
    TImageProperties& p = ImageProperties();
    p.YCbCrSubSampling = directory_.ByteArray(tgYCbCrSubSampling);
    if (p.YCbCrSubSampling.size() < 2)
        p.YCbCrSubSampling = {2, 2};
    yCbCrPositioning_ = directory_.Value(tgYCbCrPositioning, 1);
    yCbCrCoefficients_ = directory_.FloatArray(tgYCbCrCoefficients);
    // Luma weights are fractions; anything else (missing, zero, not a
    // number) would blow up the chroma tables.
    const bool usable = yCbCrCoefficients_.size() >= 3 &&
                        std::all_of(yCbCrCoefficients_.begin(), yCbCrCoefficients_.begin() + 3,
                                    [](float v) { return v > 0.0f && v < 1.0f; });
    if (!usable)
        yCbCrCoefficients_ = {0.299f, 0.587f, 0.114f};
}

void TTIFFGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    RequireHeader(stream, 0, FormatName);
    TImageProperties& p = ImageProperties();
    if (p.Options & ioTiled) {
        Progress(TProgressStage::psEnding, 100, false, ProgressRect(), "");
        return;
    }

    progress.Start("Preparing...");
    stripOffsets_ = directory_.Array(tgStripOffsets);
    stripByteCounts_ = directory_.Array(tgStripByteCounts);
    PrepareBitmap();
    SetOrientation(static_cast<int>(directory_.Value(tgOrientation, 1)));
    SetIccProfile(IccProfileOf(directory_));
    ProgressRect().Right = Width();

    std::unique_ptr<TDecoder> decoder = CreateDecoder();
    if (decoder)
        decoder->BeginDecoding();

    progress.Step("Transfering...");
    TransferStrips(decoder.get(), progress);
    progress.Finish();
    if (decoder)
        decoder->EndDecoding();
}

void TTIFFGraphic::PrepareBitmap()
{
    const TImageProperties& p = ImageProperties();
    // Separate planes (planar configuration 2) reach the colour manager as
    // one pointer per plane; gray and indexed images use their first plane.
    const bool planar = p.PlanarConfig == 2 && p.SamplesPerPixel > 1;
    const TConversion conversion = ChooseConversion(planar);
    const TColorScheme source = conversion.SourceScheme;
    const bool indexedFamily = source == TColorScheme::csIndexed || source == TColorScheme::csG;
    // A row must hold every sample the converter reads.
    if (p.SamplesPerPixel < SamplesOfScheme(source))
        throw EColorConversionError("Sample count per pixel does not correspond to the given color scheme.");
    if (!indexedFamily && source != TColorScheme::csUnknown && p.BitsPerSample != 8 && p.BitsPerSample != 16)
        throw EColorConversionError("Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");
    TColorManager& cm = ColorManager();
    cm.Configure(conversion);

    const TPixelFormat format = source == TColorScheme::csGA ? TPixelFormat::pf8bit : cm.PixelFormatFor(true);
    if (format == TPixelFormat::pfCustom)
        throw EColorConversionError("Color conversion failed. Could not find a proper method.");
    SetPixelFormat(format);
    SetSize(p.Width, p.Height);
    if (Width() == 0 || Height() == 0)
        GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", FormatName);
    SetHasAlpha(conversion.TargetScheme == TColorScheme::csBGRA);
    MakePalette();
    blockedYCbCr_ = false;
    if (source == TColorScheme::csYCbCr)
        blockedYCbCr_ = PrepareYCbCr(planar);
    ChooseRowLayout(planar, indexedFamily, source);
}

// Source and target of the conversion. The JPEG decoder delivers colour as
// blue, green, red; an extra sample of gray pixels (alpha) is skipped, and
// colour targets hold exactly their scheme's samples (a file may carry
// more, which are skipped too). Targets are the bitmap's depths: 2 and 3
// bits are held in 4-bit pixels, 5 to 7 and 9 to 16 bits in 8-bit ones.
TConversion TTIFFGraphic::ChooseConversion(bool planar) const
{
    const TImageProperties& p = ImageProperties();
    TConversion c;
    c.SourceScheme = p.ColorScheme;
    if (IsJPEG(p.Compression) && p.SamplesPerPixel == 3 && !planar)
        c.SourceScheme = TColorScheme::csBGR;
    c.SourceSamplesPerPixel = c.TargetSamplesPerPixel = p.SamplesPerPixel;
    switch (c.SourceScheme) {
    case TColorScheme::csIndexed:
    case TColorScheme::csG:
        c.TargetScheme = c.SourceScheme;
        if (planar) {
            c.SourceSamplesPerPixel = c.TargetSamplesPerPixel = 1;
        } else if (p.SamplesPerPixel == 2 || (p.HasAlpha && p.SamplesPerPixel > 1)) {
            c.SourceScheme = TColorScheme::csGA;
            c.TargetSamplesPerPixel = 1;
        }
        break;
    case TColorScheme::csRGB:
    case TColorScheme::csCMY:
    case TColorScheme::csCMYK:
    case TColorScheme::csCIELab:
    case TColorScheme::csYCbCr:
        c.TargetScheme = TColorScheme::csBGR;
        break;
    case TColorScheme::csRGBA:
        c.TargetScheme = TColorScheme::csBGRA;
        break;
    default:
        c.TargetScheme = c.SourceScheme;
        break;
    }
    if (c.TargetScheme == TColorScheme::csBGR)
        c.TargetSamplesPerPixel = 3;
    else if (c.TargetScheme == TColorScheme::csBGRA)
        c.TargetSamplesPerPixel = 4;

    const bool indexedFamily = c.SourceScheme == TColorScheme::csIndexed || c.SourceScheme == TColorScheme::csG;
    c.SourceBitsPerSample = c.TargetBitsPerSample = p.BitsPerSample;
    if (indexedFamily && (p.BitsPerSample == 2 || p.BitsPerSample == 3))
        c.TargetBitsPerSample = 4;
    else if (p.BitsPerSample >= 5 && p.BitsPerSample != 8)
        c.TargetBitsPerSample = 8;
    c.SourceOptions = static_cast<TConvertOptions>(((p.Options & ioBigEndian) ? coNeedByteSwap : 0) |
                                                   (c.SourceScheme == TColorScheme::csCIELab ? coLabByteRange : 0));
    return c;
}

// The chroma of YCbCr images. Without JPEG, subsampled samples come in
// blocks of h x v luma values followed by one Cb and one Cr (interleaved
// 8-bit samples); true when they do.
bool TTIFFGraphic::PrepareYCbCr(bool planar)
{
    const TImageProperties& p = ImageProperties();
    const uint8_t h = p.YCbCrSubSampling[0], v = p.YCbCrSubSampling[1];
    ColorManager().SetChroma({yCbCrCoefficients_[0], yCbCrCoefficients_[1], yCbCrCoefficients_[2]}, h, v);
    const bool blocked = h * v > 1;
    if (blocked && (p.BitsPerSample != 8 || planar))
        throw EColorConversionError("Color conversion failed. Could not find a proper method.");
    return blocked;
}

void TTIFFGraphic::ChooseRowLayout(bool planar, bool indexedFamily, TColorScheme source)
{
    TImageProperties& p = ImageProperties();
    planes_ = planar ? (indexedFamily ? 1 : SamplesOfScheme(source)) : 1;
    planesInFile_ = planar ? p.SamplesPerPixel : 1;
    rowLength_ = PackedRowBytes(static_cast<size_t>(p.Width), planar ? p.BitsPerSample : p.BitsPerPixel);
    p.BytesPerLine = static_cast<uint32_t>(std::min<size_t>(rowLength_, UINT32_MAX));
    applyPredictor_ = p.Compression != TCompressionType::ctNone && p.Predictor == 2 &&
                      (p.BitsPerSample == 8 || p.BitsPerSample == 16) && !blockedYCbCr_;
}

void TTIFFGraphic::MakePalette()
{
    TImageProperties& p = ImageProperties();
    TColorManager& cm = ColorManager();
    const bool indexed = cm.TargetColorScheme() == TColorScheme::csIndexed;
    const bool gray = cm.TargetColorScheme() == TColorScheme::csG;
    const size_t entries = size_t{1} << std::min<unsigned>(cm.TargetBitsPerSample(), 8);
    if (indexed && directory_.Has(tgColorMap)) {
        const TIFDEntry& entry = *directory_.Find(tgColorMap);
        std::vector<uint8_t> raw;
        if (entry.DataType == ftShort || entry.DataType == ftSShort)
            raw = directory_.RawData(entry);
        const size_t count = raw.size() / 2 / 3;
        colorMap_.resize(raw.size() / 2);
        for (size_t i = 0; i < colorMap_.size(); ++i)
            colorMap_[i] = (p.Options & ioBigEndian) ? GetBE16(&raw[2 * i]) : GetLE16(&raw[2 * i]);
        // Three planes of 16-bit values in file byte order; the colour
        // manager swaps them for big-endian files.
        std::vector<TRGBQuad> palette;
        if (count > 0) {
            const uint8_t* planes[3] = {raw.data(), raw.data() + 2 * count, raw.data() + 4 * count};
            palette = cm.MakeColorPalette({planes[0], planes[1], planes[2]}, TRawPaletteFormat::pfPlane16Triple,
                                          std::min(count, entries));
        }
        // Indexes the map does not cover show black.
        palette.resize(entries);
        SetPalette(std::move(palette));
    } else if (gray || indexed) {
        // An indexed image without a colour map is shown in grays.
        SetPalette(cm.MakeGrayPalette(gray && (p.Options & ioMinIsWhite)));
        if (Palette().size() < entries)
            Palette().resize(entries);
    }
}

std::unique_ptr<TDecoder> TTIFFGraphic::CreateDecoder()
{
    TImageProperties& p = ImageProperties();
    const bool reversed = (p.Options & ioReversed) != 0;
    switch (p.Compression) {
    case TCompressionType::ctNone:
        return nullptr;
    case TCompressionType::ctPackedBits:
        return std::make_unique<TPackbitsRLEDecoder>();
    case TCompressionType::ctFax3:
        return std::make_unique<TCCITTFax3Decoder>(directory_.Value(tgT4Options, 0), p.Width, false, reversed);
    case TCompressionType::ctFaxRLE:
    case TCompressionType::ctFaxRLEW:
        return std::make_unique<TCCITTMHDecoder>(directory_.Value(tgT4Options, 0), p.Width,
                                                 p.Compression == TCompressionType::ctFaxRLEW, reversed);
    case TCompressionType::ctLZ77:
        return std::make_unique<TLZ77Decoder>(TLZ77Decoder::PartialFlush, true);
    case TCompressionType::ctJPEG:
        p.JPEGTables = directory_.ByteArray(tgJPEGTables);
        return std::make_unique<TTIFFJPEGDecoder>(&p);
    case TCompressionType::ctThunderscan:
        return std::make_unique<TThunderDecoder>(p.Width);
    default:
        GraphicErrorFmt("Cannot load image. %s not supported for %s files.", "The compression scheme is", FormatName);
    }
}

} // namespace orvane::imaging
