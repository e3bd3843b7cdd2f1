#pragma once
// Builds small TIFF files byte by byte for the reader tests: header, strips,
// one directory (tags sorted or in the order given), values that do not fit
// in an entry after it.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace orvane::test {

class TiffBuilder {
public:
    using Bytes = std::vector<uint8_t>;

    explicit TiffBuilder(bool bigEndian = false) : big_(bigEndian) {}

    TiffBuilder& Short(uint16_t tag, std::vector<uint16_t> values)
    {
        Bytes data;
        for (uint16_t v : values)
            Put16(data, v);
        return Raw(tag, 3, static_cast<uint32_t>(values.size()), data);
    }
    TiffBuilder& Long(uint16_t tag, std::vector<uint32_t> values)
    {
        Bytes data;
        for (uint32_t v : values)
            Put32(data, v);
        return Raw(tag, 4, static_cast<uint32_t>(values.size()), data);
    }
    TiffBuilder& Rational(uint16_t tag, uint32_t numerator, uint32_t denominator)
    {
        Bytes data;
        Put32(data, numerator);
        Put32(data, denominator);
        return Raw(tag, 5, 1, data);
    }
    // A tag with its values already in file byte order.
    TiffBuilder& Raw(uint16_t tag, uint16_t type, uint32_t count, Bytes data)
    {
        tags_.push_back({tag, type, count, std::move(data)});
        return *this;
    }
    // Strips are placed after the header; StripOffsets and StripByteCounts
    // are added unless told otherwise.
    TiffBuilder& Strip(Bytes data)
    {
        strips_.push_back(std::move(data));
        return *this;
    }
    TiffBuilder& WithoutByteCounts()
    {
        byteCounts_ = false;
        return *this;
    }
    TiffBuilder& Version(uint16_t version)
    {
        version_ = version;
        return *this;
    }

    // The usual tags of a simple image.
    TiffBuilder& Image(uint32_t width, uint32_t height, uint16_t bits, uint16_t samples, uint16_t photometric,
                       uint16_t compression = 1)
    {
        Long(256, {width});
        Long(257, {height});
        Short(258, std::vector<uint16_t>(samples, bits));
        Short(259, {compression});
        Short(262, {photometric});
        Short(277, {samples});
        return *this;
    }

    Bytes Build() const
    {
        Bytes file;
        file.push_back(big_ ? 'M' : 'I');
        file.push_back(big_ ? 'M' : 'I');
        Put16(file, version_);
        Put32(file, 0); // patched below
        std::vector<uint32_t> offsets, counts;
        for (const Bytes& strip : strips_) {
            offsets.push_back(static_cast<uint32_t>(file.size()));
            counts.push_back(static_cast<uint32_t>(strip.size()));
            file.insert(file.end(), strip.begin(), strip.end());
        }
        auto tags = tags_;
        auto add = [&](uint16_t tag, const std::vector<uint32_t>& values) {
            Bytes data;
            for (uint32_t v : values)
                Put32(data, v);
            tags.push_back({tag, 4, static_cast<uint32_t>(values.size()), data});
        };
        if (!strips_.empty()) {
            add(273, offsets);
            if (byteCounts_)
                add(279, counts);
        }
        std::stable_sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) { return a.tag < b.tag; });

        if (file.size() % 2)
            file.push_back(0);
        const uint32_t ifd = static_cast<uint32_t>(file.size());
        Set32(file, 4, ifd);
        Put16(file, static_cast<uint16_t>(tags.size()));
        const size_t entries = file.size();
        file.resize(file.size() + tags.size() * 12 + 4, 0);
        for (size_t i = 0; i < tags.size(); ++i) {
            const Tag& t = tags[i];
            Bytes entry;
            Put16(entry, t.tag);
            Put16(entry, t.type);
            Put32(entry, t.count);
            if (t.data.size() <= 4) {
                entry.insert(entry.end(), t.data.begin(), t.data.end());
                entry.resize(12, 0);
            } else {
                Put32(entry, static_cast<uint32_t>(file.size()));
                file.insert(file.end(), t.data.begin(), t.data.end());
            }
            std::copy(entry.begin(), entry.end(), file.begin() + static_cast<std::ptrdiff_t>(entries + i * 12));
        }
        return file;
    }

    void Put16(Bytes& out, uint16_t v) const
    {
        if (big_)
            out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)});
        else
            out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)});
    }
    void Put32(Bytes& out, uint32_t v) const
    {
        if (big_)
            out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
        else
            out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    }
    void Set32(Bytes& out, size_t at, uint32_t v) const
    {
        Bytes b;
        Put32(b, v);
        std::copy(b.begin(), b.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    }

private:
    struct Tag {
        uint16_t tag;
        uint16_t type;
        uint32_t count;
        Bytes data;
    };
    bool big_;
    uint16_t version_ = 42;
    bool byteCounts_ = true;
    std::vector<Tag> tags_;
    std::vector<Bytes> strips_;
};

} // namespace orvane::test
