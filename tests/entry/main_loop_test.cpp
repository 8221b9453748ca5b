// The main loop and window procedure on SDL's event queue (no display).
#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "platform/main_loop.h"
#include "platform/message_box.h"
#include "platform/quit_request.h"
#include "platform/window_events.h"

namespace {

class MainLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    ClearRecordedMessageBoxes();
    ClearQuitRequest();
    g_appActive = 1;
    hooks_.activate = [this](bool a) { activations_.push_back(a); };
    hooks_.paint = [this] { ++paints_; };
  }
  void TearDown() override {
    ClearQuitRequest();
    g_appActive = 1;
    SDL_Quit();
  }
  static void PushWindowEvent(Uint8 what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    SDL_PushEvent(&e);
  }
  MainLoopHooks hooks_;
  std::vector<bool> activations_;
  int paints_ = 0;
};

TEST_F(MainLoopTest, CloseNeverEndsTheGameAndInactiveFramesWait) {
  int frames = 0;
  int framesWhileInactive = 0;
  hooks_.runFrame = [&] {
    ++frames;
    if (!g_appActive) ++framesWhileInactive;
    return frames == 3 ? 1 : 0;  // the main menu's quit
  };
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);  // active: nothing at all
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);  // no change, no second call
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);       // inactive: where to quit
  PushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
  std::thread later([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  });
  RunMainLoop(hooks_);
  later.join();

  EXPECT_EQ(frames, 3);
  EXPECT_EQ(framesWhileInactive, 0);
  EXPECT_EQ(activations_, (std::vector<bool>{false, true}));
  EXPECT_EQ(g_appActive, 1);
  EXPECT_EQ(paints_, 1);
  ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
  EXPECT_EQ(RecordedMessageBoxes()[0].text, "Please quit Kelvanthrop in the game main menu.");
  EXPECT_EQ(RecordedMessageBoxes()[0].caption, "KELVANTHROP");
}

TEST_F(MainLoopTest, AQuitRequestEndsTheLoopEvenWhileInactive) {
  int frames = 0;
  hooks_.runFrame = [&] {
    ++frames;
    return 0;
  };
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  std::thread later([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    RequestQuit();  // what SIGTERM does
  });
  RunMainLoop(hooks_);
  later.join();
  EXPECT_EQ(frames, 0);
  EXPECT_TRUE(IsQuitRequested());

  // A fatal start-up error tells the player and ends the loop the same way.
  ClearQuitRequest();
  g_appActive = 1;
  hooks_.runFrame = [&] {
    if (++frames == 2) FatalExit();
    return 0;
  };
  RunMainLoop(hooks_);
  EXPECT_EQ(frames, 2);
  ASSERT_FALSE(RecordedMessageBoxes().empty());
  EXPECT_EQ(RecordedMessageBoxes().back().text, "DirectDraw init failed.");
  EXPECT_EQ(RecordedMessageBoxes().back().caption, "ERROR");
}

TEST_F(MainLoopTest, SigtermOnlyRaisesTheQuitRequest) {
  InstallQuitSignalHandlers();
  ::raise(SIGTERM);
  EXPECT_TRUE(IsQuitRequested());
  ClearQuitRequest();
  ::raise(SIGINT);
  EXPECT_TRUE(IsQuitRequested());
  ::signal(SIGTERM, SIG_DFL);
  ::signal(SIGINT, SIG_DFL);
}

}  // namespace
