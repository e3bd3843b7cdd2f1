#pragma once
// The real main window with the real settings file in the test's own config
// folder, and the platform layers that would touch the desktop replaced.
#include "app/Settings.h"
#include "imaging/core/PictureLoader.h"
#include "imaging/registry/PlatformPictureClasses.h"
#include "platform/Registry.h"
#include "support/FakeServices.h"
#include "support/MainWindowAccess.h"
#include "support/QtPrinters.h"
#include "support/TempTree.h"
#include "support/TestImages.h"
#include "ui/TForm1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace orvane::test {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        imaging::RegisterPlatformPictureClasses();
        fakes = &InstallFakeServices();
        std::filesystem::remove_all(std::filesystem::path(platform::TRegistry::UserHivePath().toStdString()).parent_path());
    }
    void TearDown() override { form.reset(); }

    // A new main window, created as the program creates it.
    ui::TForm1& Start()
    {
        form = std::make_unique<ui::TForm1>();
        form->OnGetSettings = app::GetSettings;
        form->OnSaveSettings = app::SaveSettings;
        form->FormCreate();
        form->show();
        return *form;
    }
    void Stop()
    {
        form->FormDestroy();
        form.reset();
    }
    QString HiveText() const
    {
        QFile file(platform::TRegistry::UserHivePath());
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }
    void Write(const char* key, const char* name, int32_t value)
    {
        platform::TRegistry registry;
        registry.OpenKey(QString::fromLatin1(key), true);
        registry.WriteInteger(QString::fromLatin1(name), value);
        registry.CloseKey();
    }
    void Write(const char* key, const char* name, const QString& value)
    {
        platform::TRegistry registry;
        registry.OpenKey(QString::fromLatin1(key), true);
        registry.WriteString(QString::fromLatin1(name), value);
        registry.CloseKey();
    }
    void AddPicture(const std::string& relative)
    {
        tree.Add(relative, "");
        WriteJpeg(tree.Path(relative), RgbImage::Gradient(8, 8));
    }
    QString Root() const { return QString::fromStdString(tree.RootText()); }
    template <typename T>
    T* Find(const char* name) const
    {
        return FindControl<T>(*form, name);
    }
    void Change(const std::function<void(ui::Settings&)>& edit) { ChangeSettings(*form, edit); }

    TempTree tree;
    FakeServices* fakes = nullptr;
    std::unique_ptr<ui::TForm1> form;
};

} // namespace orvane::test
