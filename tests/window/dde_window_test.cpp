// The DDE server's life on the real window: Ignore DDE starts and stops it,
// and the window's destruction stops it while the window still exists.
#include "viewer/dde/win32/dde_server.h"
#include "window_fixture.h"

namespace zorvo {
namespace {

using DdeServerWindow = WindowTest;

TEST_F(DdeServerWindow, IgnoreDdeStartsAndStopsIt) {
  Start();
  ASSERT_EQ(app().doc.view.ddeState, 2);
  for (const int state : {0, 2, 0}) {
    Command(IDM_IGNOREDDE);
    EXPECT_EQ(app().doc.view.ddeState, state);
    EXPECT_EQ(DdeServerRunning(), state == 0);
  }
  EXPECT_TRUE(notifier.shown.empty());
  // A window made afresh destroys the one serving.
  Start("", {}, true);
  EXPECT_FALSE(DdeServerRunning());
}

}  // namespace
}  // namespace zorvo
