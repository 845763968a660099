#include "uninstall/core/InterpreterCommand.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(InterpreterCommandTest, InterpreterByItsPathWithoutAutoRun) {
    EXPECT_EQ(MakeInterpreterCommandLine(L"C:\\Windows\\system32\\cmd.exe", L"echo a & echo b"),
              L"\"C:\\Windows\\system32\\cmd.exe\" /D /C echo a & echo b");
    EXPECT_EQ(MakeInterpreterCommandLine(L"C:\\Windows\\system32\\cmd.exe",
                                         L"C:\\Windows\\system32\\reg.exe delete \"HKEY_CURRENT_USER\\S\\A B\" /f"),
              L"\"C:\\Windows\\system32\\cmd.exe\" /D /C C:\\Windows\\system32\\reg.exe delete "
              L"\"HKEY_CURRENT_USER\\S\\A B\" /f");
}

} // namespace
} // namespace tsu
