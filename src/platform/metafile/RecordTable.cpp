#include "platform/metafile/RecordTable.h"

namespace orvane::imaging::metafile {

Q_LOGGING_CATEGORY(recordLog, "orvane.metafile.records", QtInfoMsg)

} // namespace orvane::imaging::metafile
