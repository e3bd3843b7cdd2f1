#include "imaging/decoders/LZ77Decoder.h"

#include "imaging/decoders/WholeInflate.h"

#include <algorithm>
#include <climits>

#include <zlib.h>

namespace orvane::imaging {

namespace {
const char* const LZ77Error = "LZ77 decompression error.";
} // namespace

struct TLZ77Decoder::Stream {
    z_stream z{};
    TWholeInflater whole;
};

TLZ77Decoder::TLZ77Decoder(int flushMode, bool autoReset)
    : stream_(std::make_unique<Stream>()), flushMode_(flushMode), autoReset_(autoReset)
{
}

TLZ77Decoder::~TLZ77Decoder()
{
    if (initialized_)
        inflateEnd(&stream_->z);
}

void TLZ77Decoder::BeginDecoding()
{
    if (initialized_) {
        inflateEnd(&stream_->z);
        initialized_ = false;
    }
    stream_->z = z_stream{};
    result_ = inflateInit(&stream_->z);
    if (result_ < 0)
        throw EDecoderError(LZ77Error);
    initialized_ = true;
}

void TLZ77Decoder::Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize)
{
    availableInput_ = packedSize;
    availableOutput_ = unpackedSize;
    if (!initialized_) {
        result_ = Z_STREAM_ERROR;
        return;
    }
    z_stream& z = stream_->z;
    if (autoReset_) {
#if ORVANE_HAVE_LIBDEFLATE
        // A whole stream at once: when it decodes completely the outcome is
        // zlib's; anything else (damage, too little room) is left to zlib,
        // which also yields the partial output.
        size_t used = 0, produced = 0;
        if (stream_->whole.Inflate(source, packedSize, target, unpackedSize, used, produced)) {
            result_ = Z_STREAM_END;
            availableInput_ = packedSize - used;
            availableOutput_ = unpackedSize - produced;
            source += used;
            target += produced;
            return;
        }
#endif
        result_ = inflateReset(&z);
        if (result_ != Z_OK)
            return;
    }
    z.next_in = const_cast<Bytef*>(source);
    z.next_out = target;
    // zlib counts in 32-bit units; larger buffers are fed in pieces.
    for (;;) {
        const uInt inChunk = static_cast<uInt>(std::min<size_t>(availableInput_, UINT_MAX));
        const uInt outChunk = static_cast<uInt>(std::min<size_t>(availableOutput_, UINT_MAX));
        z.avail_in = inChunk;
        z.avail_out = outChunk;
        result_ = inflate(&z, flushMode_);
        availableInput_ -= inChunk - z.avail_in;
        availableOutput_ -= outChunk - z.avail_out;
        const bool pieceUsedUp = z.avail_in == 0 || z.avail_out == 0;
        if (result_ != Z_OK || !pieceUsedUp || availableInput_ == 0 || availableOutput_ == 0)
            break;
    }
    source += packedSize - availableInput_;
    target += unpackedSize - availableOutput_;
}

void TLZ77Decoder::EndDecoding()
{
    if (!initialized_)
        return;
    initialized_ = false;
    result_ = inflateEnd(&stream_->z);
    if (result_ < 0)
        throw EDecoderError(LZ77Error);
}

size_t TLZ77Decoder::Encode(const uint8_t*, uint8_t*, size_t)
{
    return 0;
}

} // namespace orvane::imaging
