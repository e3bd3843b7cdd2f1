// Row converters of the indexed family: palette indexes and gray levels,
// packed 1 to 16 bits per sample, most significant bits first.
#include "imaging/color/ColorKernels.h"
#include "imaging/color/PixelMask.h"

namespace orvane::imaging {

using namespace color_detail;

namespace {

// Reads `bits` (1..16) bits at bit position pos, most significant first,
// touching only the bytes that hold them.
inline uint32_t ReadBits(const uint8_t* data, size_t pos, unsigned bits)
{
    const uint8_t* p = data + (pos >> 3);
    const unsigned shift = static_cast<unsigned>(pos & 7);
    const unsigned bytes = (shift + bits + 7) >> 3;
    uint32_t window = 0;
    for (unsigned k = 0; k < bytes; ++k)
        window = (window << 8) | p[k];
    return (window >> (bytes * 8 - shift - bits)) & ((1u << bits) - 1);
}

// Writes `bits` (1..16) bits at bit position pos, keeping every other bit.
inline void WriteBits(uint8_t* data, size_t pos, unsigned bits, uint32_t value)
{
    uint8_t* p = data + (pos >> 3);
    const unsigned shift = static_cast<unsigned>(pos & 7);
    if (bits == 8 && shift == 0) {
        *p = static_cast<uint8_t>(value);
        return;
    }
    const unsigned bytes = (shift + bits + 7) >> 3;
    const unsigned low = bytes * 8 - shift - bits;
    const uint32_t fieldMask = ((1u << bits) - 1) << low;
    uint32_t window = 0;
    for (unsigned k = 0; k < bytes; ++k)
        window = (window << 8) | p[k];
    window = (window & ~fieldMask) | ((value << low) & fieldMask);
    for (unsigned k = bytes; k-- > 0;) {
        p[k] = static_cast<uint8_t>(window);
        window >>= 8;
    }
}

uint32_t MaxValue(unsigned bits)
{
    return (1u << bits) - 1;
}

// Palette indexes keep their values when they move into a deeper bitmap
// (index 1 stays 1); gray levels are scaled so white stays white.
bool KeepsIndexes(const TColorManager& m)
{
    return TColorKernels::SourceScheme(m) == TColorScheme::csIndexed &&
           TColorKernels::TargetBits(m) > TColorKernels::SourceBits(m);
}

void PackedRow(const TColorManager& m, const uint8_t* const* sources, bool, uint8_t mask, size_t count,
               uint8_t* target)
{
    const unsigned sb = TColorKernels::SourceBits(m);
    const unsigned tb = TColorKernels::TargetBits(m);
    const uint8_t* s = sources[0];
    if (sb == tb && mask == 0xFF) {
        std::memcpy(target, s, (count * sb + 7) / 8);
        return;
    }
    if (sb == 8 && tb == 8) {
        ForEachSelected(mask, count, [&](size_t i) { target[i] = *s++; });
        return;
    }
    const bool scale = sb != tb && !KeepsIndexes(m);
    const uint32_t sourceMax = MaxValue(sb);
    const uint32_t targetMax = MaxValue(tb);
    size_t pos = 0;
    ForEachSelected(mask, count, [&](size_t i) {
        uint32_t v = ReadBits(s, pos, sb);
        pos += sb;
        if (scale)
            v = v * targetMax / sourceMax;
        WriteBits(target, i * tb, tb, v);
    });
}

template <bool Swap>
void Indexed16To16Row(const TColorManager&, const uint8_t* const* sources, bool, uint8_t mask, size_t count,
                      uint8_t* target)
{
    const uint8_t* s = sources[0];
    ForEachSelected(mask, count, [&](size_t i) {
        uint16_t v = Load16(s);
        s += 2;
        Store16(target + 2 * i, Swap ? Swap16(v) : v);
    });
}

template <bool Swap>
void Indexed16ToFewerRow(const TColorManager& m, const uint8_t* const* sources, bool, uint8_t mask, size_t count,
                         uint8_t* target)
{
    const unsigned tb = TColorKernels::TargetBits(m);
    const uint32_t targetMax = MaxValue(tb);
    const uint8_t* s = sources[0];
    ForEachSelected(mask, count, [&](size_t i) {
        uint16_t v = Load16(s);
        s += 2;
        if (Swap)
            v = Swap16(v);
        WriteBits(target, i * tb, tb, uint32_t{v} * targetMax / 65535);
    });
}

void IndexedFewerTo16Row(const TColorManager& m, const uint8_t* const* sources, bool, uint8_t mask, size_t count,
                         uint8_t* target)
{
    const unsigned sb = TColorKernels::SourceBits(m);
    const uint32_t sourceMax = MaxValue(sb);
    const bool scale = !KeepsIndexes(m);
    const uint8_t* s = sources[0];
    size_t pos = 0;
    ForEachSelected(mask, count, [&](size_t i) {
        uint32_t v = ReadBits(s, pos, sb);
        pos += sb;
        Store16(target + 2 * i, static_cast<uint16_t>(scale ? v * 65535 / sourceMax : v));
    });
}

// Gray samples of 8 or 16 bits, optionally followed by an alpha sample that
// is skipped. No gamma here: gray bitmaps get it through their palette.
template <bool Source16, bool Target16, bool Alpha, bool Swap>
void GrayRow(const TColorManager&, const uint8_t* const* sources, bool, uint8_t mask, size_t count,
             uint8_t* target)
{
    constexpr size_t step = (Source16 ? 2 : 1) * (Alpha ? 2 : 1);
    const uint8_t* s = sources[0];
    ForEachSelected(mask, count, [&](size_t i) {
        if constexpr (Source16) {
            uint16_t v = Load16(s);
            if constexpr (Swap)
                v = Swap16(v);
            if constexpr (Target16)
                Store16(target + 2 * i, v);
            else
                target[i] = Reduce16(v);
        } else {
            if constexpr (Target16)
                Store16(target + 2 * i, Widen8(*s));
            else
                target[i] = *s;
        }
        s += step;
    });
}

template <bool Alpha, bool Swap>
TColorManager::TRowConverter GrayFor(unsigned sb, unsigned tb)
{
    if (sb == 16)
        return tb == 16 ? &GrayRow<true, true, Alpha, Swap> : &GrayRow<true, false, Alpha, Swap>;
    return tb == 16 ? &GrayRow<false, true, Alpha, Swap> : &GrayRow<false, false, Alpha, Swap>;
}

bool Is8Or16(unsigned bits)
{
    return bits == 8 || bits == 16;
}

} // namespace

TColorManager::TRowConverter TColorKernels::ChooseIndexed(const TColorManager& m)
{
    const unsigned sb = SourceBits(m);
    const unsigned tb = TargetBits(m);
    const bool swap = (SourceOptions(m) & coNeedByteSwap) != 0;
    switch (SourceScheme(m)) {
    case TColorScheme::csIndexed:
        if (sb == 16 && tb == 16)
            return swap ? &Indexed16To16Row<true> : &Indexed16To16Row<false>;
        if (sb == 16)
            return swap ? &Indexed16ToFewerRow<true> : &Indexed16ToFewerRow<false>;
        if (tb == 16)
            return &IndexedFewerTo16Row;
        return &PackedRow;
    case TColorScheme::csG:
        if (sb != 16 && tb != 16)
            return &PackedRow;
        // The gray converter moves whole 8- or 16-bit samples.
        if (Is8Or16(sb) && Is8Or16(tb))
            return swap ? GrayFor<false, true>(sb, tb) : GrayFor<false, false>(sb, tb);
        return nullptr;
    case TColorScheme::csGA:
        if (Is8Or16(sb) && Is8Or16(tb))
            return swap ? GrayFor<true, true>(sb, tb) : GrayFor<true, false>(sb, tb);
        return nullptr;
    default:
        return nullptr;
    }
}

} // namespace orvane::imaging
