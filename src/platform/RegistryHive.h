#pragma once
// The contents of one registry hive in memory, and its text form (the
// registry export format). No file handling here: RegistryHiveFile reads and
// replaces the files.
//
// Every value keeps its data exactly as it stands in the file ("data" is the
// text after the '='), so values the program does not touch, and values of
// types it does not know, are written back byte for byte.
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::platform::hive {

enum class ValueKind { String, Dword, Other };

struct Value {
    QString name; // empty for the default value "@"
    ValueKind kind = ValueKind::Other;
    std::string data; // e.g. "\"text\"", "dword:0000002a", "hex:00,01"
};

// A key: its values and sub-keys in the order they were added. Names compare
// without regard to case (through an index, so a file with very many names
// still reads quickly) and keep the case they were first written with.
class Key {
public:
    explicit Key(QString name = {}) : name_(std::move(name)) {}

    const QString& Name() const { return name_; }
    const std::vector<Value>& Values() const { return values_; }
    const std::vector<std::unique_ptr<Key>>& Keys() const { return keys_; }

    Key* FindKey(const QString& childName) const;
    Key& EnsureKey(const QString& childName);
    const Value* FindValue(const QString& valueName) const;
    // Replaces the data of an existing value (keeping its name as written) or
    // appends a new value.
    void SetValue(const QString& valueName, ValueKind kind, std::string data);
    bool RemoveValue(const QString& valueName);
    bool RemoveKey(const QString& childName);

private:
    QString name_;
    std::vector<Value> values_;
    std::vector<std::unique_ptr<Key>> keys_;
    QHash<QString, size_t> valueIndex_; // folded name -> position in values_
    QHash<QString, Key*> keyIndex_;     // folded name -> sub-key
};

// The data texts of the two types the program writes, and their readings.
std::string StringData(const QString& text);
std::string DwordData(uint32_t number);
QString StringFromData(const std::string& data);
uint32_t DwordFromData(const std::string& data);

// A key path below the root: "Software\Kestrin\Orvane\Main" -> its parts.
// Empty parts (leading, trailing or doubled separators) are skipped.
QStringList SplitKeyPath(const QString& path);

// A key name the text format can hold (no line breaks, not empty).
bool IsValidKeyName(const QString& name);

// Keys nest at most this deep, so a file cannot make the program recurse
// without end.
constexpr qsizetype kMaxKeyDepth = 512;

// One change a TRegistry makes. Changes are kept as a list so they can be
// replayed on the newest copy of the file just before it is replaced: two
// running copies then keep each other's keys and values.
struct Change {
    enum class Kind { CreateKey, SetValue, DeleteValue, DeleteKey };
    Kind kind = Kind::CreateKey;
    QStringList path;
    QString valueName;
    ValueKind valueKind = ValueKind::Other;
    std::string data;
};

class Hive {
public:
    // rootName: "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
    explicit Hive(QString rootName);

    const QString& RootName() const { return rootName_; }
    Key& Root() { return root_; }
    const Key& Root() const { return root_; }

    Key* Find(const QStringList& path) const;
    // The path of an existing key with its names as stored; empty when the
    // key is missing.
    QStringList StoredPath(const QStringList& path) const;
    Key& Ensure(const QStringList& path);
    // Removes a key with everything below it; the root itself stays.
    bool Remove(const QStringList& path);

    void Apply(const Change& change);

    // Parses a whole file. On failure returns false with the line number
    // (1-based) and a short description in *error.
    bool Parse(std::string_view text, int* errorLine, std::string* error);
    std::string Serialize() const;

private:
    QString rootName_;
    Key root_;
};

} // namespace orvane::platform::hive
