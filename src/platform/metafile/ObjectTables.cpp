#include "platform/metafile/ObjectTables.h"

#include <array>

namespace orvane::imaging::metafile {

namespace {

constexpr uint32_t kMaxEmfObjects = 65536;
constexpr uint32_t kStockFlag = 0x80000000u;
constexpr uint32_t kStockCount = 20; // up to DC_PEN

const GdiObject* Stock(uint32_t index)
{
    static const std::array<std::optional<GdiObject>, kStockCount> stock = [] {
        std::array<std::optional<GdiObject>, kStockCount> objects;
        for (uint32_t i = 0; i < kStockCount; ++i) {
            GdiObject object;
            if (StockObject(i, object))
                objects[i] = object;
        }
        return objects;
    }();
    return index < kStockCount && stock[index] ? &*stock[index] : nullptr;
}

} // namespace

void WmfObjectTable::Create(GdiObject object)
{
    if (!freeSlots_.empty()) {
        const size_t slot = *freeSlots_.begin();
        freeSlots_.erase(freeSlots_.begin());
        objects_[slot] = std::move(object);
    } else if (objects_.size() < limit_) {
        objects_.emplace_back(std::move(object));
    }
}

void WmfObjectTable::Delete(uint16_t index)
{
    if (index < objects_.size() && objects_[index]) {
        objects_[index].reset();
        freeSlots_.insert(index);
    }
}

const GdiObject* WmfObjectTable::Find(uint16_t index) const
{
    return index < objects_.size() && objects_[index] ? &*objects_[index] : nullptr;
}

void EmfObjectTable::Create(uint32_t index, GdiObject object)
{
    if (index < kMaxEmfObjects)
        objects_[index] = std::move(object);
}

const GdiObject* EmfObjectTable::Find(uint32_t index) const
{
    if (index & kStockFlag)
        return Stock(index & ~kStockFlag);
    const auto found = objects_.find(index);
    return found != objects_.end() ? &found->second : nullptr;
}

} // namespace orvane::imaging::metafile
