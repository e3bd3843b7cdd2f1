// The hive files themselves: their exact text, files edited by hand, damaged
// files and what a crash can leave behind.
#include "platform/Registry.h"

#include "support/QtPrinters.h"
#include "support/TempTree.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

using orvane::platform::ERegistryException;
using orvane::platform::RootKey;
using orvane::platform::SetAsideDamagedHive;
using orvane::platform::TRegistry;
using orvane::test::TempTree;

namespace {

const QString kMain = QStringLiteral("\\Software\\Kestrin\\Orvane\\Main");
const QString kOptions = QStringLiteral("\\Software\\Kestrin\\Orvane\\Options");

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Crlf(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

class RegistryFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tree_.Path("config")));
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", savedConfig_); }
    std::string UserFile() const { return tree_.Path("config/orvane/user.reg"); }
    void WriteUserFile(const std::string& text) { tree_.Add("config/orvane/user.reg", text); }

    TempTree tree_;

private:
    QByteArray savedConfig_;
};

TEST_F(RegistryFileTest, WritesTheExportFormat)
{
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kMain, true));
    registry.WriteInteger("Top", 0);
    registry.WriteInteger("Left", -1);
    registry.WriteInteger("Width", 1920);
    ASSERT_TRUE(registry.OpenKey(QStringLiteral("\\Software\\Kestrin\\Orvane\\Additional"), true));
    registry.WriteString("Dir", QStringLiteral("/home/me/\"Pictures\"\\Été"));
    registry.WriteString("mess", QStringLiteral("Hi,\r\nsee attached"));
    registry.CloseKey();
    EXPECT_EQ(TRegistry::UserHivePath(), QString::fromStdString(UserFile()));
    EXPECT_EQ(ReadText(UserFile()), "Windows Registry Editor Version 5.00\n"
                                    "\n"
                                    "[HKEY_CURRENT_USER\\Software]\n"
                                    "\n"
                                    "[HKEY_CURRENT_USER\\Software\\Kestrin]\n"
                                    "\n"
                                    "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane]\n"
                                    "\n"
                                    "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Main]\n"
                                    "\"Top\"=dword:00000000\n"
                                    "\"Left\"=dword:ffffffff\n"
                                    "\"Width\"=dword:00000780\n"
                                    "\n"
                                    "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Additional]\n"
                                    "\"Dir\"=\"/home/me/\\\"Pictures\\\"\\\\\xC3\x89t\xC3\xA9\"\n"
                                    "\"mess\"=\"Hi,\r\nsee attached\"\n"
                                    "\n");
}

// A file as a user might write it: comments, spacing, upper-case digits, a
// default value and types this program does not read.
const std::string kHandWritten = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
                                 "; my settings\n"
                                 "\n"
                                 "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Options]\n"
                                 "@=\"default\"\n"
                                 "\"cScheme\" = dword:0000000A\n"
                                 "  ; indented comment\n"
                                 "\"ssDelay\"=dword:7d0\n"
                                 "\"Blob\"=hex:00,01,02,\\\n"
                                 "  03,04\n"
                                 "\"Path\"=hex(2):25,00,48,00\n"
                                 "\"popfolders\"=\"one\ntwo\r\nthree\r\n\"\n"
                                 "\"Odd\"=hex:05,\\\n" // a backslash before a blank line ends the value
                                 "\n"
                                 "[hkey_current_user\\Software\\Kestrin\\Orvane\\Main]   \n"
                                 "\"Top\"=dword:ffffff9c\n";

