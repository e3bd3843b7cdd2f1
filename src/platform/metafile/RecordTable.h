#pragma once
// The table that plays a metafile's records: each record type with its name
// and the function that plays it on the canvas and the file's objects. Records the table does not hold draw
// nothing. With the logging rule "orvane.metafile.records.debug=true" each
// record is named as it is played, to see what a picture is made of.
#include "platform/metafile/GdiCanvas.h"
#include "platform/metafile/RecordBytes.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace orvane::imaging::metafile {

Q_DECLARE_LOGGING_CATEGORY(recordLog)

template <class Objects>
struct Playback {
    GdiCanvas& canvas;
    Objects& objects;
};

template <class Objects>
class RecordTable {
public:
    struct Row {
        uint32_t type;
        const char* name;
        void (*play)(Playback<Objects>& playback, const RecordBytes& record);
    };

    RecordTable(std::initializer_list<Row> rows) : rows_(rows)
    {
        std::sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) { return a.type < b.type; });
    }

    void Play(Playback<Objects>& playback, uint32_t type, const RecordBytes& record) const
    {
        const auto row = std::lower_bound(rows_.begin(), rows_.end(), type,
                                          [](const Row& r, uint32_t t) { return r.type < t; });
        if (row == rows_.end() || row->type != type) {
            qCDebug(recordLog, "record type 0x%X skipped", unsigned(type));
            return;
        }
        qCDebug(recordLog, "%s", row->name);
        row->play(playback, record);
    }

private:
    std::vector<Row> rows_;
};

// A row named after its record type.
#define ORVANE_RECORD(type, play) {type, #type, play}

} // namespace orvane::imaging::metafile
