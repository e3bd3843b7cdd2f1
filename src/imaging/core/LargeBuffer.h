#pragma once
// Zeroed memory for picture-sized buffers. Large ones come straight from the
// kernel in huge pages where the system allows it, so filling a
// 12-megapixel picture costs a few dozen page faults instead of thousands.
#include <cstddef>
#include <cstdint>

namespace orvane::imaging {

// nullptr when the memory cannot be had.
uint8_t* AllocateZeroed(size_t bytes);
void FreeZeroed(uint8_t* memory, size_t bytes);

} // namespace orvane::imaging
