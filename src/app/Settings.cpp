#include "app/Settings.h"

#include "platform/Registry.h"
#include "ui/TForm1.h"

#include <QGuiApplication>
#include <QScreen>

#include <exception>

namespace orvane::app {

using platform::TRegistry;
using ui::Encoding;
using ui::Settings;
using ui::SettingsKey;
using ui::StoredSetting;

namespace {

const char* KeyPath(SettingsKey key)
{
    switch (key) {
    case SettingsKey::Main: return kMainKey;
    case SettingsKey::Additional: return kAdditionalKey;
    case SettingsKey::Options: break;
    }
    return kOptionsKey;
}

void ReadValue(const TRegistry& registry, const StoredSetting& value, Settings& settings)
{
    const QString name = QLatin1String(value.name);
    std::visit(
        [&](auto member) {
            auto& field = settings.*member;
            using Field = std::decay_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, bool>)
                field = registry.ReadBool(name);
            else if constexpr (std::is_same_v<Field, int>)
                field = registry.ReadInteger(name);
            else if constexpr (std::is_same_v<Field, QString>)
                field = registry.ReadString(name);
            else if (value.encoding == Encoding::JoinedList)
                field = ui::SplitList(registry.ReadString(name));
            else
                field = ui::SplitLines(registry.ReadString(name));
        },
        value.field);
}

void WriteValue(TRegistry& registry, const StoredSetting& value, const Settings& settings)
{
    const QString name = QLatin1String(value.name);
    std::visit(
        [&](auto member) {
            const auto& field = settings.*member;
            using Field = std::decay_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, bool>)
                registry.WriteBool(name, field);
            else if constexpr (std::is_same_v<Field, int>)
                registry.WriteInteger(name, field);
            else if constexpr (std::is_same_v<Field, QString>)
                registry.WriteString(name, field);
            else if (value.encoding == Encoding::JoinedList)
                registry.WriteString(name, ui::JoinList(field));
            else
                registry.WriteString(name, ui::JoinLines(field));
        },
        value.field);
}

// Walks the table a key at a time: each key is opened (created when
// missing), its values handled in order, and closed before the next.
template <typename Handle>
void ForEachKey(const Handle& handle)
{
    TRegistry registry;
    std::optional<SettingsKey> open;
    for (const StoredSetting& value : ui::StoredSettings()) {
        if (open != value.key) {
            if (open)
                registry.CloseKey();
            registry.OpenKey(QString::fromLatin1(KeyPath(value.key)), true);
            open = value.key;
        }
        handle(registry, value);
    }
    registry.CloseKey();
}

// The design state: at the screen's corner with the size of the work area.
// The values are the window's outer (frame) rectangle.
void SetDesignBounds(Settings& settings)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    settings.top = 0;
    settings.left = 0;
    settings.width = work.width();
    settings.height = work.height();
    settings.fullWidth = work.width();
}

} // namespace

void ReadSettings(Settings& settings)
{
    // The window's rectangle is taken whole or not at all.
    Settings bounds = settings;
    bool boundsRead = false;
    ForEachKey([&](TRegistry& registry, const StoredSetting& value) {
        if (value.key != SettingsKey::Main && !boundsRead) {
            settings.top = bounds.top;
            settings.left = bounds.left;
            settings.width = bounds.width;
            settings.height = bounds.height;
            settings.fullWidth = bounds.fullWidth;
            boundsRead = true;
        }
        if (registry.ValueExists(QLatin1String(value.name)))
            ReadValue(registry, value, value.key == SettingsKey::Main ? bounds : settings);
    });
}

void WriteSettings(const Settings& settings)
{
    ForEachKey([&](TRegistry& registry, const StoredSetting& value) { WriteValue(registry, value, settings); });
}

QString CheckSettingsFile()
{
    QString reason;
    const QString keptAs = platform::SetAsideDamagedHive(platform::RootKey::HKEY_CURRENT_USER, &reason);
    if (keptAs.isEmpty())
        return {};
    return QStringLiteral("The settings file %1 could not be read (%2). It was kept as %3; Orvane starts with its "
                          "default settings.")
        .arg(TRegistry::UserHivePath(), reason, keptAs);
}

void GetSettings(ui::TForm1& form)
{
    Settings settings = form.CurrentSettings();
    SetDesignBounds(settings);
    std::exception_ptr failure;
    try {
        ReadSettings(settings);
    } catch (...) {
        failure = std::current_exception();
    }
    form.ApplySettings(settings);
    if (failure)
        std::rethrow_exception(failure);
    form.SetParams();
}

void SaveSettings(ui::TForm1& form)
{
    WriteSettings(form.CurrentSettings());
}

} // namespace orvane::app
