// The command line: argument tail, switch and window handles.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "host/host_state.h"
#include "host/launch.h"

namespace {

TEST(ArgumentTail, StepsOverTheProgramNameAndBlanks) {
  const struct { const char* line; const char* tail; } cases[] = {
      {"ombrel.scr /s", "/s"},
      {"ombrel.scr", ""},
      {"\"C:\\Program Files\\ombrel.scr\" /p 612", "/p 612"},
      {"\"C:\\saver.scr\"/s", "/s"},          // no blank after the closing quote
      {"\"C:\\unclosed.scr /s", ""},          // an unclosed quote takes the whole line
      {"\"\"", ""},
      {"", ""},
      {"  /c:5", "/c:5"},                     // a leading blank skips no name
      {"saver.scr \t\x01 /a 3", "/a 3"},      // every code 1..32 is a blank
      {"sa\xe9ver.scr /s", "/s"},             // bytes above 127 are not blanks
  };
  for (const auto& c : cases) EXPECT_STREQ(FindArgumentTail(c.line), c.tail) << c.line;
}

TEST(LaunchSwitch, ChoosesTheModeByItsLetter) {
  const struct { const char* tail; LaunchMode mode; const char* text; } cases[] = {
      {"", LaunchMode::kConfigure, ""},
      {" -/ //", LaunchMode::kConfigure, ""},
      {"/s", LaunchMode::kSaver, ""},
      {"/S anything", LaunchMode::kSaver, " anything"},
      {"-s", LaunchMode::kSaver, ""},
      {"s", LaunchMode::kSaver, ""},
      {"//-s", LaunchMode::kSaver, ""},
      {"/p 612", LaunchMode::kPreview, "612"},
      {"/p612", LaunchMode::kPreview, "612"},
      {"/P   612 x", LaunchMode::kPreview, "612 x"},
      {"/l 612", LaunchMode::kPreview, "612"},
      {"/p:612", LaunchMode::kPreview, ":612"},
      {"/c:612", LaunchMode::kConfigureSwitch, ":612"},
      {"/c 612", LaunchMode::kConfigureSwitch, " 612"},
      {"/C", LaunchMode::kConfigureSwitch, ""},
      {"/a 612", LaunchMode::kChangePassword, "612"},
      {"/x", LaunchMode::kInvalid, "x"},
      {"/?", LaunchMode::kInvalid, "?"},
      {"/\ts", LaunchMode::kInvalid, "\ts"},
      {"/5", LaunchMode::kInvalid, "5"},
      {"/\xd3", LaunchMode::kInvalid, "\xd3"},
  };
  for (const auto& c : cases) {
    const LaunchSwitch s = ReadSwitch(c.tail);
    EXPECT_EQ(s.Mode, c.mode) << c.tail;
    EXPECT_STREQ(s.Text, c.text) << c.tail;
  }
}

TEST(WindowHandle, TakesTheLeadingDecimalDigitsWrapping) {
  const struct { const char* text; DWORD handle; } cases[] = {
      {"612", 612}, {"612 and more", 612}, {"", 0}, {":612", 0}, {" 612", 0}, {"-5", 0},
      {"0x1F", 0}, {"4294967295", 4294967295u}, {"4294967297", 1}, {"007", 7},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseWindowHandle(c.text), c.handle) << c.text;
}

TEST(WindowHandle, NamesOnlyAnExistingWindow) {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(window);
  const std::string digits = std::to_string(reinterpret_cast<ULONG_PTR>(window));
  EXPECT_EQ(ExistingWindow(digits.c_str()), window);
  EXPECT_EQ(ExistingWindow((digits + " and more").c_str()), window);
  EXPECT_EQ(ExistingWindow((":" + digits).c_str()), nullptr);
  EXPECT_EQ(ExistingWindow("0"), nullptr);
  EXPECT_EQ(ExistingWindow(""), nullptr);
  DestroyWindow(window);
  EXPECT_EQ(ExistingWindow(digits.c_str()), nullptr) << "a destroyed window";
}

TEST(Launch, PreviewAndPasswordNeedAUsableWindow) {
  InitHostState(GetModuleHandleA(nullptr));
  EXPECT_EQ(SaverLaunch(GetModuleHandleA(nullptr), "/p"), -1);
  EXPECT_EQ(SaverLaunch(GetModuleHandleA(nullptr), "/p 0"), -1);
  EXPECT_EQ(SaverLaunch(GetModuleHandleA(nullptr), "/p:612"), -1);
  EXPECT_EQ(SaverLaunch(GetModuleHandleA(nullptr), "/x"), -1);
  // Not the 95/98 family here: changing the password is not offered.
  EXPECT_FALSE(SaverHostState.OnWindows9x);
  EXPECT_EQ(SaverLaunch(GetModuleHandleA(nullptr), "/a 612"), -1);
}

}  // namespace
