#pragma once
// An ordered list of strings whose look-ups ignore letter case (Unicode case
// folding, so "JPG", "jpg" and "Jpg" are one name). Not sorted.
#include <QString>
#include <QStringList>

namespace orvane::library {

class NameList {
public:
    NameList() = default;
    NameList(std::initializer_list<QString> items) { for (const auto& item : items) Add(item); }
    explicit NameList(const QStringList& items) { Assign(items); }

    void Assign(const QStringList& items);
    void Add(const QString& item);
    void Clear();
    int IndexOf(const QString& item) const;
    bool Contains(const QString& item) const { return IndexOf(item) >= 0; }
    const QStringList& Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }

private:
    QStringList items_;
    QStringList folded_;
};

} // namespace orvane::library
