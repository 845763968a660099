// FeedbackBinding against real files: the project's library, the stand-ins (complete, without one
// entry point), no library and a file that is no library.

#include "app/FeedbackBinding.h"
#include "app/core/ToolIdentity.h"
#include "tests/app/AppTestSupport.h"
#include "tests/common/TestProcess.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

std::wstring Folder(const std::wstring& name, test::FeedbackKind kind) {
    const std::wstring folder = test::MakeFeedbackFolder(name, kind);
    test::ConfigureFakeFeedback(folder + L"calls.txt", 7, 4);
    return folder.substr(0, folder.size() - 1);
}

TEST(FeedbackBinding, TheProjectsLibraryLoadsAndReadsItsSettings) {
    const std::wstring folder = Folder(L"binding-real", test::FeedbackKind::Real);
    FeedbackBinding binding;
    ASSERT_TRUE(binding.LoadFrom(folder));
    EXPECT_EQ(std::pair(binding.InitFreedbackDll() != 0, binding.GetToolIsNewVersion(kToolId, kToolVersion)),
              std::pair(true, 1));
    EXPECT_EQ(binding.MoreToolsUrl(), L"https://help.veltor.com/detail/dc_172545.html");
    ASSERT_TRUE(test::WriteFileBytes(folder + L"\\VeltorFeedbackInformation.ini",
                                     "[Feedback]\r\nKnowledgeBaseUrl=https://kb.test.example/\r\n"
                                     "[Update]\r\nLatestVersion=1.0.21.0\r\n"));
    EXPECT_EQ(binding.MoreToolsUrl(), L"https://kb.test.example/detail/dc_172545.html");
    EXPECT_EQ(binding.GetToolIsNewVersion(kToolId, kToolVersion), 3);
}

TEST(FeedbackBinding, AnIncompleteMissingOrBrokenLibraryDoesNotLoadAndCallsNothing) {
    const std::wstring partial = Folder(L"binding-partial", test::FeedbackKind::FakePartial);
    const std::wstring none = Folder(L"binding-none", test::FeedbackKind::None);
    const std::wstring broken = Folder(L"binding-broken", test::FeedbackKind::None);
    ASSERT_TRUE(test::WriteFileBytes(broken + L"\\VeltorFeedbackInformation.dll", "MZ this is no library"));
    const struct {
        std::wstring folder;
        const char* missing;
    } cases[] = {{partial, "OpenToolDownUrl"}, {none, "InitFreedbackDll"}, {broken, "InitFreedbackDll"}, {L"", ""}};
    for (const auto& c : cases) {
        FeedbackBinding binding;
        EXPECT_FALSE(binding.LoadFrom(c.folder));
        EXPECT_TRUE(!*c.missing || binding.MissingEntryPoint() == c.missing) << binding.MissingEntryPoint();
        EXPECT_EQ(std::pair(binding.InitFreedbackDll(), binding.GetToolIsNewVersion(kToolId, kToolVersion)),
                  std::pair(0, 0));
        binding.FeedbackQuestion(kToolId, kToolVersion);
    }
    EXPECT_TRUE(test::ReadFakeFeedbackLog(broken + L"\\calls.txt").empty());
    EXPECT_TRUE(test::FileExists(FeedbackBinding::ExecutableFolder() + L"\\app_binding_test.exe"));
}

} // namespace
} // namespace tsu