TEST_F(RegistryFileTest, ReadsAHandWrittenFileAndKeepsWhatItDoesNotKnow)
{
    for (const bool crlf : {false, true}) {
        SCOPED_TRACE(crlf ? "CR LF" : "LF");
        WriteUserFile(crlf ? Crlf(kHandWritten) : kHandWritten);
        const QString lineBreak = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
        {
            TRegistry registry;
            ASSERT_TRUE(registry.OpenKey(kOptions, false));
            EXPECT_EQ(registry.ReadString(QString()), QStringLiteral("default"));
            EXPECT_EQ(registry.ReadInteger("cScheme"), 10);
            EXPECT_EQ(registry.ReadInteger("ssDelay"), 2000);
            EXPECT_EQ(registry.ReadString("popfolders"),
                      QStringLiteral("one") + lineBreak + "two\r" + lineBreak + "three\r" + lineBreak);
            EXPECT_EQ(registry.GetValueNames(),
                      QStringList({"", "cScheme", "ssDelay", "Blob", "Path", "popfolders", "Odd"}));
            registry.WriteInteger("cScheme", 2);
            ASSERT_TRUE(registry.OpenKey(kMain, false));
            EXPECT_EQ(registry.ReadInteger("Top"), -100);
            registry.CloseKey();
        }
        const std::string strings = crlf ? "\"popfolders\"=\"one\r\ntwo\r\r\nthree\r\r\n\"\n"
                                         : "\"popfolders\"=\"one\ntwo\r\nthree\r\n\"\n";
        EXPECT_EQ(ReadText(UserFile()), "Windows Registry Editor Version 5.00\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Software]\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Software\\Kestrin]\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane]\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Options]\n"
                                        "@=\"default\"\n"
                                        "\"cScheme\"=dword:00000002\n"
                                        "\"ssDelay\"=dword:7d0\n"
                                        "\"Blob\"=hex:00,01,02,\\\n"
                                        "  03,04\n"
                                        "\"Path\"=hex(2):25,00,48,00\n" +
                                            strings + "\"Odd\"=hex:05,\\\n" +
                                            "\n"
                                            "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Main]\n"
                                            "\"Top\"=dword:ffffff9c\n"
                                            "\n");
    }
}

TEST_F(RegistryFileTest, ValueEndingInABackslashDoesNotSwallowTheValuesWrittenAfterIt)
{
    // A value of a type this program does not read, ended by a backslash
    // before a blank line; a second line of the same name replaces its data.
    // Values written after it must still be there when the file is read again.
    WriteUserFile(ReadText(std::string(ORVANE_TEST_FILES_DIR) + "/registry/regress-backslash-ends-a-value.reg"));
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(kMain, false));
        registry.WriteInteger("Top", 7);
        registry.WriteString("Dir", QStringLiteral("/photos"));
    }
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kMain, false));
    EXPECT_EQ(registry.GetValueNames(), QStringList({"Odd", "Top", "Dir"}));
    EXPECT_EQ(registry.ReadInteger("Top"), 7);
    EXPECT_EQ(registry.ReadString("Dir"), QStringLiteral("/photos"));
}

TEST_F(RegistryFileTest, DamagedFilesNameTheFileAndTheLine)
{
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const std::string key = "[HKEY_CURRENT_USER\\Software]\n";
    const struct {
        std::string text;
        int line;
    } cases[] = {
        {"REGEDIT4\n\n" + key, 1},
        {header + "\"Top\"=dword:00000001\n", 3},                  // a value before any key
        {header + key + "\"Dir\"=\"/home/me\n\n", 4},              // a string left open
        {header + key + "\"Dir\"=\"C:\\temp\"\n", 4},               // a lone backslash
        {header + key + "\"Top\"=dword:123456789\n", 4},           // nine digits
        {header + key + "\"Top\"=12\n", 4},                        // no type
        {header + key + "\"Top\"=-\n", 4},                         // deleting a value
        {header + "[-HKEY_CURRENT_USER\\Software]\n", 3},          // deleting a key
        {header + "[HKEY_LOCAL_MACHINE\\Software]\n", 3},          // another hive
        {header + key + "\"Top\"=dword:1\n[HKEY_CURRENT_USER\n", 5}, // no ']'
        {header + key + "\"Dir\"=\"a\" \"b\"\n", 4},                // text after a value
        {header + key + "Top=dword:1\n", 4},
        {header + key + "\"Top\"\n", 4},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text);
        WriteUserFile(test.text);
        std::string error;
        try {
            TRegistry registry;
            registry.OpenKey(kMain, true);
        } catch (const ERegistryException& failure) {
            error = failure.what();
        }
        EXPECT_NE(error.find(UserFile()), std::string::npos) << error;
        EXPECT_NE(error.find("line " + std::to_string(test.line) + ":"), std::string::npos) << error;
        EXPECT_EQ(ReadText(UserFile()), test.text) << "a damaged file is never replaced";
    }
}

