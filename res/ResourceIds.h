#pragma once
// Resource ids of the tool: dialog templates, their controls, images, icon, string and menu item.
// Shared by the resource script (windres) and the C++ code, so plain #defines only above the
// RC_INVOKED guard.

// ---- Dialog templates ---------------------------------------------------------------------------
#define IDD_ABOUTBOX 100
#define IDD_TARROWSOFTWAREUNINSTALL_DIALOG 102 // main window (layered host of the two pages)
#define IDD_EXECUTE_PROMPT_CHILD 129          // wait dialog, child with the busy text
#define IDD_EXECUTE_PROMPT 130                // wait dialog, layered host
#define IDD_FEEDBACK_CHILD 131                // problem-solving feedback, child with the buttons
#define IDD_FEEDBACK 132                      // problem-solving feedback, layered host
#define IDD_PROMPT_CHILD 133                  // prompt, child with text and buttons
#define IDD_PROMPT 134                        // prompt, layered host
#define IDD_TOOLTIP_CHILD 135                 // terms viewer, child with the rich-edit box
#define IDD_TOOLTIP 136                       // terms viewer, layered host
#define IDD_MAIN_PAGE 137                     // start page
#define IDD_FUNCTION_PAGE 138                 // function page with the tab control
#define IDD_CONVENTIONAL_UNINSTALL 197        // tab page "常规卸载"
#define IDD_INTELLIGENCE_UNINSTALL 198        // tab page "智能卸载"

// ---- Icon, string, system menu -----------------------------------------------------------------
#define IDR_MAINFRAME 128
#define IDS_ABOUTBOX 101
#define IDM_ABOUTBOX 0x0010

// ---- Bitmaps -------------------------------------------------------------------------------------
#define IDB_SCROLLBAR_SKIN 185 // 117 x 39: 9 x 3 cells of 13 x 13
#define IDB_TAB_SKIN 196       // 15 x 59: unselected rows 0-29, selected rows 29-58

// ---- PNG images (resource type "PNG") -----------------------------------------------------------
#define IDB_PNG_MAIN_BACKGROUND 139      // 806 x 606, main window, per-pixel alpha
#define IDB_PNG_START_PAGE 140           // 800 x 600
#define IDB_PNG_FUNCTION_PAGE 141        // 800 x 600
#define IDB_PNG_WHITE_PANEL 142          // 734 x 531, tab pages
#define IDB_PNG_CHECKBOX_STRIP 143       // 48 x 16: unchecked, checked, disabled
#define IDB_PNG_CLOSE_NORMAL 144         // 26 x 34 each
#define IDB_PNG_CLOSE_HOVER 145
#define IDB_PNG_CLOSE_PRESSED 146
#define IDB_PNG_CLOSE_DISABLED 147
#define IDB_PNG_WAIT_HOST 148            // 232 x 132, per-pixel alpha
#define IDB_PNG_WAIT_CHILD 149           // 204 x 104
#define IDB_PNG_MINIMIZE_NORMAL 150      // 26 x 34 each
#define IDB_PNG_MINIMIZE_HOVER 151
#define IDB_PNG_MINIMIZE_PRESSED 152
#define IDB_PNG_MINIMIZE_DISABLED 153
#define IDB_PNG_MORE_SOLUTIONS_NORMAL 154 // 266 x 60 each, "更多方案"
#define IDB_PNG_MORE_SOLUTIONS_HOVER 155
#define IDB_PNG_MORE_SOLUTIONS_PRESSED 156
#define IDB_PNG_MORE_SOLUTIONS_DISABLED 157
#define IDB_PNG_MORE_TOOLS_NORMAL 158    // 58 x 18 each, "更多工具"
#define IDB_PNG_MORE_TOOLS_HOVER 159
#define IDB_PNG_MORE_TOOLS_PRESSED 160
#define IDB_PNG_MORE_TOOLS_DISABLED 161
#define IDB_PNG_PROMPT_HOST 162          // 330 x 150, per-pixel alpha
#define IDB_PNG_PROMPT_CHILD 163         // 320 x 140
#define IDB_PNG_CANCEL_NORMAL 164        // 55 x 24 each, "取消"
#define IDB_PNG_CANCEL_HOVER 165
#define IDB_PNG_CANCEL_PRESSED 166
#define IDB_PNG_PROMPT_CLOSE_NORMAL 167  // 12 x 12 each
#define IDB_PNG_PROMPT_CLOSE_HOVER 168
#define IDB_PNG_PROMPT_CLOSE_PRESSED 169
#define IDB_PNG_NO_NORMAL 170            // 55 x 24 each, "否"
#define IDB_PNG_NO_HOVER 171
#define IDB_PNG_NO_PRESSED 172
#define IDB_PNG_CONFIRM_NORMAL 173       // 55 x 24 each, "确认"
#define IDB_PNG_CONFIRM_HOVER 174
#define IDB_PNG_CONFIRM_PRESSED 175
#define IDB_PNG_YES_NORMAL 176           // 55 x 24 each, "是"
#define IDB_PNG_YES_HOVER 177
#define IDB_PNG_YES_PRESSED 178
#define IDB_PNG_FEEDBACK_HOST 179        // 410 x 479, per-pixel alpha
#define IDB_PNG_FEEDBACK_CHILD 180       // 400 x 468, the question drawn in
#define IDB_PNG_FEEDBACK_CLOSE_NORMAL 181 // 12 x 12 each
#define IDB_PNG_FEEDBACK_CLOSE_HOVER 182
#define IDB_PNG_FEEDBACK_CLOSE_PRESSED 183
#define IDB_PNG_FEEDBACK_CLOSE_DISABLED 184
#define IDB_PNG_SOLVED_NORMAL 186        // 266 x 60 each, "解决"
#define IDB_PNG_SOLVED_HOVER 187
#define IDB_PNG_SOLVED_PRESSED 188
#define IDB_PNG_SOLVED_DISABLED 189
#define IDB_PNG_START_STRIP 190          // 1036 x 85: four 259 x 85 states, "开始运行"
#define IDB_PNG_UNSOLVED_NORMAL 191      // 266 x 60 each, "未解决"
#define IDB_PNG_UNSOLVED_HOVER 192
#define IDB_PNG_UNSOLVED_PRESSED 193
#define IDB_PNG_UNSOLVED_DISABLED 194
#define IDB_PNG_TERMS_BACKGROUND 195     // 541 x 402, per-pixel alpha, pointer in the bottom 18 rows
#define IDB_PNG_DONE_ICON 199            // 108 x 108
#define IDB_PNG_ROW_BUTTON_STRIP 200     // 256 x 24: four 64 x 24 states
#define IDB_PNG_INFO_ICON 201            // 32 x 32
#define IDB_PNG_UNINSTALL_STRIP 202      // 632 x 40: four 158 x 40 states, "卸载"
#define IDB_PNG_DEFAULT_PROGRAM_ICON 203 // 64 x 64

