#include "IconTestSupport.h"

#include "framework/ScopedHandles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tsu {
namespace {

using test::BinFile;
using test::FixturePath;

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// An uninstall entry of the current user that exists for one test only.
class ScratchUninstallEntry {
public:
    ScratchUninstallEntry(const std::wstring& subkey, const std::wstring& name, const std::wstring& icon)
        : m_path(std::wstring(kUninstallKey) + subkey) {
        UniqueHkey key;
        EXPECT_EQ(
            ::RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr),
            ERROR_SUCCESS);
        Set(key.Get(), L"DisplayName", name);
        Set(key.Get(), L"UninstallString", L"\"C:\\Program Files\\" + subkey + L"\\uninstall.exe\"");
        Set(key.Get(), L"DisplayIcon", icon);
    }
    ~ScratchUninstallEntry() { (void)::RegDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str()); }
    ScratchUninstallEntry(const ScratchUninstallEntry&) = delete;
    ScratchUninstallEntry& operator=(const ScratchUninstallEntry&) = delete;

private:
    static void Set(HKEY key, const wchar_t* name, const std::wstring& value) {
        EXPECT_EQ(::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    std::wstring m_path;
};

std::wstring Widen(const std::string& utf8) {
    const int chars = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    (void)::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), chars);
    return wide;
}

TEST(ListPicturesTest, JsonListCarriesThePicturePaths) {
    ScopedGdiplusStartup gdiplus;
    const ScratchUninstallEntry iconEntry(L"TsuIconsTestIcon", L"Tsu Icons Test Icon", FixturePath(L"multi.ico"));
    const ScratchUninstallEntry exeEntry(L"TsuIconsTestExe", L"Tsu Icons Test Exe",
                                         L"\"" + BinFile(L"icons_fixture_app.exe") + L"\",0");
    const ScratchUninstallEntry missingEntry(L"TsuIconsTestMissing", L"Tsu Icons Test Missing",
                                             L"C:\\no\\such\\program.exe");

    const test::ProcessResult run = test::RunProcess(L"\"" + BinFile(L"tsu.exe") + L"\" list --json --pictures");
    ASSERT_TRUE(run.started);
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    const nlohmann::json list = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(list.is_array()) << run.out;

    const std::wstring imageFolder = BinFile(L"Image\\");
    int found = 0;
    for (const nlohmann::json& record : list) {
        const std::string name = record.value("displayName", "");
        const std::wstring imagePath = Widen(record.value("imagePath", ""));
        if (name == "Tsu Icons Test Missing") {
            EXPECT_TRUE(imagePath.empty());
            ++found;
        } else if (name == "Tsu Icons Test Icon" || name == "Tsu Icons Test Exe") {
            ASSERT_EQ(imagePath.rfind(imageFolder, 0), 0u) << name;
            EXPECT_EQ(imagePath.substr(imagePath.size() - 4), L".png");
            IconPixels pixels;
            ASSERT_TRUE(test::DecodeImage(imagePath, pixels)) << name;
            EXPECT_EQ(pixels.width, 32) << name; // the exe at the list size; the 32-pixel image of multi.ico
            ++found;
        }
    }
    EXPECT_EQ(found, 3);
}

TEST(ListPicturesTest, UnknownOptionsAreStillRefused) {
    const test::ProcessResult run = test::RunProcess(L"\"" + BinFile(L"tsu.exe") + L"\" list --pictures --colour");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.err.find("unknown option"), std::string::npos) << run.err;
}

} // namespace
} // namespace tsu
