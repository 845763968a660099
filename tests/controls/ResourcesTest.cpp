#include "controls/DrawingUtils.h"
#include "framework/CDialog.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace tsu {
namespace {

class QuietDialog : public CDialog {
public:
    explicit QuietDialog(UINT id) : CDialog(id) {}

protected:
    BOOL OnInitDialog() override { return FALSE; } // no focus: activated windows cost seconds under Wine
};

TEST(Resources, EveryDialogTemplateCreates) {
    ::LoadLibraryW(L"riched20.dll"); // as the application does before any dialog
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW; // a stand-in for the list control's own class
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = res::kMultilineListClass;
    ::RegisterClassExW(&wc);
    test::TestHostWindow host;
    ASSERT_TRUE(host.Create(700, 450));
    for (UINT id : {IDD_ABOUTBOX, IDD_EXECUTE_PROMPT_CHILD, IDD_EXECUTE_PROMPT, IDD_FEEDBACK_CHILD, IDD_FEEDBACK,
                    IDD_PROMPT_CHILD, IDD_PROMPT, IDD_TOOLTIP_CHILD, IDD_TOOLTIP, IDD_MAIN_PAGE, IDD_FUNCTION_PAGE,
                    IDD_CONVENTIONAL_UNINSTALL, IDD_INTELLIGENCE_UNINSTALL}) {
        QuietDialog dlg(id);
        const bool child = id == IDD_CONVENTIONAL_UNINSTALL || id == IDD_INTELLIGENCE_UNINSTALL;
        EXPECT_TRUE(dlg.Create(child ? host.GetSafeHwnd() : nullptr)) << id;
    }
}

TEST(Resources, ManifestAsksForAdministratorDpiAwarenessAndCommonControlsSix) {
    HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(info, nullptr);
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(nullptr, info))),
                               ::SizeofResource(nullptr, info));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("<dpiAware>true</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

TEST(Resources, EveryPngLoadsWithAlphaOntoTheContactSheet) {
    ASSERT_TRUE(test::EnsureGdiplus());
    constexpr int kSheetWidth = 1100;
    CMemoryCanvas sheet;
    ASSERT_TRUE(sheet.CreateDib32(kSheetWidth, 2400));
    UniqueHbrush grey(::CreateSolidBrush(RGB(214, 218, 224)));
    RECT all{0, 0, kSheetWidth, 2400};
    ::FillRect(sheet.Dc(), &all, grey.Get());
    Gdiplus::Graphics graphics(sheet.Dc());
    int x = 8, y = 8, rowHeight = 0, loaded = 0;
    for (UINT id = 139; id <= 203; ++id) {
        auto image = LoadPngResource(id);
        if (!image)
            continue; // ids without a PNG
        ++loaded;
        EXPECT_TRUE(Gdiplus::IsAlphaPixelFormat(image->GetPixelFormat())) << id;
        const int w = static_cast<int>(image->GetWidth()), h = static_cast<int>(image->GetHeight());
        if (x + w > kSheetWidth - 8)
            x = 8, y += rowHeight + 8, rowHeight = 0;
        graphics.DrawImage(image.get(), x, y, w, h);
        x += w + 8;
        rowHeight = std::max(rowHeight, h);
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
    EXPECT_EQ(loaded, 61);
    EXPECT_TRUE(test::SaveCanvasPng(sheet, L"resources_contact_sheet"));
}

} // namespace
} // namespace tsu
