// DefaultSaverProc's input rules, with real windows and the real cursor.
#include <gtest/gtest.h>

#include <windows.h>

#include "host/default_proc.h"
#include "host/host_state.h"
#include "tests/support/default_proc_fixture.h"

namespace {

class DefaultProcTest : public DefaultProcFixture {};

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

}  // namespace
