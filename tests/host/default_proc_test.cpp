// DefaultSaverProc's input rules and the password check's close decision,
// with real windows, the real cursor and a verify entry of the test's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "host/default_proc.h"
#include "host/host_state.h"
#include "host/password.h"
#include "tests/support/default_proc_window.h"

namespace {

// A reset to {} is the state of a fresh process: no prompt has run yet.
static_assert(SaverHostStateRecord{}.LastVerifyTick == kNoVerifyYet);

class DefaultProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SaverHostState = {};
    SaverHostState.SaverInstance = GetModuleHandleA(nullptr);
    window_ = CreateDefaultProcWindow();
    ASSERT_TRUE(window_);
    DropCloseRequests();
    SetCursorPos(200, 200);
    GetCursorPos(&SaverHostState.CursorAnchor);
  }
  void TearDown() override {
    SaverHostState.CloseApproved = TRUE;  // let the window go without questions
    DestroyWindow(window_);
  }

  // Takes the queued close requests off the queue and counts them.
  int DropCloseRequests() {
    int n = 0;
    MSG m;
    while (PeekMessageA(&m, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++n;
    return n;
  }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return DefaultSaverProc(window_, message, wParam, lParam);
  }

  // Moves the real cursor by (dx, dy) and reports the move to the handler.
  int MoveBy(int dx, int dy) {
    POINT p;
    GetCursorPos(&p);
    SetCursorPos(p.x + dx, p.y + dy);
    Send(WM_MOUSEMOVE);
    return DropCloseRequests();
  }

  HWND window_ = nullptr;
};

TEST_F(DefaultProcTest, PressingKeysAndButtonsRequestsAClose) {
  for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN,
                       WM_POWERBROADCAST}) {
    Send(message);
    EXPECT_EQ(DropCloseRequests(), 1) << "message " << message;
  }
  Send(WM_ACTIVATEAPP, FALSE);
  EXPECT_EQ(DropCloseRequests(), 1);
  Send(WM_POWER, PWR_CRITICALRESUME);
  EXPECT_EQ(DropCloseRequests(), 1);
}

TEST_F(DefaultProcTest, ReleasesWheelCharactersAndOtherEventsDoNotClose) {
  for (UINT message : {WM_KEYUP, WM_SYSKEYUP, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP, WM_LBUTTONDBLCLK,
                       WM_MOUSEWHEEL, WM_CHAR})
    Send(message);
  Send(WM_ACTIVATEAPP, TRUE);
  Send(WM_POWER, 1);
  Send(WM_POWER, 2);
  EXPECT_EQ(DropCloseRequests(), 0);
  EXPECT_EQ(Send(WM_SETCURSOR), 1);
}

TEST_F(DefaultProcTest, MovementClosesBeyondFourPixelsFromTheAnchor) {
  EXPECT_EQ(MoveBy(3, 1), 0);   // distance 4
  SetCursorPos(200, 200);
  EXPECT_EQ(MoveBy(3, 2), 1);   // distance 5
  EXPECT_EQ(SaverHostState.CursorAnchor.x, 203);
  EXPECT_EQ(SaverHostState.CursorAnchor.y, 202);

  // Small moves add up: the anchor stays until a close is requested.
  EXPECT_EQ(MoveBy(3, 0), 0);
  EXPECT_EQ(MoveBy(3, 0), 1);
  EXPECT_EQ(MoveBy(-2, -2), 0);
  EXPECT_EQ(MoveBy(-2, -1), 1);
}

TEST_F(DefaultProcTest, PreviewAndApprovedCloseIgnoreInput) {
  SaverHostState.InPreview = TRUE;
  Send(WM_KEYDOWN);
  Send(WM_LBUTTONDOWN);
  EXPECT_EQ(MoveBy(40, 40), 0);
  SaverHostState.InPreview = FALSE;
  SaverHostState.CloseApproved = TRUE;
  Send(WM_KEYDOWN);
  EXPECT_EQ(DropCloseRequests(), 0);
}

