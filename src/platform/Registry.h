#pragma once
// A typed, file-backed registry. The per-user hive (HKEY_CURRENT_USER) is the
// file $XDG_CONFIG_HOME/orvane/user.reg (default ~/.config/orvane/user.reg);
// the machine-wide hive (HKEY_LOCAL_MACHINE) is machine.reg in
// MachineHiveFolder(). Both are registry export text files a user can read,
// edit and back up:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Kestrin\Orvane\Main]
//   "Top"=dword:00000000
//   "Dir"="/home/me/Pictures"
//
// Integers are REG_DWORD (eight hex digits, two's complement for negatives),
// strings REG_SZ (backslash and double quote escaped by a backslash; other
// characters, line breaks included, stand as they are). Every write replaces
// the file atomically (temporary file, flush, rename) under an advisory lock,
// so a crash or a second running copy never leaves a torn file.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace orvane::platform {

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class RootKey { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };

enum class RegDataType { rdUnknown, rdString, rdInteger };

class TRegistry {
public:
    explicit TRegistry(RootKey root = RootKey::HKEY_CURRENT_USER);
    ~TRegistry(); // closes the open key
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Opens a key by path ("\Software\Kestrin\Orvane\Main"; a leading "\"
    // makes it absolute, key names compare without regard to case). With
    // canCreate a missing key is created (and stored at once); without it a
    // missing key gives false. A hive file that cannot be parsed raises
    // ERegistryException naming the file.
    bool OpenKey(const QString& key, bool canCreate);
    bool OpenKeyReadOnly(const QString& key);
    void CloseKey();
    QString CurrentPath() const;

    bool KeyExists(const QString& key);
    bool ValueExists(const QString& name) const;
    RegDataType GetDataType(const QString& name) const;
    QStringList GetValueNames() const;

    // Reading a value of another type raises "Invalid data type for '%s'".
    // A missing value reads as an empty string or 0 (callers test
    // ValueExists first).
    QString ReadString(const QString& name) const;
    int32_t ReadInteger(const QString& name) const;
    bool ReadBool(const QString& name) const; // any value other than 0 is true

    // A value that cannot be stored raises "Failed to set data for '%s'".
    void WriteString(const QString& name, const QString& value);
    void WriteInteger(const QString& name, int32_t value);
    void WriteBool(const QString& name, bool value);

    bool DeleteValue(const QString& name);
    // Deletes a key with its sub-keys and values.
    bool DeleteKey(const QString& key);

    // Where the hives live.
    static QString UserHivePath();
    static QString MachineHiveFolder();
    // Tests point the machine hive elsewhere.
    static void SetMachineHiveFolder(const QString& folder);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The settings file could not be read: it is renamed aside (the new name is
// returned) so nothing overwrites it, and the program starts with defaults.
// Returns an empty string when the file was fine or missing.
QString SetAsideDamagedHive(RootKey root, QString* reason = nullptr);

} // namespace orvane::platform