// ---- Controls of the templates -------------------------------------------------------------------
#define IDC_STATE_INFO_TEXT 1000        // 129: busy text
#define IDC_MORE_SOLUTIONS 1001         // 131: "更多方案"
#define IDC_FEEDBACK_CLOSE 1002         // 131: close
#define IDC_SOLVED 1003                 // 131: "解决"
#define IDC_UNSOLVED 1004               // 131: "未解决"
#define IDC_CLOSE_BUTTON 1005           // 133 and 137: close
#define IDC_PROMPT_MESSAGE 1006         // 133: message text
#define IDC_PROMPT_FIRST 1007           // 133: first button
#define IDC_PROMPT_SECOND 1008          // 133: second button
#define IDC_TERMS_RICHEDIT 1009         // 135: rich-edit box
#define IDC_MINIMIZE_BUTTON 1010        // 137: minimise
#define IDC_MORE_TOOLS 1011             // 137: "更多工具"
#define IDC_AGREE_CHECK 1012            // 137: "同意"
#define IDC_VERSION_LABEL 1013          // 137: version label
#define IDC_START_BUTTON 1014           // 137: "开始运行"
#define IDC_TERMS_LABEL 1015            // 137: terms label
#define IDC_FEEDBACK_LABEL 1016         // 137: "反馈问题"
#define IDC_FUNCTION_VERSION_LABEL 1017 // 138: version label
#define IDC_FUNCTION_CLOSE 1018         // 138: close
#define IDC_FUNCTION_MINIMIZE 1019      // 138: minimise
#define IDC_FUNCTION_TAB 1020           // 138: tab control
#define IDC_SMART_UNINSTALL_BUTTON 1021 // 198: "卸载"
#define IDC_FOUND_LABEL 1022            // 197: "检测到已安装软件"
#define IDC_FOUND_COUNT 1023            // 197: count
#define IDC_FOUND_UNIT 1024             // 197: "款"
#define IDC_SOFTWARE_LIST 1026          // 197: list of programs
#define IDC_DROP_EDIT 1027              // 198: drop box
#define IDC_RESULT_TITLE 1028           // 198: "文件和文件夹分析结果（"
#define IDC_RESULT_COUNT 1029           // 198: count
#define IDC_RESULT_LIST 1030            // 198: result list
#define IDC_RESULT_BRACKET 1031         // 198: "）"
#define IDC_STANDARD_UNINSTALL_NOTICE 1032 // 198: standard-uninstall notice

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#ifndef RC_INVOKED
namespace tsu::res {
// The wait animation is a named resource of the custom type "GIF" (32 x 32, 12 frames of 50 ms).
inline constexpr wchar_t kWaitGifName[] = L"IDR_WAIT_GIF";
inline constexpr wchar_t kGifResourceType[] = L"GIF";
inline constexpr wchar_t kPngResourceType[] = L"PNG";
// The window class of the list control that templates 197 and 198 create by name.
inline constexpr wchar_t kMultilineListClass[] = L"CMultilineList";
} // namespace tsu::res
#endif
