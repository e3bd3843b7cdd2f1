#pragma once
// Zeroed memory for picture-sized buffers. Large ones come straight from the
// kernel in huge pages where the system allows it, so filling a
// 12-megapixel picture costs a few dozen page faults instead of thousands.
#include <cstddef>
#include <cstdint>

namespace orvane::imaging {

// nullptr when the memory cannot be had.
uint8_t* AllocateZeroed(size_t bytes);
// The same for memory about to be filled whole (a file read into memory):
// large buffers get all their pages at once instead of one fault per page.
uint8_t* AllocateForFilling(size_t bytes);
void FreeZeroed(uint8_t* memory, size_t bytes);

// A buffer of zeroed memory that only grows. Pages nobody writes cost
// nothing, so a buffer sized for what a header claims holds only what the
// data really fills.
class TZeroedBuffer {
public:
    TZeroedBuffer() = default;
    ~TZeroedBuffer() { FreeZeroed(data_, size_); }
    TZeroedBuffer(const TZeroedBuffer&) = delete;
    TZeroedBuffer& operator=(const TZeroedBuffer&) = delete;

    // At least bytes long. Growing gives fresh zeroed memory (the old content
    // is gone); otherwise the content stays. nullptr when the memory cannot
    // be had (the old buffer is then kept).
    uint8_t* Reserve(size_t bytes);
    uint8_t* Data() const { return data_; }

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

} // namespace orvane::imaging
