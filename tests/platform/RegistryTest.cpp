// The registry as the settings, reset and uninstall code use it: typed values,
// keys, deletion, two running copies, hives that cannot be written.
#include "platform/Registry.h"

#include "support/QtPrinters.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using orvane::platform::ERegistryException;
using orvane::platform::RegDataType;
using orvane::platform::RootKey;
using orvane::platform::TRegistry;
using orvane::test::TempTree;

namespace {

const QString kMain = QStringLiteral("\\Software\\Kestrin\\Orvane\\Main");
const QString kAdditional = QStringLiteral("\\Software\\Kestrin\\Orvane\\Additional");
const QString kOptions = QStringLiteral("\\Software\\Kestrin\\Orvane\\Options");

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The message of the ERegistryException that call raises; empty if none.
std::string ErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const ERegistryException& error) {
        return error.what();
    }
    return {};
}

// Runs body as an ordinary user: root may write into read-only folders, so
// under root the body runs in a child process that has given up its rights.
// body returns an empty string when all went as expected.
std::string RunAsOrdinaryUser(const TempTree& tree, const std::function<std::string()>& body)
{
    if (::geteuid() != 0)
        return body();
    ::chmod(tree.RootText().c_str(), 0755);
    int channel[2];
    if (::pipe(channel) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string result = ::setgid(65534) == 0 && ::setuid(65534) == 0 ? body() : "cannot give up root";
        if (result.empty())
            result = "ok";
        (void)!::write(channel[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string result;
    char buffer[512];
    for (ssize_t count; (count = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, size_t(count));
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    return result == "ok" ? std::string() : result.empty() ? "the child process ended abnormally" : result;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tree_.Path("config")));
        TRegistry::SetMachineHiveFolder(QString::fromStdString(tree_.Path("machine")));
    }
    void TearDown() override
    {
        qputenv("XDG_CONFIG_HOME", savedConfig_);
        TRegistry::SetMachineHiveFolder({});
    }
    std::string UserFile() const { return tree_.Path("config/orvane/user.reg"); }

    TempTree tree_;

private:
    QByteArray savedConfig_;
};

TEST_F(RegistryTest, EveryTypeReadsBackAsWritten)
{
    const QString mail = QStringLiteral("Hello,\r\n\r\n\"see\" C:\\temp\\a.jpg\r\nÉté – 日本 😀");
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(kOptions, true));
        registry.WriteString("mess", mail);
        registry.WriteString("Empty", QString());
        registry.WriteString("Ends in backslash\\", QStringLiteral("x\\"));
        registry.WriteInteger("iFileIndex", -1);
        registry.WriteInteger("Lowest", INT_MIN);
        registry.WriteInteger("Highest", INT_MAX);
        registry.WriteInteger("ssDelay", 5000);
        registry.WriteBool("bSearch", true);
        registry.WriteBool("bHide", false);
        registry.CloseKey();
    }
    const std::string text = ReadText(UserFile());
    EXPECT_NE(text.find("\"iFileIndex\"=dword:ffffffff\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Lowest\"=dword:80000000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"ssDelay\"=dword:00001388\n"), std::string::npos) << text;

    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kOptions, false));
    EXPECT_EQ(registry.ReadString("mess"), mail);
    EXPECT_EQ(registry.ReadString("Empty"), QString());
    EXPECT_TRUE(registry.ValueExists("Empty"));
    EXPECT_EQ(registry.ReadString("Ends in backslash\\"), QStringLiteral("x\\"));
    EXPECT_EQ(registry.ReadInteger("iFileIndex"), -1);
    EXPECT_EQ(registry.ReadInteger("Lowest"), INT_MIN);
    EXPECT_EQ(registry.ReadInteger("Highest"), INT_MAX);
    EXPECT_EQ(registry.ReadInteger("ssDelay"), 5000);
    EXPECT_TRUE(registry.ReadBool("bSearch"));
    EXPECT_FALSE(registry.ReadBool("bHide"));
    EXPECT_EQ(registry.GetValueNames(),
              QStringList({"mess", "Empty", "Ends in backslash\\", "iFileIndex", "Lowest", "Highest", "ssDelay",
                           "bSearch", "bHide"}));
}

