#include "imaging/core/LargeBuffer.h"

#include <cstdlib>
#include <sys/mman.h>

namespace orvane::imaging {

namespace {
constexpr size_t kLarge = size_t{4} << 20;

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23 // Linux 5.14; older kernels refuse it and fault page by page
#endif

uint8_t* Allocate(size_t bytes, bool populate)
{
    if (bytes < kLarge)
        return static_cast<uint8_t*>(std::calloc(bytes == 0 ? 1 : bytes, 1));
    void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
#ifdef MADV_HUGEPAGE
    ::madvise(memory, bytes, MADV_HUGEPAGE); // a hint; ignored where unsupported
#endif
    if (populate)
        ::madvise(memory, bytes, MADV_POPULATE_WRITE);
    return static_cast<uint8_t*>(memory);
}

} // namespace

uint8_t* AllocateZeroed(size_t bytes)
{
    return Allocate(bytes, false);
}

uint8_t* AllocateForFilling(size_t bytes)
{
    return Allocate(bytes, true);
}

void FreeZeroed(uint8_t* memory, size_t bytes)
{
    if (!memory)
        return;
    if (bytes < kLarge)
        std::free(memory);
    else
        ::munmap(memory, bytes);
}

uint8_t* TZeroedBuffer::Reserve(size_t bytes)
{
    if (data_ && bytes <= size_)
        return data_;
    uint8_t* memory = AllocateZeroed(bytes);
    if (!memory)
        return nullptr;
    FreeZeroed(data_, size_);
    data_ = memory;
    size_ = bytes;
    return data_;
}

} // namespace orvane::imaging
