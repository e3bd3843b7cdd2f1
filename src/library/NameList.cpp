#include "library/NameList.h"

namespace orvane::library {

void NameList::Assign(const QStringList& items)
{
    Clear();
    for (const auto& item : items)
        Add(item);
}

void NameList::Add(const QString& item)
{
    items_.append(item);
    folded_.append(item.toCaseFolded());
}

void NameList::Clear()
{
    items_.clear();
    folded_.clear();
}

int NameList::IndexOf(const QString& item) const
{
    if (folded_.isEmpty())
        return -1;
    const QString folded = item.toCaseFolded();
    return static_cast<int>(folded_.indexOf(folded));
}

} // namespace orvane::library
