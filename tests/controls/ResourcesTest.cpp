// The tool's resources as Windows sees them: every dialog template creates with its controls of
// the right classes, the string, icon, bitmaps and manifest are there, and the artwork has what the
// windows rely on (transparent shadow margins, captions drawn into buttons).

#include "controls/DrawingUtils.h"
#include "framework/CDialog.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsu {
namespace {

const bool kGdiplusStarted = test::EnsureGdiplus();

struct ControlSpec {
    int id;
    const wchar_t* className; // as GetClassName reports it
};

struct TemplateCase {
    UINT id;
    bool child; // WS_CHILD template: created inside a host
    std::vector<ControlSpec> controls;
};

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

class QuietDialog : public CDialog {
public:
    explicit QuietDialog(UINT id) : CDialog(id) {}

protected:
    // No focus: it would activate the window, and activated windows cost seconds under Wine.
    BOOL OnInitDialog() override { return FALSE; }
};

void EnsureClassesTheTemplatesName() {
    static bool done = false;
    if (done)
        return;
    done = true;
    ::LoadLibraryW(L"riched20.dll"); // RichEdit20W, as the application loads it before any dialog
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!::GetClassInfoExW(::GetModuleHandleW(nullptr), res::kMultilineListClass, &existing)) {
        // The list control registers this class itself; here a plain stand-in does.
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = res::kMultilineListClass;
        ASSERT_NE(::RegisterClassExW(&wc), 0);
    }
}

