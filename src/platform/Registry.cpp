#include "platform/Registry.h"

#include "platform/RegistryHive.h"
#include "platform/RegistryHiveFile.h"

#include <QDir>
#include <QtGlobal>

#include <vector>

namespace orvane::platform {

namespace {

QString& MachineFolderSetting()
{
    static QString folder;
    return folder;
}

QString RootName(RootKey root)
{
    return root == RootKey::HKEY_LOCAL_MACHINE ? QStringLiteral("HKEY_LOCAL_MACHINE")
                                               : QStringLiteral("HKEY_CURRENT_USER");
}

QString HivePath(RootKey root)
{
    return root == RootKey::HKEY_LOCAL_MACHINE ? TRegistry::MachineHiveFolder() + QStringLiteral("/machine.reg")
                                               : TRegistry::UserHivePath();
}

[[noreturn]] void FailedToSet(const QString& name)
{
    throw ERegistryException("Failed to set data for '" + name.toStdString() + "'");
}

[[noreturn]] void InvalidType(const QString& name)
{
    throw ERegistryException("Invalid data type for '" + name.toStdString() + "'");
}

bool StartsWithPath(const QStringList& path, const QStringList& prefix)
{
    if (prefix.size() > path.size())
        return false;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        if (path[i].toCaseFolded() != prefix[i].toCaseFolded())
            return false;
    }
    return true;
}

} // namespace

// The hive is read when a key is opened. Values written to an open key are
// kept in `pending` and stored when the key is closed; the first write to a
// key is stored at once, so a hive that cannot be written fails on that
// value. Stored changes are replayed on the newest file under its lock.
struct TRegistry::Impl {
    RootKey root;
    QString path;
    std::unique_ptr<hive::Hive> hive;
    bool open = false;
    bool readOnly = false;
    bool storedSinceOpen = false;
    QStringList current;
    std::vector<hive::Change> pending;

    explicit Impl(RootKey rootKey)
        : root(rootKey), path(HivePath(rootKey)), hive(std::make_unique<hive::Hive>(RootName(rootKey)))
    {
    }

    // Re-reads the file; changes not yet stored stay visible.
    void Load()
    {
        auto fresh = std::make_unique<hive::Hive>(RootName(root));
        QString reason;
        const hive::LoadResult result = hive::LoadHiveFile(path, *fresh, &reason);
        if (result == hive::LoadResult::Damaged || result == hive::LoadResult::Unreadable)
            throw ERegistryException(
                QStringLiteral("The registry file %1 cannot be read (%2)").arg(path, reason).toStdString());
        for (const hive::Change& change : pending)
            fresh->Apply(change);
        hive = std::move(fresh);
    }

    void ReloadQuietly()
    {
        try {
            Load();
        } catch (const ERegistryException&) {
        }
    }

    bool Store(const std::vector<hive::Change>& changes)
    {
        std::unique_ptr<hive::Hive> merged;
        QString error;
        if (!hive::CommitHiveFile(path, RootName(root), changes, &merged, &error))
            return false;
        for (const hive::Change& change : pending)
            merged->Apply(change);
        hive = std::move(merged);
        return true;
    }

    // Stores the pending changes; on failure they are dropped and the error
    // names the first value they held.
    void Flush()
    {
        if (pending.empty())
            return;
        std::vector<hive::Change> changes;
        changes.swap(pending);
        if (Store(changes))
            return;
        ReloadQuietly();
        FailedToSet(changes.front().valueName);
    }

    QStringList Resolve(const QString& key) const
    {
        const QStringList parts = hive::SplitKeyPath(key);
        if (key.startsWith(QLatin1Char('\\')) || !open)
            return parts;
        return current + parts;
    }

    void Close()
    {
        open = false;
        readOnly = false;
        storedSinceOpen = false;
        current.clear();
    }

    const hive::Value* FindValue(const QString& name) const
    {
        if (!open)
            return nullptr;
        const hive::Key* key = hive->Find(current);
        return key ? key->FindValue(name) : nullptr;
    }

    void Write(const QString& name, hive::ValueKind kind, std::string data)
    {
        if (!open || readOnly)
            FailedToSet(name);
        hive::Change change{hive::Change::Kind::SetValue, current, name, kind, std::move(data)};
        hive->Apply(change);
        pending.push_back(std::move(change));
        if (!storedSinceOpen) {
            Flush();
            storedSinceOpen = true;
        }
    }

