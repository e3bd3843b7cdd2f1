// main() of the test programs that need widgets: a QApplication on Qt's
// offscreen platform (set here, so test discovery at build or test time needs
// no display), with its own temporary home and config folders so nothing a
// test does reaches the real user's settings or trash.
#include "platform/Application.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-home-XXXXXX").string();
    if (::mkdtemp(pattern.data())) {
        ::setenv("HOME", pattern.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (pattern + "/.config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (pattern + "/.local/share").c_str(), 1);
    }
    orvane::platform::Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code error;
    std::filesystem::remove_all(pattern, error);
    return result;
}
