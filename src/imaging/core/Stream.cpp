#include "imaging/core/Stream.h"

#include "imaging/core/Errors.h"
#include "imaging/core/LargeBuffer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::imaging {

void TStream::ReadBuffer(void* buffer, size_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

uint8_t TStream::ReadByte()
{
    uint8_t value = 0;
    ReadBuffer(&value, 1);
    return value;
}

TStreamBytes::TStreamBytes(TStream& stream, int64_t from)
    : size_(static_cast<size_t>(std::max<int64_t>(stream.Size() - from, 0)))
{
    if (const uint8_t* memory = stream.Memory()) {
        data_ = memory + from;
        return;
    }
    stream.SetPosition(from);
    copy_.resize(size_);
    stream.ReadBuffer(copy_.data(), size_);
    data_ = copy_.data();
}

TRestOfStream::TRestOfStream(TStream& stream) : TStreamBytes(stream, stream.Position())
{
    if (stream.Memory())
        stream.Seek(0, TSeekOrigin::soEnd);
}

TMemoryStream::TMemoryStream(const void* data, size_t size)
{
    SetView(static_cast<const uint8_t*>(data), size);
}

TMemoryStream::TMemoryStream(std::vector<uint8_t> bytes) : owned_(std::move(bytes))
{
    SetView(owned_.data(), owned_.size());
}

void TMemoryStream::SetView(const uint8_t* data, size_t size)
{
    data_ = data;
    size_ = size;
    position_ = 0;
}

size_t TMemoryStream::Read(void* buffer, size_t count)
{
    const size_t available = position_ < static_cast<int64_t>(size_) ? size_ - static_cast<size_t>(position_) : 0;
    const size_t n = std::min(count, available);
    if (n != 0) {
        std::memcpy(buffer, data_ + position_, n);
        position_ += static_cast<int64_t>(n);
    }
    return n;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = 0;
    switch (origin) {
    case TSeekOrigin::soBeginning: base = 0; break;
    case TSeekOrigin::soCurrent: base = position_; break;
    case TSeekOrigin::soEnd: base = static_cast<int64_t>(size_); break;
    }
    int64_t target = base + offset;
    if (offset > 0 && target < base)
        target = static_cast<int64_t>(size_);
    position_ = std::clamp<int64_t>(target, 0, static_cast<int64_t>(size_));
    return position_;
}

void TMemoryStream::BufferDeleter::operator()(uint8_t* p) const
{
    FreeZeroed(p, bytes);
}

void TMemoryStream::Adopt(Buffer buffer, size_t size)
{
    buffer_ = std::move(buffer);
    SetView(buffer_.get(), size);
}

namespace {
[[noreturn]] void OpenFailed(const std::string& fileName, int error)
{
    throw EFOpenError(FormatText("Cannot open file \"%s\". %s", fileName.c_str(), std::strerror(error)));
}
} // namespace

TFileStream::TFileStream(const std::string& fileName)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        OpenFailed(fileName, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        OpenFailed(fileName, error);
    }
    size_t size = static_cast<size_t>(info.st_size);
    const size_t capacity = size == 0 ? 1 : size;
    Buffer buffer(AllocateForFilling(capacity), BufferDeleter{capacity});
    if (!buffer) {
        ::close(fd);
        OpenFailed(fileName, ENOMEM);
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, buffer.get() + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            OpenFailed(fileName, error);
        }
        if (got == 0)
            break; // the file shrank while we read it: keep what is there
        done += static_cast<size_t>(got);
    }
    ::close(fd);
    Adopt(std::move(buffer), done);
}

} // namespace orvane::imaging