TEST_F(RegistryTest, ValuesOfAnotherTypeCannotBeRead)
{
    tree_.Add("config/orvane/user.reg", "Windows Registry Editor Version 5.00\n\n"
                                        "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Main]\n"
                                        "\"Top\"=\"12\"\n"
                                        "\"Dir\"=dword:00000001\n"
                                        "\"Width\"=hex:00,04,00,00\n"
                                        "\"CheckBox1\"=dword:00000002\n");
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kMain, false));
    EXPECT_EQ(ErrorOf([&] { registry.ReadInteger("Top"); }), "Invalid data type for 'Top'");
    EXPECT_EQ(ErrorOf([&] { registry.ReadBool("Top"); }), "Invalid data type for 'Top'");
    EXPECT_EQ(ErrorOf([&] { registry.ReadString("Dir"); }), "Invalid data type for 'Dir'");
    EXPECT_EQ(ErrorOf([&] { registry.ReadString("Width"); }), "Invalid data type for 'Width'");
    EXPECT_EQ(ErrorOf([&] { registry.ReadInteger("Width"); }), "Invalid data type for 'Width'");
    EXPECT_EQ(registry.GetDataType("Top"), RegDataType::rdString);
    EXPECT_EQ(registry.GetDataType("Dir"), RegDataType::rdInteger);
    EXPECT_EQ(registry.GetDataType("Width"), RegDataType::rdUnknown);
    EXPECT_EQ(registry.GetDataType("Missing"), RegDataType::rdUnknown);
    EXPECT_TRUE(registry.ReadBool("CheckBox1")); // any value but 0 is true
    EXPECT_EQ(registry.ReadString("Missing"), QString());
    EXPECT_EQ(registry.ReadInteger("Missing"), 0);
}

TEST_F(RegistryTest, FirstStartCreatesTheKeysEmpty)
{
    TRegistry registry;
    EXPECT_FALSE(registry.OpenKey(kMain, false));
    EXPECT_FALSE(std::filesystem::exists(UserFile())) << "opening without creating must not write";
    for (const QString& key : {kMain, kAdditional, kOptions}) {
        ASSERT_TRUE(registry.OpenKey(key, true));
        EXPECT_TRUE(registry.GetValueNames().isEmpty());
        registry.CloseKey();
    }
    EXPECT_EQ(ReadText(UserFile()), "Windows Registry Editor Version 5.00\n\n"
                                    "[HKEY_CURRENT_USER\\Software]\n\n"
                                    "[HKEY_CURRENT_USER\\Software\\Kestrin]\n\n"
                                    "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane]\n\n"
                                    "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Main]\n\n"
                                    "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Additional]\n\n"
                                    "[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Options]\n\n");
    EXPECT_TRUE(registry.KeyExists(QStringLiteral("\\Software\\Kestrin")));
    EXPECT_TRUE(registry.OpenKeyReadOnly(QStringLiteral("\\SOFTWARE\\kestrin\\Orvane\\main")));
    EXPECT_EQ(registry.CurrentPath(), QStringLiteral("Software\\Kestrin\\Orvane\\Main"));
    EXPECT_EQ(ErrorOf([&] { registry.WriteInteger("Top", 1); }), "Failed to set data for 'Top'");
}

TEST_F(RegistryTest, NamesKeepTheirCaseAndCompareWithoutIt)
{
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kMain, true));
    registry.WriteInteger("Top", 1);
    registry.WriteInteger("TOP", 2);
    EXPECT_EQ(registry.GetValueNames(), QStringList{"Top"});
    EXPECT_EQ(registry.ReadInteger("top"), 2);
    ASSERT_TRUE(registry.OpenKey("Sub\\Deeper", true)); // relative to the open key
    EXPECT_EQ(registry.CurrentPath(), QStringLiteral("Software\\Kestrin\\Orvane\\Main\\Sub\\Deeper"));
    ASSERT_TRUE(registry.OpenKey(QStringLiteral("\\software\\KESTRIN\\orvane\\MAIN"), true));
    registry.CloseKey();
    const std::string text = ReadText(UserFile());
    EXPECT_EQ(text.find("MAIN"), std::string::npos) << text;
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Kestrin\\Orvane\\Main\\Sub\\Deeper]\n"), std::string::npos);
    EXPECT_FALSE(registry.OpenKey("Sub", false)) << "no key open: relative to the root";
    EXPECT_EQ(ErrorOf([&] { registry.WriteInteger("Left", 1); }), "Failed to set data for 'Left'");
}