class Templates : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(Templates, CreateWithTheirControls) {
    EnsureClassesTheTemplatesName();
    const TemplateCase& c = GetParam();
    test::TestHostWindow host;
    if (c.child) {
        ASSERT_TRUE(host.Create(700, 450));
    }
    QuietDialog dlg(c.id);
    ASSERT_TRUE(dlg.Create(c.child ? host.GetSafeHwnd() : nullptr)) << c.id;
    HWND hwnd = dlg.GetSafeHwnd();
    EXPECT_EQ((dlg.GetStyle() & WS_CHILD) != 0, c.child);
    for (const ControlSpec& control : c.controls) {
        HWND item = ::GetDlgItem(hwnd, control.id);
        ASSERT_NE(item, nullptr) << "template " << c.id << " control " << control.id;
        EXPECT_EQ(_wcsicmp(ClassOf(item).c_str(), control.className), 0)
            << "template " << c.id << " control " << control.id;
    }
    if (c.id == IDD_INTELLIGENCE_UNINSTALL) {
        HWND drop = ::GetDlgItem(hwnd, IDC_DROP_EDIT);
        EXPECT_TRUE((::GetWindowLongPtrW(drop, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0);
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(hwnd, IDC_STANDARD_UNINSTALL_NOTICE)));
    }
    if (c.id == IDD_MAIN_PAGE) {
        HWND agree = ::GetDlgItem(hwnd, IDC_AGREE_CHECK);
        EXPECT_EQ(::GetWindowLongPtrW(agree, GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
        EXPECT_EQ(::GetWindowLongPtrW(::GetDlgItem(hwnd, IDC_START_BUTTON), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, Templates,
    ::testing::Values(TemplateCase{IDD_ABOUTBOX, false, {{IDOK, L"Button"}}},
                      TemplateCase{IDD_EXECUTE_PROMPT_CHILD, false, {{IDC_STATE_INFO_TEXT, L"Static"}}},
                      TemplateCase{IDD_EXECUTE_PROMPT, false, {}},
                      TemplateCase{IDD_FEEDBACK_CHILD,
                                   false,
                                   {{IDC_FEEDBACK_CLOSE, L"Button"},
                                    {IDC_SOLVED, L"Button"},
                                    {IDC_UNSOLVED, L"Button"},
                                    {IDC_MORE_SOLUTIONS, L"Button"}}},
                      TemplateCase{IDD_FEEDBACK, false, {}},
                      TemplateCase{IDD_PROMPT_CHILD,
                                   false,
                                   {{IDC_CLOSE_BUTTON, L"Button"},
                                    {IDC_PROMPT_FIRST, L"Button"},
                                    {IDC_PROMPT_SECOND, L"Button"},
                                    {IDC_PROMPT_MESSAGE, L"Static"}}},
                      TemplateCase{IDD_PROMPT, false, {}},
                      TemplateCase{IDD_TOOLTIP_CHILD, false, {{IDC_TERMS_RICHEDIT, L"RichEdit20W"}}},
                      TemplateCase{IDD_TOOLTIP, false, {}},
                      TemplateCase{IDD_MAIN_PAGE,
                                   false,
                                   {{IDC_CLOSE_BUTTON, L"Button"},
                                    {IDC_MINIMIZE_BUTTON, L"Button"},
                                    {IDC_VERSION_LABEL, L"Static"},
                                    {IDC_START_BUTTON, L"Button"},
                                    {IDC_MORE_TOOLS, L"Button"},
                                    {IDC_AGREE_CHECK, L"Button"},
                                    {IDC_TERMS_LABEL, L"Static"},
                                    {IDC_FEEDBACK_LABEL, L"Static"}}},
                      TemplateCase{IDD_FUNCTION_PAGE,
                                   false,
                                   {{IDC_FUNCTION_CLOSE, L"Button"},
                                    {IDC_FUNCTION_MINIMIZE, L"Button"},
                                    {IDC_FUNCTION_VERSION_LABEL, L"Static"},
                                    {IDC_FUNCTION_TAB, L"SysTabControl32"}}},
                      TemplateCase{IDD_CONVENTIONAL_UNINSTALL,
                                   true,
                                   {{IDC_FOUND_LABEL, L"Static"},
                                    {IDC_FOUND_COUNT, L"Static"},
                                    {IDC_FOUND_UNIT, L"Static"},
                                    {IDC_SOFTWARE_LIST, L"CMultilineList"}}},
                      TemplateCase{IDD_INTELLIGENCE_UNINSTALL,
                                   true,
                                   {{IDC_DROP_EDIT, L"Edit"},
                                    {IDC_RESULT_TITLE, L"Static"},
                                    {IDC_RESULT_COUNT, L"Static"},
                                    {IDC_RESULT_BRACKET, L"Static"},
                                    {IDC_RESULT_LIST, L"CMultilineList"},
                                    {IDC_STANDARD_UNINSTALL_NOTICE, L"Static"},
                                    {IDC_SMART_UNINSTALL_BUTTON, L"Button"}}}));

// The main window's template is read, not created: it is visible, and showing an application
// window costs seconds under Wine without a window manager.
TEST(MainTemplate, IsAVisiblePopupApplicationWindowWithoutControls) {
    HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_TARROWSOFTWAREUNINSTALL_DIALOG), RT_DIALOG);
    ASSERT_NE(info, nullptr);
    const auto* bytes = static_cast<const unsigned char*>(::LockResource(::LoadResource(nullptr, info)));
    ASSERT_NE(bytes, nullptr);
    // DLGTEMPLATEEX: dlgVer, signature, helpID, exStyle, style, cDlgItems.
    const WORD signature = *reinterpret_cast<const WORD*>(bytes + 2);
    ASSERT_EQ(signature, 0xFFFF);
    const DWORD exStyle = *reinterpret_cast<const DWORD*>(bytes + 8);
    const DWORD style = *reinterpret_cast<const DWORD*>(bytes + 12);
    const WORD items = *reinterpret_cast<const WORD*>(bytes + 16);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(items, 0);
}

TEST(StringTable, AboutItem) {
    wchar_t text[128] = {};
    ASSERT_GT(::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 128), 0);
    EXPECT_STREQ(text, L"关于 TarrowSoftwareUninstall(&A)...");
}

TEST(Icon, LoadsInTheUsualSizes) {
    for (int size : {16, 32, 48}) {
        UniqueHicon icon(static_cast<HICON>(
            ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0)));
        ASSERT_TRUE(icon) << size;
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon.Get(), &info));
        UniqueHbitmap color(info.hbmColor);
        UniqueHbitmap mask(info.hbmMask);
        BITMAP bitmap{};
        ASSERT_TRUE(::GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap));
        EXPECT_EQ(bitmap.bmWidth, size);
    }
}