    bool OpenKey(const QString& key, bool canCreate, bool asReadOnly)
    {
        const QStringList wanted = Resolve(key);
        Flush();
        Load();
        // A key that cannot be opened leaves none open, so later writes fail
        // instead of landing in the key opened before.
        Close();
        if (!hive->Find(wanted)) {
            if (!canCreate || asReadOnly || wanted.size() > hive::kMaxKeyDepth)
                return false;
            for (const QString& part : wanted) {
                if (!hive::IsValidKeyName(part))
                    return false;
            }
            if (!Store({hive::Change{hive::Change::Kind::CreateKey, wanted, {}, {}, {}}})) {
                ReloadQuietly();
                return false;
            }
        }
        open = true;
        readOnly = asReadOnly;
        current = hive->StoredPath(wanted);
        return true;
    }
};

TRegistry::TRegistry(RootKey root) : d(std::make_unique<Impl>(root)) {}

TRegistry::~TRegistry()
{
    try {
        d->Flush();
    } catch (const std::exception& error) {
        // Callers that want to hear of this close the key first.
        qWarning("%s", error.what());
    }
}

bool TRegistry::OpenKey(const QString& key, bool canCreate)
{
    return d->OpenKey(key, canCreate, false);
}

bool TRegistry::OpenKeyReadOnly(const QString& key)
{
    return d->OpenKey(key, false, true);
}

void TRegistry::CloseKey()
{
    d->Close();
    d->Flush();
}

QString TRegistry::CurrentPath() const
{
    return d->open ? d->current.join(QLatin1Char('\\')) : QString();
}

bool TRegistry::KeyExists(const QString& key)
{
    const QStringList path = d->Resolve(key);
    d->Load();
    return d->hive->Find(path) != nullptr;
}

bool TRegistry::ValueExists(const QString& name) const
{
    return d->FindValue(name) != nullptr;
}

RegDataType TRegistry::GetDataType(const QString& name) const
{
    const hive::Value* value = d->FindValue(name);
    if (!value)
        return RegDataType::rdUnknown;
    switch (value->kind) {
    case hive::ValueKind::String:
        return RegDataType::rdString;
    case hive::ValueKind::Dword:
        return RegDataType::rdInteger;
    case hive::ValueKind::Other:
        break;
    }
    return RegDataType::rdUnknown;
}

QStringList TRegistry::GetValueNames() const
{
    QStringList names;
    if (!d->open)
        return names;
    if (const hive::Key* key = d->hive->Find(d->current)) {
        for (const hive::Value& value : key->Values())
            names << value.name;
    }
    return names;
}

QString TRegistry::ReadString(const QString& name) const
{
    const hive::Value* value = d->FindValue(name);
    if (!value)
        return {};
    if (value->kind != hive::ValueKind::String)
        InvalidType(name);
    return hive::StringFromData(value->data);
}

int32_t TRegistry::ReadInteger(const QString& name) const
{
    const hive::Value* value = d->FindValue(name);
    if (!value)
        return 0;
    if (value->kind != hive::ValueKind::Dword)
        InvalidType(name);
    return static_cast<int32_t>(hive::DwordFromData(value->data));
}

bool TRegistry::ReadBool(const QString& name) const
{
    return ReadInteger(name) != 0;
}

void TRegistry::WriteString(const QString& name, const QString& value)
{
    d->Write(name, hive::ValueKind::String, hive::StringData(value));
}

void TRegistry::WriteInteger(const QString& name, int32_t value)
{
    d->Write(name, hive::ValueKind::Dword, hive::DwordData(static_cast<uint32_t>(value)));
}

void TRegistry::WriteBool(const QString& name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

bool TRegistry::DeleteValue(const QString& name)
{
    if (!d->open || d->readOnly)
        return false;
    d->Flush();
    if (!d->FindValue(name))
        return false;
    if (!d->Store({hive::Change{hive::Change::Kind::DeleteValue, d->current, name, {}, {}}})) {
        d->ReloadQuietly();
        return false;
    }
    return true;
}

bool TRegistry::DeleteKey(const QString& key)
{
    const QStringList path = d->Resolve(key);
    if (path.isEmpty())
        return false;
    d->Flush();
    d->Load();
    if (!d->hive->Find(path))
        return false;
    if (!d->Store({hive::Change{hive::Change::Kind::DeleteKey, path, {}, {}, {}}})) {
        d->ReloadQuietly();
        return false;
    }
    if (d->open && StartsWithPath(d->current, path))
        d->Close();
    return true;
}

QString TRegistry::UserHivePath()
{
    // XDG: a relative XDG_CONFIG_HOME is invalid and ignored.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/orvane/user.reg");
}

QString TRegistry::MachineHiveFolder()
{
    const QString& folder = MachineFolderSetting();
    return folder.isEmpty() ? QStringLiteral("/etc/orvane") : folder;
}

void TRegistry::SetMachineHiveFolder(const QString& folder)
{
    MachineFolderSetting() = folder;
}

QString SetAsideDamagedHive(RootKey root, QString* reason)
{
    return hive::SetAsideHiveFile(HivePath(root), RootName(root), reason);
}

} // namespace orvane::platform
