#pragma once
// Shared by the reader tests: loading bytes, the error a load ends with, the
// progress a load reports, and the golden files of the planar and layered
// readers (Alias/Wavefront, Photoshop, Paint Shop Pro, Photo-CD, EPS).
#include "imaging/core/Bitmap.h"
#include "imaging/core/Stream.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace orvane::test::readers {

using Bytes = std::vector<uint8_t>;

// A stream that is not in memory (Memory() gives nullptr), so the readers
// take their copying paths.
class PlainStream : public orvane::imaging::TStream {
public:
    explicit PlainStream(Bytes bytes) : bytes_(std::move(bytes)) {}
    size_t Read(void* buffer, size_t count) override
    {
        const size_t n = std::min(count, bytes_.size() - static_cast<size_t>(position_));
        std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += static_cast<int64_t>(n);
        return n;
    }
    int64_t Seek(int64_t offset, orvane::imaging::TSeekOrigin origin) override
    {
        const int64_t base = origin == orvane::imaging::TSeekOrigin::soBeginning ? 0
                             : origin == orvane::imaging::TSeekOrigin::soCurrent ? position_
                                                                                  : Size();
        position_ = std::clamp<int64_t>(base + offset, 0, Size());
        return position_;
    }
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }

private:
    Bytes bytes_;
};

template <class Reader>
std::unique_ptr<Reader> Load(const Bytes& bytes)
{
    orvane::imaging::TMemoryStream stream(bytes);
    auto reader = std::make_unique<Reader>();
    reader->LoadFromStream(stream);
    return reader;
}

// The message a load ends with, or "(no error)"; empty says whether the
// picture was left without pixels.
template <class Reader>
std::string LoadError(const Bytes& bytes, bool* empty = nullptr)
{
    orvane::imaging::TMemoryStream stream(bytes);
    Reader reader;
    std::string message = "(no error)";
    try {
        reader.LoadFromStream(stream);
    } catch (const std::exception& e) {
        message = e.what();
    }
    if (empty)
        *empty = reader.Width() == 0 && reader.Height() == 0;
    return message;
}

// The notifications of one load, "stage:percent:message" each.
template <class Reader>
std::vector<std::string> ProgressOf(const Bytes& bytes)
{
    orvane::imaging::TMemoryStream stream(bytes);
    Reader reader;
    std::vector<std::string> log;
    reader.OnProgress = [&](orvane::imaging::TBitmap*, orvane::imaging::TProgressStage stage, uint8_t percent, bool,
                            const orvane::imaging::TRect&, const std::string& message) {
        log.push_back(std::to_string(static_cast<int>(stage)) + ":" + std::to_string(percent) + ":" + message);
    };
    reader.LoadFromStream(stream);
    return log;
}

// Only the stage 0 messages of a progress log, in order.
std::vector<std::string> Steps(const std::vector<std::string>& log);

// A golden file of tests/files/<folder>/ (unpacked when it is gzip'ed).
Bytes GoldenFile(const std::string& folder, const std::string& name);
// Its expected picture as 8-bit RGBA rows (alpha 255 unless the .png has one).
Bytes GoldenPicture(const std::string& folder, const std::string& name, int& width, int& height);

inline void Put16BE(Bytes& b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}
inline void Put32BE(Bytes& b, size_t at, uint32_t v)
{
    Put16BE(b, at, static_cast<uint16_t>(v >> 16));
    Put16BE(b, at + 2, static_cast<uint16_t>(v));
}
inline void Put16LE(Bytes& b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32LE(Bytes& b, size_t at, uint32_t v)
{
    Put16LE(b, at, static_cast<uint16_t>(v));
    Put16LE(b, at + 2, static_cast<uint16_t>(v >> 16));
}

} // namespace orvane::test::readers
