#pragma once
// Byte streams the readers load from. A file is read into memory whole, so
// every reader can also take a direct pointer to the bytes (Memory()). (It is
// read rather than mapped: a mapped file truncated by another program while
// we decode it would crash the viewer.)
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvane::imaging {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to count bytes; returns how many were read.
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Moves the position; returns the new position. Positions outside
    // 0..Size() are clamped to that range.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size() const = 0;
    // The bytes of the whole stream when it lives in memory, else nullptr.
    virtual const uint8_t* Memory() const { return nullptr; }

    int64_t Position() const { return position_; }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    int64_t Remaining() const { return Size() - Position(); }

    // Reads exactly count bytes or throws EReadError("Stream read error").
    void ReadBuffer(void* buffer, size_t count);
    uint8_t ReadByte();

protected:
    int64_t position_ = 0;
};

// A stream over bytes in memory: either a view of bytes owned elsewhere or a
// buffer of its own.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    TMemoryStream(const void* data, size_t size); // view; data must outlive the stream
    explicit TMemoryStream(std::vector<uint8_t> bytes); // owns a copy

    size_t Read(void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() const override { return static_cast<int64_t>(size_); }
    const uint8_t* Memory() const override { return data_; }

protected:
    void SetView(const uint8_t* data, size_t size);
    struct BufferDeleter {
        BufferDeleter() noexcept : bytes(0) {}
        explicit BufferDeleter(size_t size) noexcept : bytes(size) {}
        size_t bytes;
        void operator()(uint8_t* p) const;
    };
    using Buffer = std::unique_ptr<uint8_t, BufferDeleter>;
    void Adopt(Buffer buffer, size_t size);

private:
    std::vector<uint8_t> owned_;
    Buffer buffer_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// The bytes of a stream from a position to its end: a view of the stream's
// memory, or for a stream without memory a copy read from it (which leaves
// the stream at its end). A view leaves the position alone.
class TStreamBytes {
public:
    TStreamBytes(TStream& stream, int64_t from);
    TStreamBytes(const TStreamBytes&) = delete;
    TStreamBytes& operator=(const TStreamBytes&) = delete;

    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    std::vector<uint8_t> copy_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// The bytes of a stream from its position to its end, for a reader that hands
// them all to a library: the stream is left at its end either way.
class TRestOfStream : public TStreamBytes {
public:
    explicit TRestOfStream(TStream& stream);
};

// A file opened for reading and read into memory. Opening fails with
// EFOpenError naming the file.
class TFileStream : public TMemoryStream {
public:
    explicit TFileStream(const std::string& fileName);
};

} // namespace orvane::imaging