UniqueHbitmap LoadBitmapResource(UINT id) {
    return UniqueHbitmap(static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    ScopedSelectObject select(dc.Get(), bitmap);
    return ::GetPixel(dc.Get(), x, y);
}

TEST(Bitmaps, ScrollBarSkinIsANineByThreeGridOfThirteenPixelCells) {
    UniqueHbitmap skin = LoadBitmapResource(IDB_SCROLLBAR_SKIN);
    ASSERT_TRUE(skin);
    BITMAP info{};
    ASSERT_TRUE(::GetObjectW(skin.Get(), sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, 117);
    EXPECT_EQ(info.bmHeight, 39);
    // The thumb (column 2) is darker in the middle than the track (column 3); pressed is blue.
    const COLORREF track = BitmapPixel(skin.Get(), 3 * 13 + 6, 6);
    const COLORREF thumb = BitmapPixel(skin.Get(), 2 * 13 + 6, 6);
    const COLORREF pressedThumb = BitmapPixel(skin.Get(), 2 * 13 + 6, 2 * 13 + 6);
    EXPECT_LT(GetRValue(thumb) + GetGValue(thumb), GetRValue(track) + GetGValue(track));
    EXPECT_GT(GetBValue(pressedThumb), 200);
    EXPECT_LT(GetRValue(pressedThumb), 100);
    // Arrows carry a glyph: the cell is not one flat colour.
    EXPECT_NE(BitmapPixel(skin.Get(), 6, 6), BitmapPixel(skin.Get(), 1, 1));
}

TEST(Bitmaps, TabSkinHasTheUnselectedAndSelectedHalves) {
    UniqueHbitmap skin = LoadBitmapResource(IDB_TAB_SKIN);
    ASSERT_TRUE(skin);
    BITMAP info{};
    ASSERT_TRUE(::GetObjectW(skin.Get(), sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, 15);
    EXPECT_EQ(info.bmHeight, 59);
    EXPECT_EQ(BitmapPixel(skin.Get(), 7, 45), RGB(255, 255, 255));             // selected body
    EXPECT_NE(BitmapPixel(skin.Get(), 7, 15), RGB(255, 255, 255));             // unselected body
    EXPECT_NE(BitmapPixel(skin.Get(), 0, 45), BitmapPixel(skin.Get(), 7, 45)); // an edge
}

TEST(Manifest, AsksForAdministratorDpiAwarenessAndCommonControlsSix) {
    HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(info, nullptr);
    const DWORD size = ::SizeofResource(nullptr, info);
    const char* text = static_cast<const char*>(::LockResource(::LoadResource(nullptr, info)));
    ASSERT_NE(text, nullptr);
    const std::string manifest(text, size);
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("<dpiAware>true</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

TEST(WaitGif, IsANamedGifResource) {
    HRSRC info = ::FindResourceW(nullptr, res::kWaitGifName, res::kGifResourceType);
    ASSERT_NE(info, nullptr);
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(nullptr, info)));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(bytes, 6), "GIF89a");
}

// Pixels of a PNG resource drawn onto a white canvas.
bool RenderPng(UINT id, CMemoryCanvas& canvas, COLORREF background = RGB(255, 255, 255)) {
    auto image = LoadPngResource(id);
    if (!image || !canvas.CreateDib32(static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight())))
        return false;
    UniqueHbrush brush(::CreateSolidBrush(background));
    RECT all{0, 0, canvas.Width(), canvas.Height()};
    ::FillRect(canvas.Dc(), &all, brush.Get());
    Gdiplus::Graphics graphics(canvas.Dc());
    graphics.DrawImage(image.get(), 0, 0, canvas.Width(), canvas.Height());
    graphics.Flush(Gdiplus::FlushIntentionSync);
    return true;
}

TEST(Artwork, LayeredHostBackgroundsHaveTransparentCornersAndOpaqueBodies) {
    for (UINT id : {139u, 148u, 162u, 179u, 195u}) {
        auto image = LoadPngResource(id);
        ASSERT_NE(image, nullptr) << id;
        auto* bitmap = static_cast<Gdiplus::Bitmap*>(image.get());
        Gdiplus::Color corner;
        Gdiplus::Color centre;
        ASSERT_EQ(bitmap->GetPixel(0, 0, &corner), Gdiplus::Ok) << id;
        ASSERT_EQ(bitmap->GetPixel(bitmap->GetWidth() / 2, bitmap->GetHeight() / 3, &centre), Gdiplus::Ok) << id;
        EXPECT_LT(corner.GetA(), 40) << id;
        EXPECT_EQ(centre.GetA(), 255) << id;
    }
}

TEST(Artwork, CaptionsAreDrawnIntoTheButtons) {
    // A caption shows as a cluster of white pixels in the middle of a coloured button (or dark
    // pixels on a light one). An image without caption has none.
    struct Button {
        UINT id;
        bool lightText;
    };
    for (Button b : {Button{173, true}, Button{176, true}, Button{164, false}, Button{170, false}, Button{186, true},
                     Button{191, true}, Button{154, false}, Button{158, false}}) {
        CMemoryCanvas canvas;
        ASSERT_TRUE(RenderPng(b.id, canvas)) << b.id;
        const RECT middle{canvas.Width() / 4, canvas.Height() / 4, canvas.Width() * 3 / 4, canvas.Height() * 3 / 4};
        const int textPixels = test::CountPixels(canvas, middle, [&](COLORREF c) {
            const int lum = (GetRValue(c) * 3 + GetGValue(c) * 6 + GetBValue(c)) / 10;
            return b.lightText ? lum > 235 : lum < 200;
        });
        EXPECT_GT(textPixels, 8) << b.id;
    }
    CMemoryCanvas strip;
    ASSERT_TRUE(RenderPng(IDB_PNG_START_STRIP, strip));
    EXPECT_GT(test::CountPixels(strip, RECT{60, 25, 200, 60}, [](COLORREF c) { return c == RGB(255, 255, 255); }), 40);
}

TEST(Artwork, ContactSheet) {
    // Every PNG on one sheet, for people to look at.
    constexpr int kSheetWidth = 1100;
    CMemoryCanvas sheet;
    ASSERT_TRUE(sheet.CreateDib32(kSheetWidth, 2400));
    UniqueHbrush grey(::CreateSolidBrush(RGB(214, 218, 224)));
    RECT all{0, 0, kSheetWidth, 2400};
    ::FillRect(sheet.Dc(), &all, grey.Get());
    Gdiplus::Graphics graphics(sheet.Dc());
    int x = 8;
    int y = 8;
    int rowHeight = 0;
    int drawn = 0;
    for (UINT id = 139; id <= 203; ++id) {
        auto image = LoadPngResource(id);
        if (!image)
            continue;
        const int w = static_cast<int>(image->GetWidth());
        const int h = static_cast<int>(image->GetHeight());
        if (x + w > kSheetWidth - 8) {
            x = 8;
            y += rowHeight + 8;
            rowHeight = 0;
        }
        graphics.DrawImage(image.get(), x, y, w, h);
        x += w + 8;
        rowHeight = std::max(rowHeight, h);
        ++drawn;
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
    EXPECT_EQ(drawn, 61);
    EXPECT_TRUE(test::SaveCanvasPng(sheet, L"resources_contact_sheet"));
}

} // namespace
} // namespace tsu
