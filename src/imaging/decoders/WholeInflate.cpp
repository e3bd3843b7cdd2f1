#include "imaging/decoders/WholeInflate.h"

#include <algorithm>
#include <climits>

#include <zlib.h>

#if ORVANE_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace orvane::imaging {

TWholeInflater::TWholeInflater() = default;

TWholeInflater::~TWholeInflater()
{
#if ORVANE_HAVE_LIBDEFLATE
    if (decompressor_)
        libdeflate_free_decompressor(static_cast<libdeflate_decompressor*>(decompressor_));
#endif
}

bool TWholeInflater::Inflate(const uint8_t* source, size_t size, uint8_t* target, size_t capacity, size_t& used,
                             size_t& produced)
{
    used = produced = 0;
#if ORVANE_HAVE_LIBDEFLATE
    if (!decompressor_)
        decompressor_ = libdeflate_alloc_decompressor();
    if (decompressor_) {
        auto* d = static_cast<libdeflate_decompressor*>(decompressor_);
        return libdeflate_zlib_decompress_ex(d, source, size, target, capacity, &used, &produced) ==
               LIBDEFLATE_SUCCESS;
    }
#endif
    // zlib in as few calls as its 32-bit counts allow.
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false;
    z.next_in = const_cast<Bytef*>(source);
    z.next_out = target;
    size_t inLeft = size, outLeft = capacity;
    int result = Z_OK;
    while (result == Z_OK) {
        const uInt inChunk = static_cast<uInt>(std::min<size_t>(inLeft, UINT_MAX));
        const uInt outChunk = static_cast<uInt>(std::min<size_t>(outLeft, UINT_MAX));
        z.avail_in = inChunk;
        z.avail_out = outChunk;
        result = inflate(&z, Z_FINISH);
        inLeft -= inChunk - z.avail_in;
        outLeft -= outChunk - z.avail_out;
        // Z_BUF_ERROR with room and input left only means a piece ran out.
        if (result == Z_BUF_ERROR && inLeft > 0 && outLeft > 0 && (z.avail_in == 0 || z.avail_out == 0))
            result = Z_OK;
        else if (result == Z_OK && (inLeft == 0 || outLeft == 0))
            break;
    }
    inflateEnd(&z);
    used = size - inLeft;
    produced = capacity - outLeft;
    return result == Z_STREAM_END;
}

} // namespace orvane::imaging