TEST_F(RegistryTest, ResetDeletesValuesAndTheOptionsKeyWithItsSubKeys)
{
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(kMain, true));
        for (const char* name : {"Top", "Left", "Width", "FullWidth", "Height"})
            registry.WriteInteger(name, 10);
        ASSERT_TRUE(registry.OpenKey(kAdditional, true));
        registry.WriteString("Dir", "/home/me/Pictures");
        ASSERT_TRUE(registry.OpenKey(kOptions + "\\Nested", true));
        registry.WriteInteger("x", 1);
        ASSERT_TRUE(registry.OpenKey(kOptions, true));
        registry.WriteInteger("cScheme", 2);
        registry.CloseKey();
    }
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kMain, true));
    EXPECT_TRUE(registry.DeleteValue("Top"));
    EXPECT_TRUE(registry.DeleteValue("left"));
    EXPECT_TRUE(registry.DeleteValue("Width"));
    EXPECT_FALSE(registry.DeleteValue("Maximized"));
    registry.CloseKey();
    ASSERT_TRUE(registry.OpenKey(QStringLiteral("\\Software\\Kestrin\\Orvane\\"), true));
    EXPECT_TRUE(registry.DeleteKey("Options"));
    EXPECT_FALSE(registry.DeleteKey("Options"));
    registry.CloseKey();

    TRegistry after;
    EXPECT_FALSE(after.KeyExists(kOptions));
    EXPECT_FALSE(after.KeyExists(kOptions + "\\Nested"));
    ASSERT_TRUE(after.OpenKey(kMain, false));
    EXPECT_EQ(after.GetValueNames(), QStringList({"FullWidth", "Height"}));
    ASSERT_TRUE(after.OpenKey(kAdditional, false));
    EXPECT_EQ(after.ReadString("Dir"), QStringLiteral("/home/me/Pictures"));
}

TEST_F(RegistryTest, DeletingTheOpenKeyClosesIt)
{
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kOptions, true));
    registry.WriteInteger("aIndex", 1);
    EXPECT_TRUE(registry.DeleteKey(QStringLiteral("\\Software\\Kestrin")));
    EXPECT_EQ(registry.CurrentPath(), QString());
    EXPECT_EQ(ErrorOf([&] { registry.WriteInteger("aIndex", 1); }), "Failed to set data for 'aIndex'");
    EXPECT_FALSE(registry.KeyExists(QStringLiteral("\\Software\\Kestrin")));
    EXPECT_TRUE(registry.KeyExists(QStringLiteral("\\Software")));
}

TEST_F(RegistryTest, TwoRunningCopiesKeepEachOthersKeys)
{
    TRegistry first;
    TRegistry second;
    ASSERT_TRUE(first.OpenKey(kMain, true));
    first.WriteInteger("Top", 1);
    first.WriteInteger("Left", 1);
    ASSERT_TRUE(second.OpenKey(kOptions, true));
    second.WriteInteger("cScheme", 2);
    second.CloseKey();
    ASSERT_TRUE(second.OpenKey(kMain, true));
    second.WriteInteger("Left", 2);
    second.WriteInteger("Height", 2);
    second.CloseKey();
    first.CloseKey(); // closes last: its values win, the others stay

    TRegistry reader;
    ASSERT_TRUE(reader.OpenKey(kMain, false));
    EXPECT_EQ(reader.ReadInteger("Top"), 1);
    EXPECT_EQ(reader.ReadInteger("Left"), 1);
    EXPECT_EQ(reader.ReadInteger("Height"), 2);
    ASSERT_TRUE(reader.OpenKey(kOptions, false));
    EXPECT_EQ(reader.ReadInteger("cScheme"), 2);
}

