#pragma once
// The real main window on Qt's offscreen platform, with the platform layers
// that would touch the desktop replaced, and a real folder of pictures.
#include "imaging/core/PictureLoader.h"
#include "imaging/registry/PlatformPictureClasses.h"
#include "library/MediaLibrary.h"
#include "support/FakeServices.h"
#include "support/MainWindowAccess.h"
#include "support/QtPrinters.h"
#include "support/TempTree.h"
#include "support/TestImages.h"
#include "ui/MediaListView.h"
#include "ui/PictureSurface.h"
#include "ui/Splitter.h"
#include "ui/TForm1.h"
#include "viewer/ItemDisplay.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace orvane::test {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        imaging::RegisterPlatformPictureClasses();
        fakes = &InstallFakeServices();
        form = std::make_unique<ui::TForm1>();
        form->resize(1000, 700);
        form->show();
    }
    void TearDown() override { form.reset(); }

    // A folder of real JPEG pictures of the given names and sizes.
    void AddPicture(const std::string& relative, int width = 16, int height = 12)
    {
        tree.Add(relative, "");
        WriteJpeg(tree.Path(relative), RgbImage::Gradient(width, height));
    }
    QString Full(const std::string& relative) const { return QString::fromStdString(tree.Path(relative)); }
    QString Root() const { return QString::fromStdString(tree.RootText()); }

    void ChooseRoot()
    {
        fakes->dialogs->folderAnswers.push_back(Root());
        form->Run(ui::Command::SelectFolder);
    }
    library::MediaLibrary& Lib() { return form->Library(); }
    QString Status() const { return Find<QLabel>("StatusText")->text(); }
    template <typename T>
    T* Find(const char* name) const
    {
        return FindControl<T>(*form, name);
    }
    void Change(const std::function<void(ui::Settings&)>& edit) { ChangeSettings(*form, edit); }
    void UseScheme(int scheme)
    {
        Change([&](ui::Settings& s) { s.colorScheme = scheme; });
        form->SetParams();
    }
    QAction* DeleteMenu() const { return DeleteMenuOf(*form); }
    std::shared_ptr<const imaging::TBitmap> Shown() const { return form->Display().Picture(); }
    FakeMediaPlayer& Player() { return *fakes->lastPlayer; }

    TempTree tree;
    FakeServices* fakes = nullptr;
    std::unique_ptr<ui::TForm1> form;
};

} // namespace orvane::test
