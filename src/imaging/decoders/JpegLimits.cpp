#include "imaging/decoders/JpegLimits.h"

#include <climits>

extern "C" {
#include <jerror.h>
}

namespace orvane::imaging::jpeglimits {

namespace {

extern "C" void OnJpegScanProgress(j_common_ptr common)
{
    if (!common->is_decompressor)
        return;
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    auto* limit = reinterpret_cast<TScanLimit*>(common->progress);
    if (info->input_scan_number <= MaxScans)
        return;
    limit->exceeded = true;
    common->err->msg_code = JERR_BAD_PROGRESSION;
    (*common->err->error_exit)(common);
}

} // namespace

void Install(jpeg_decompress_struct& info, TScanLimit& limit, size_t memoryBytes)
{
    limit.pub.progress_monitor = OnJpegScanProgress;
    limit.exceeded = false;
    info.progress = &limit.pub;
    info.mem->max_memory_to_use = static_cast<long>(memoryBytes > size_t{LONG_MAX} ? LONG_MAX : memoryBytes);
}

bool BlocksFitData(const jpeg_decompress_struct& info, size_t dataBytes)
{
    unsigned long long blocks = 0;
    for (int i = 0; i < info.num_components; ++i)
        blocks += static_cast<unsigned long long>(info.comp_info[i].width_in_blocks) *
                  info.comp_info[i].height_in_blocks;
    const unsigned long long blocksPerByte = info.arith_code ? 64 : 8;
    return blocks <= static_cast<unsigned long long>(dataBytes) * blocksPerByte;
}

bool OutOfMemory(const jpeg_decompress_struct& info)
{
    const int code = info.err->msg_code;
    return code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE || code == JERR_TFILE_CREATE;
}

} // namespace orvane::imaging::jpeglimits
