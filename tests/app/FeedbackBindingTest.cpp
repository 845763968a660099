// FeedbackBinding against real files: the project's library, the stand-ins (complete, without
// one entry point), no library, a file that is no library; the wrappers pass their arguments
// through unchanged; the knowledge-base address comes from the settings file.

#include "app/FeedbackBinding.h"
#include "app/core/ToolIdentity.h"
#include "tests/app/AppTestSupport.h"
#include "tests/common/TestProcess.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(FeedbackBinding, TheProjectsLibraryLoadsWithAllNineEntryPoints) {
    const std::wstring folder = test::MakeFeedbackFolder(L"binding-real", test::FeedbackKind::Real);
    FeedbackBinding binding;
    ASSERT_TRUE(binding.LoadFrom(folder.substr(0, folder.size() - 1)));
    EXPECT_TRUE(binding.MissingEntryPoint().empty());
    EXPECT_NE(binding.InitFreedbackDll(), 0);
    EXPECT_EQ(binding.GetToolIsNewVersion(kToolId, kToolVersion), 1);
    // Without a settings file: the library's default knowledge base.
    EXPECT_EQ(binding.KnowledgeBaseUrl(), L"https://help.veltor.com");
    EXPECT_EQ(binding.MoreToolsUrl(), L"https://help.veltor.com/detail/dc_172545.html");
    ASSERT_TRUE(test::WriteFileBytes(folder + L"VeltorFeedbackInformation.ini",
                                     "[Feedback]\r\nKnowledgeBaseUrl=https://kb.test.example/\r\n"
                                     "[Update]\r\nLatestVersion=1.0.21.0\r\n"));
    EXPECT_EQ(binding.MoreToolsUrl(), L"https://kb.test.example/detail/dc_172545.html");
    EXPECT_EQ(binding.GetToolIsNewVersion(kToolId, kToolVersion), 3);
}

TEST(FeedbackBinding, WrappersPassTheirArgumentsThrough) {
    const std::wstring folder = test::MakeFeedbackFolder(L"binding-fake", test::FeedbackKind::FakeFull);
    const std::wstring log = folder + L"calls.txt";
    test::ConfigureFakeFeedback(log, 7, 4);
    FeedbackBinding binding;
    ASSERT_TRUE(binding.LoadFrom(folder.substr(0, folder.size() - 1)));
    EXPECT_EQ(binding.InitFreedbackDll(), 7);
    EXPECT_EQ(binding.GetToolIsNewVersion(kToolId, kToolVersion), 4);
    binding.FeedbackQuestion(kToolId, kToolVersion);
    binding.CustomerFeedbackEx(kToolId, kToolVersion, 3, L"1714560000");
    binding.OpenUrl(L"https://kb.example/");
    binding.OpenToolDownUrl();
    const std::vector<std::wstring> calls = test::ReadFakeFeedbackLog(log);
    const std::vector<std::wstring> expected = {
        L"InitFreedbackDll",
        L"GetToolIsNewVersion|10100|1.0.20.1116",
        L"FeedbackQuestion|10100|1.0.20.1116",
        L"CustomerFeedbackEx|10100|1.0.20.1116|3|1714560000",
        L"OpenUrl|https://kb.example/",
        L"OpenToolDownUrl",
    };
    EXPECT_EQ(calls, expected);
}

TEST(FeedbackBinding, ALibraryWithoutOneEntryPointDoesNotLoadAndCallsNothing) {
    const std::wstring folder = test::MakeFeedbackFolder(L"binding-partial", test::FeedbackKind::FakePartial);
    const std::wstring log = folder + L"calls.txt";
    test::ConfigureFakeFeedback(log);
    FeedbackBinding binding;
    EXPECT_FALSE(binding.LoadFrom(folder.substr(0, folder.size() - 1)));
    EXPECT_EQ(binding.MissingEntryPoint(), "OpenToolDownUrl");
    EXPECT_EQ(binding.InitFreedbackDll(), 0);
    binding.FeedbackQuestion(kToolId, kToolVersion);
    EXPECT_TRUE(test::ReadFakeFeedbackLog(log).empty());
}

TEST(FeedbackBinding, MissingOrBrokenLibraryFailsAtTheFirstLookup) {
    const std::wstring empty = test::MakeFeedbackFolder(L"binding-none", test::FeedbackKind::None);
    FeedbackBinding missing;
    EXPECT_FALSE(missing.LoadFrom(empty.substr(0, empty.size() - 1)));
    EXPECT_EQ(missing.MissingEntryPoint(), "InitFreedbackDll");
    EXPECT_EQ(missing.GetToolIsNewVersion(kToolId, kToolVersion), 0);

    ASSERT_TRUE(test::WriteFileBytes(empty + L"VeltorFeedbackInformation.dll", "MZ this is no library"));
    FeedbackBinding broken;
    EXPECT_FALSE(broken.LoadFrom(empty.substr(0, empty.size() - 1)));
    EXPECT_EQ(broken.MissingEntryPoint(), "InitFreedbackDll");

    FeedbackBinding nowhere;
    EXPECT_FALSE(nowhere.LoadFrom(L""));
}

TEST(FeedbackBinding, ExecutableFolderIsTheFolderOfThisProgram) {
    const std::wstring folder = FeedbackBinding::ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_TRUE(test::FileExists(folder + L"\\app_binding_test.exe"));
}

} // namespace
} // namespace tsu
