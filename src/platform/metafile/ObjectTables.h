#pragma once
// The numbered objects a metafile creates, selects and deletes. A Windows
// metafile gives each new object the lowest free number, up to the count
// its header declares; an enhanced metafile names the number itself and
// reaches the stock objects with the high bit set.
#include "platform/metafile/GdiObjects.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <unordered_map>
#include <variant>
#include <vector>

namespace orvane::imaging::metafile {

class WmfObjectTable {
public:
    explicit WmfObjectTable(size_t limit) : limit_(limit) {}

    // Takes the lowest free number; dropped when the table is full.
    void Create(GdiObject object);
    void Delete(uint16_t index);
    const GdiObject* Find(uint16_t index) const;

private:
    size_t limit_;
    std::vector<std::optional<GdiObject>> objects_;
    std::set<size_t> freeSlots_;
};

class EmfObjectTable {
public:
    // Numbers beyond the 16 bits of the header's object count are not kept.
    void Create(uint32_t index, GdiObject object);
    void Delete(uint32_t index) { objects_.erase(index); }
    // The object of that number, or the stock object for index | 0x80000000.
    const GdiObject* Find(uint32_t index) const;

private:
    std::unordered_map<uint32_t, GdiObject> objects_;
};

// The object of that number when it is a T.
template <class T, class Table>
const T* FindAs(const Table& table, uint32_t index)
{
    const GdiObject* object = table.Find(index);
    return object ? std::get_if<T>(object) : nullptr;
}

} // namespace orvane::imaging::metafile