TEST_F(RegistryFileTest, DamagedFileIsSetAsideWithItsBytes)
{
    EXPECT_EQ(SetAsideDamagedHive(RootKey::HKEY_CURRENT_USER), QString()) << "no file yet";
    WriteUserFile("Windows Registry Editor Version 5.00\n");
    EXPECT_EQ(SetAsideDamagedHive(RootKey::HKEY_CURRENT_USER), QString()) << "a fine file stays";
    EXPECT_TRUE(std::filesystem::exists(UserFile()));

    const std::string damaged = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"open\n";
    WriteUserFile(damaged);
    // Names the clock may give: they hold other files that must survive.
    const QDateTime now = QDateTime::currentDateTime();
    std::vector<std::string> taken;
    for (int second = 0; second < 3; ++second) {
        taken.push_back(UserFile() + ".damaged-" +
                        now.addSecs(second).toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString());
        std::ofstream(taken.back()) << "older " << second;
    }
    QString reason;
    const QString aside = SetAsideDamagedHive(RootKey::HKEY_CURRENT_USER, &reason);
    ASSERT_FALSE(aside.isEmpty());
    EXPECT_TRUE(aside.startsWith(QString::fromStdString(UserFile()) + ".damaged-")) << aside.toStdString();
    EXPECT_EQ(reason, QStringLiteral("line 4: a string is not closed"));
    EXPECT_EQ(ReadText(aside.toStdString()), damaged);
    EXPECT_FALSE(std::filesystem::exists(UserFile()));
    for (size_t second = 0; second < taken.size(); ++second)
        EXPECT_EQ(ReadText(taken[second]), "older " + std::to_string(second));

    TRegistry registry; // starts afresh
    ASSERT_TRUE(registry.OpenKey(kMain, true));
    registry.WriteInteger("Top", 3);
    registry.CloseKey();
    EXPECT_EQ(ReadText(aside.toStdString()), damaged);
}

TEST_F(RegistryFileTest, LeftoverOfACrashedWriteIsIgnored)
{
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(kMain, true));
        registry.WriteInteger("Top", 8);
        registry.CloseKey();
    }
    // A copy that died while writing its temporary file.
    const std::string leftover = tree_.Path("config/orvane/.user.reg.tmp-0badf00d");
    std::ofstream(leftover) << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Soft";
    ::chmod(UserFile().c_str(), 0640);
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(kMain, false));
        EXPECT_EQ(registry.ReadInteger("Top"), 8);
        registry.WriteInteger("Left", 9);
        registry.CloseKey();
    }
    EXPECT_FALSE(std::filesystem::exists(leftover));
    struct stat info {};
    ASSERT_EQ(::stat(UserFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "a write keeps the file's rights";
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(tree_.Path("config/orvane")))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"user.reg", "user.reg.lock"}));
}

TEST_F(RegistryFileTest, HiveBehindALinkIsReplacedWhereItLives)
{
    tree_.Add("dotfiles/orvane.reg", "Windows Registry Editor Version 5.00\n\n"
                                     "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Main]\n\"Top\"=dword:00000001\n");
    tree_.AddFolder("config/orvane");
    std::filesystem::create_symlink(tree_.Path("dotfiles/orvane.reg"), UserFile());
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kMain, false));
    registry.WriteInteger("Top", 2);
    registry.CloseKey();
    EXPECT_TRUE(std::filesystem::is_symlink(UserFile()));
    EXPECT_NE(ReadText(tree_.Path("dotfiles/orvane.reg")).find("\"Top\"=dword:00000002\n"), std::string::npos);
}

} // namespace