TEST_F(DefaultProcTest, OutsideTheFamilyCloseGoesStraightToTheSystem) {
  Send(WM_CLOSE);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_FALSE(SaverHostState.CloseApproved);
}

// A verify entry of the test's own, scripted per call.
std::vector<BOOL> answers;
int prompts = 0;
BOOL reentered = TRUE;

BOOL WINAPI ScriptedVerify(HWND owner) {
  ++prompts;
  reentered = VerifyClose(owner);  // a close request while the prompt is up
  const BOOL answer = answers.empty() ? TRUE : answers.front();
  if (!answers.empty()) answers.erase(answers.begin());
  return answer;
}

class VerifyCloseTest : public DefaultProcTest {
 protected:
  void SetUp() override {
    DefaultProcTest::SetUp();
    SaverHostState.OnWindows9x = TRUE;
    SaverHostState.VerifyPasswordEntry = ScriptedVerify;
    prompts = 0;
    reentered = TRUE;
  }
};

TEST_F(VerifyCloseTest, RefusedPromptKeepsTheWindowAndQuietensFor200ms) {
  answers = {FALSE, TRUE};
  SetCursorPos(300, 300);
  EXPECT_EQ(Send(WM_CLOSE), 0);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(prompts, 1);
  EXPECT_FALSE(reentered) << "a close during the prompt is refused without a second prompt";
  EXPECT_FALSE(SaverHostState.CloseApproved);
  EXPECT_FALSE(SaverHostState.VerifyInProgress);
  EXPECT_EQ(SaverHostState.CursorAnchor.x, 300) << "a refusal takes a fresh anchor";

  // Within 200 ms of the prompt's end: refused without asking.
  EXPECT_FALSE(VerifyClose(window_));
  EXPECT_EQ(prompts, 1);

  Sleep(250);
  EXPECT_TRUE(VerifyClose(window_));
  EXPECT_EQ(prompts, 2);
  EXPECT_TRUE(SaverHostState.CloseApproved);
}

TEST_F(VerifyCloseTest, AcceptedPromptLetsTheCloseDestroyTheWindow) {
  answers = {TRUE};
  Send(WM_CLOSE);
  EXPECT_EQ(prompts, 1);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(SaverHostState.CloseApproved);
}

TEST_F(VerifyCloseTest, WithoutProtectionTheFirstCloseIsApproved) {
  SaverHostState.VerifyPasswordEntry = nullptr;
  EXPECT_EQ(Send(kVerifyPasswordRequest), 1);
  Send(WM_CLOSE);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(SaverHostState.CloseApproved);
}

TEST_F(VerifyCloseTest, InputIsIgnoredWhileThePromptIsUp) {
  SaverHostState.VerifyInProgress = TRUE;
  Send(WM_KEYDOWN);
  EXPECT_EQ(MoveBy(50, 50), 0);
  // The verify request itself is still answered.
  answers = {FALSE};
  EXPECT_EQ(Send(kVerifyPasswordRequest), 0);
  EXPECT_EQ(prompts, 1);
  SaverHostState.VerifyInProgress = FALSE;
}

TEST_F(VerifyCloseTest, AutoPlayQueryIsCancelledOnlyWhileProtected) {
  SaverHostState.AutoPlayQueryMessage = RegisterWindowMessageA("QueryCancelAutoPlay");
  EXPECT_EQ(Send(SaverHostState.AutoPlayQueryMessage), 1);
  EXPECT_EQ(DropCloseRequests(), 1);
  SaverHostState.VerifyPasswordEntry = nullptr;
  EXPECT_EQ(Send(SaverHostState.AutoPlayQueryMessage), 0);
  EXPECT_EQ(DropCloseRequests(), 1);
}

TEST(TicksSince, HoldsAcrossTheWrapOfTheMillisecondCounter) {
  EXPECT_EQ(TicksSince(1000, 1150), 150u);
  EXPECT_EQ(TicksSince(0xFFFFFF9Cu, 100), 200u);
  EXPECT_EQ(TicksSince(0xFFFFFFF0u, 0x10), 0x20u);
}

}  // namespace