TEST_F(RegistryTest, ConcurrentProcessesLoseNoKey)
{
    constexpr int kProcesses = 3;
    constexpr int kKeys = 8;
    std::vector<pid_t> children;
    for (int process = 0; process < kProcesses; ++process) {
        const pid_t child = ::fork();
        if (child == 0) {
            int status = 0;
            try {
                TRegistry registry;
                for (int key = 0; key < kKeys; ++key) {
                    const QString path = QStringLiteral("\\Software\\Copy%1\\Key%2").arg(process).arg(key);
                    if (!registry.OpenKey(path, true))
                        status = 1;
                    registry.WriteInteger("Process", process);
                    registry.WriteInteger("Key", key);
                    registry.CloseKey();
                }
            } catch (...) {
                status = 2;
            }
            ::_exit(status);
        }
        children.push_back(child);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (const pid_t child : children) {
        int status = -1;
        while (::waitpid(child, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    TRegistry registry;
    for (int process = 0; process < kProcesses; ++process) {
        for (int key = 0; key < kKeys; ++key) {
            ASSERT_TRUE(registry.OpenKey(QStringLiteral("\\Software\\Copy%1\\Key%2").arg(process).arg(key), false))
                << process << " " << key;
            EXPECT_EQ(registry.ReadInteger("Process"), process);
            EXPECT_EQ(registry.ReadInteger("Key"), key);
        }
    }
}

TEST_F(RegistryTest, MachineHiveThatCannotBeCreatedFailsOnTheFirstValue)
{
    tree_.Add("blocked", "a file where the folder should be");
    TRegistry::SetMachineHiveFolder(QString::fromStdString(tree_.Path("blocked/orvane")));
    TRegistry registry(RootKey::HKEY_LOCAL_MACHINE);
    const QString entry = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane");
    EXPECT_FALSE(registry.OpenKey(entry, false));
    EXPECT_FALSE(registry.OpenKey(entry, true)) << "creating fails quietly";
    EXPECT_EQ(ErrorOf([&] { registry.WriteString("Delete Orvane", "x"); }), "Failed to set data for 'Delete Orvane'");
    EXPECT_NO_THROW(registry.CloseKey());
}

TEST_F(RegistryTest, MachineHiveHoldsTheUninstallEntry)
{
    TRegistry registry(RootKey::HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane", true));
    registry.WriteString("DisplayName", "Orvane");
    registry.WriteString("UninstallString", "/opt/orvane/orvane /uninstall");
    registry.CloseKey();
    const std::string text = ReadText(tree_.Path("machine/machine.reg"));
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane]\n"
                        "\"DisplayName\"=\"Orvane\"\n"
                        "\"UninstallString\"=\"/opt/orvane/orvane /uninstall\"\n"),
              std::string::npos)
        << text;
    EXPECT_FALSE(std::filesystem::exists(UserFile()));
}

TEST_F(RegistryTest, ReadOnlyFolderFailsOnTheFirstWrite)
{
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(kMain, true));
        registry.WriteInteger("Top", 5);
        registry.CloseKey();
    }
    const std::string before = ReadText(UserFile());
    ::chmod(tree_.Path("config").c_str(), 0755);
    ::chmod(tree_.Path("config/orvane").c_str(), 0555);
    const std::string outcome = RunAsOrdinaryUser(tree_, [] {
        TRegistry registry;
        if (!registry.OpenKey(kMain, true))
            return std::string("the existing key did not open");
        if (registry.ReadInteger("Top") != 5)
            return std::string("the stored value did not read");
        const std::string error = ErrorOf([&] { registry.WriteInteger("Top", 7); });
        if (error != "Failed to set data for 'Top'")
            return "first write: \"" + error + "\"";
        if (registry.DeleteValue("Top"))
            return std::string("a value was deleted");
        if (registry.OpenKey(kOptions, true))
            return std::string("a new key was created");
        return std::string();
    });
    EXPECT_EQ(outcome, "");
    EXPECT_EQ(ReadText(UserFile()), before);
}

TEST_F(RegistryTest, FailureWhenTheKeyIsClosedIsReported)
{
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kMain, true));
    registry.WriteInteger("Top", 1);
    // Another program spoils the file between the values: the stored values
    // must not be overwritten and closing must say so.
    const std::string damaged = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n\"Top\"=oops\n";
    tree_.Add("config/orvane/user.reg", damaged);
    registry.WriteInteger("Left", 1);
    registry.WriteInteger("Width", 1);
    EXPECT_EQ(ErrorOf([&] { registry.CloseKey(); }), "Failed to set data for 'Left'");
    EXPECT_EQ(registry.CurrentPath(), QString());
    EXPECT_EQ(ReadText(UserFile()), damaged);
}

} // namespace
