// The stand-in uninstaller itself: other tests rely on what its arguments promise.
#include "tests/common/ProcessTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace tsu {
namespace {

using namespace tsu::test;

std::wstring Helper(const std::wstring& arguments) {
    return Quoted(HelperPath()) + L" " + arguments;
}

TEST(ProcessHelperTest, ExitCodesTellHowItEnded) {
    EXPECT_EQ(RunToEnd(Helper(L"--exit 7")), 7u);
    EXPECT_EQ(RunToEnd(Helper(L"--crash")), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_EQ(RunToEnd(Helper(L"--no-such-option")), 2u);
    EXPECT_EQ(RunToEnd(Helper(L"--child [ --exit 0")), 2u); // unbalanced brackets
    EXPECT_EQ(RunToEnd(Helper(L"--wait-event " + UniqueName(L"nobody_made_this"))), 3u);
}

TEST(ProcessHelperTest, HeldFileCannotBeOpenedUntilTheHelperEnds) {
    ScratchFolder folder(L"hold");
    NamedEvent ready(L"ready");
    NamedEvent release(L"release");
    const std::wstring file = folder.File(L"held.txt");
    DWORD id = 0;
    UniqueHandle helper = StartProcess(
        Helper(L"--hold " + Quoted(file) + L" --signal " + ready.Name() + L" --wait-event " + release.Name()), &id);
    ASSERT_TRUE(helper);
    ASSERT_TRUE(ready.WaitFor(kMustHappenMs));
    {
        UniqueFileHandle other(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_FALSE(other);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    release.Set();
    ASSERT_EQ(::WaitForSingleObject(helper.Get(), kMustHappenMs), WAIT_OBJECT_0);
    UniqueFileHandle after(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(after);
}

TEST(ProcessHelperTest, GenerationsRecordThemselvesAndTheCopiesCarryTheirNames) {
    ScratchFolder folder(L"generations");
    const std::wstring ids = folder.File(L"ids.txt");
    const std::wstring image = folder.File(L"image.txt");
    NamedEvent done(L"done");
    const std::wstring record = L"--record " + Quoted(ids) + L" ";
    ASSERT_EQ(RunToEnd(Helper(record + L"--child [ " + record + L"--child-as chrome.exe [ " + record + L"--image " +
                              Quoted(image) + L" --signal " + done.Name() + L" ] --wait-children ]")),
              0u);
    ASSERT_TRUE(done.WaitFor(kMustHappenMs));
    EXPECT_EQ(ReadRecordedIds(ids).size(), 3u);
    EXPECT_EQ(ReadUtf16File(image), BinFile(L"chrome.exe"));
}

} // namespace
} // namespace tsu
