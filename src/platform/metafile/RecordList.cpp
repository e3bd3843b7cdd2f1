#include "platform/metafile/RecordList.h"

namespace orvane::imaging::metafile {

RecordList::RecordList(const uint8_t* data, size_t size, size_t first, const RecordFraming& framing)
    : data_(data), first_(first), framing_(framing)
{
    size_t at = first;
    while (at < size && !endsWithEof_) {
        if (size - at < framing.headBytes)
            InvalidMetafile();
        const RecordBytes head(data + at, framing.headBytes);
        const uint64_t length = framing.length(head);
        if (length < framing.headBytes || length % framing.lengthMultiple || length > size - at)
            InvalidMetafile();
        endsWithEof_ = framing.type(head) == framing.eofType;
        at += size_t(length);
    }
    end_ = at;
}

} // namespace orvane::imaging::metafile
