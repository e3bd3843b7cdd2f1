#pragma once
// 8-bit metafile text in the Windows Western code page (1252), the code
// page of the files we meet; its 0x80-0x9F block differs from Latin-1.
#include <QString>

#include <cstddef>
#include <cstdint>

namespace orvane::imaging::metafile {

inline QString AnsiToString(const uint8_t* text, size_t length)
{
    static const char16_t high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
    };
    QString result;
    result.reserve(qsizetype(length));
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = text[i];
        result.append(c >= 0x80 && c < 0xA0 ? QChar(high[c - 0x80]) : QChar(c));
    }
    return result;
}

} // namespace orvane::imaging::metafile
