// The body of every picture and decoder fuzz target. The build compiles
// this file once per target, with ORVANE_FUZZ_TARGET set to the target's
// name, and the table below gives what the target feeds the bytes to. A
// reader must end with a picture or one of its errors, a decoder within its
// buffers: never crash, hang or touch memory they do not own.
#include "DecoderTargets.h"
#include "imaging/core/Animation.h"
#include "imaging/core/Bitmap.h"
#include "imaging/core/Warnings.h"
#include "imaging/readers/AutodeskGraphic.h"
#include "imaging/readers/CUTGraphic.h"
#include "imaging/readers/EPSGraphic.h"
#include "imaging/readers/HEIFImage.h"
#include "imaging/readers/GIFImage.h"
#include "imaging/readers/IconImage.h"
#include "imaging/readers/JPEGImage.h"
#include "imaging/readers/JXLImage.h"
#include "imaging/readers/PCDGraphic.h"
#include "imaging/readers/PCXGraphic.h"
#include "imaging/readers/PNGGraphic.h"
#include "imaging/readers/PPMGraphic.h"
#include "imaging/readers/PSDGraphic.h"
#include "imaging/readers/PSPGraphic.h"
#include "imaging/readers/RLAGraphic.h"
#include "imaging/readers/SGIGraphic.h"
#include "imaging/readers/TIFFGraphic.h"
#include "imaging/readers/TargaGraphic.h"
#include "imaging/readers/WebPImage.h"
#include "imaging/readers/WindowsBitmap.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

#ifndef ORVANE_FUZZ_TARGET
#error "Compile with ORVANE_FUZZ_TARGET set to the target's name"
#endif

namespace orvane::fuzz {

namespace {

using namespace orvane::imaging;

// Any bytes loaded as a file of the picture class, after its format check
// where it has one.
template <const TGraphicClass& (*ClassInfo)()>
void LoadPicture(const uint8_t* data, size_t size)
{
    const TGraphicClass& graphicClass = ClassInfo();
    TMemoryStream stream(data, size);
    if (graphicClass.AcceptsStream)
        graphicClass.AcceptsStream(stream);
    const std::unique_ptr<TBitmap> picture = graphicClass.Create();
    try {
        picture->LoadFromStream(stream);
        // An animated picture decodes its later frames as it plays.
        if (TAnimation* animation = picture->Animation())
            for (int frame = 1; frame < std::min(animation->FrameCount(), 64); ++frame)
                animation->NextFrame();
    } catch (const std::exception&) {
    }
}

template <void (*Drive)(DecoderInput&)>
void Decode(const uint8_t* data, size_t size)
{
    DecoderInput input(data, size);
    Drive(input);
}

struct TTarget {
    std::string_view name;
    void (*run)(const uint8_t* data, size_t size);
};

constexpr TTarget targets[] = {
    {"fuzz_autodesk", LoadPicture<&TAutodeskGraphic::ClassInfo>},
    {"fuzz_bmp", LoadPicture<&TWindowsBitmap::ClassInfo>},
    {"fuzz_cut", LoadPicture<&TCUTGraphic::ClassInfo>},
    {"fuzz_eps", LoadPicture<&TEPSGraphic::ClassInfo>},
    {"fuzz_heif", LoadPicture<&THEIFImage::ClassInfo>},
    {"fuzz_ico", LoadPicture<&TIcon::ClassInfo>},
    {"fuzz_jpeg", LoadPicture<&TJPEGImage::ClassInfo>},
    {"fuzz_jxl", LoadPicture<&TJXLImage::ClassInfo>},
    {"fuzz_pcd", LoadPicture<&TPCDGraphic::ClassInfo>},
    {"fuzz_pcx", LoadPicture<&TPCXGraphic::ClassInfo>},
    {"fuzz_png", LoadPicture<&TPNGGraphic::ClassInfo>},
    {"fuzz_ppm", LoadPicture<&TPPMGraphic::ClassInfo>},
    {"fuzz_psd", LoadPicture<&TPSDGraphic::ClassInfo>},
    {"fuzz_psp", LoadPicture<&TPSPGraphic::ClassInfo>},
    {"fuzz_rla", LoadPicture<&TRLAGraphic::ClassInfo>},
    {"fuzz_sgi", LoadPicture<&TSGIGraphic::ClassInfo>},
    {"fuzz_targa", LoadPicture<&TTargaGraphic::ClassInfo>},
    {"fuzz_tiff", LoadPicture<&TTIFFGraphic::ClassInfo>},
    {"fuzz_decoder_ccitt", Decode<CCITTDecoder>},
    {"fuzz_decoder_cut", Decode<RunLengthDecoder<TCUTRLEDecoder>>},
    {"fuzz_decoder_lz77", Decode<LZ77Decoder>},
    {"fuzz_decoder_packbits", Decode<RunLengthDecoder<TPackbitsRLEDecoder>>},
    {"fuzz_decoder_pcd", Decode<PCDDecoder>},
    {"fuzz_decoder_pcx", Decode<RunLengthDecoder<TPCXRLEDecoder>>},
    {"fuzz_decoder_psp", Decode<RunLengthDecoder<TPSPRLEDecoder>>},
    {"fuzz_decoder_rla", Decode<RunLengthDecoder<TRLADecoder>>},
    {"fuzz_decoder_sgi", Decode<SGIDecoder>},
    {"fuzz_decoder_targa", Decode<TargaDecoder>},
    {"fuzz_decoder_thunder", Decode<ThunderDecoder>},
    {"fuzz_decoder_tiffjpeg", Decode<TIFFJPEGDecoder>},
    {"fuzz_webp", LoadPicture<&TWebPImage::ClassInfo>},
    {"fuzz_gif", LoadPicture<&TGIFImage::ClassInfo>},
};

constexpr const TTarget* Find(std::string_view name)
{
    for (const TTarget& target : targets)
        if (target.name == name)
            return &target;
    return nullptr;
}

constexpr const TTarget* target = Find(ORVANE_FUZZ_TARGET);
static_assert(target != nullptr, "ORVANE_FUZZ_TARGET names no target of the table");

} // namespace

} // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool setUp = [] {
        // Headers may claim pictures of gigabytes: allocations stay within
        // what the fuzzer's memory limit allows, so that it spends its time
        // on parsing. Warnings have nobody to show them to.
        orvane::imaging::TBitmap::SetMaxImageBytes(size_t{64} << 20);
        orvane::imaging::SetWarningHandler([](const std::string&, const std::string&) {});
        return true;
    }();
    (void)setUp;
    orvane::fuzz::target->run(data, size);
    return 0;
}
