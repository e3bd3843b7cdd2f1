#pragma once
// The records of a metafile, checked once when the file is opened: each
// lies whole inside the file, and they end with the end-of-file record or
// with the file. Both kinds of metafile frame their records alike, a head
// that gives the type and the length of the whole record.
#include "platform/metafile/RecordBytes.h"

#include <cstddef>
#include <cstdint>

namespace orvane::imaging::metafile {

struct RecordFraming {
    size_t headBytes;
    size_t lengthMultiple; // a record's length in bytes is a multiple of this
    uint32_t eofType;
    uint32_t (*type)(const RecordBytes& head);
    uint64_t (*length)(const RecordBytes& head); // in bytes
};

class RecordList {
public:
    // Raises the metafile error when a record does not fit in the file.
    RecordList(const uint8_t* data, size_t size, size_t first, const RecordFraming& framing);

    // False when the file ended before its end-of-file record.
    bool EndsWithEof() const { return endsWithEof_; }

    // Calls visit(type, record) for each record in turn, up to the
    // end-of-file record, until visit returns false.
    template <class Visit>
    void ForEach(Visit&& visit) const
    {
        for (size_t at = first_; at < end_;) {
            const RecordBytes head(data_ + at, framing_.headBytes);
            const size_t length = size_t(framing_.length(head));
            if (!visit(framing_.type(head), RecordBytes(data_ + at, length)))
                return;
            at += length;
        }
    }

private:
    const uint8_t* data_;
    size_t first_;
    size_t end_ = 0;
    RecordFraming framing_;
    bool endsWithEof_ = false;
};

} // namespace orvane::imaging::metafile
