#pragma once
// VideoScreen: the cut-scene screen (intro, credits, the clips between
// events). It switches the display to a mode suited to video, silences the
// game's sound, plays the clip with one of the two players and ends when
// the clip has played out or a player presses any action.
#include <memory>
#include <string>

#include "screen/game_screen.h"
#include "video/avi_draw_player.h"
#include "video/avi_window.h"

class DDSurface;

class VideoScreen : public GameScreen {
 public:
  // path: the clip; x, y, width, height: where it shows when not full
  // screen; allowFullScreen lets FULLSCREENVIDEO take effect;
  // backgroundPath: a .bmp still behind the clip (null or "" for none);
  // useDrawPlayer: 1 the draw-procedure player, 0 the window player.
  VideoScreen(const char* path, int x, int y, int width, int height, int allowFullScreen,
              const char* backgroundPath, int useDrawPlayer);
  ~VideoScreen() override;

  // 0 while the clip plays, 1 when the cut-scene is over. Each call is one
  // tick of about 100 ms, within which every picture is shown when it is due.
  int Run() override;
  void OnDeactivate() override;
  void OnActivate() override;

  // Inspection.
  int IsOpened() const { return opened_; }
  int UsesDrawPlayer() const { return useDrawPlayer_; }
  AviDrawPlayer& DrawPlayer() { return drawPlayer_; }
  AviWindow* WindowPlayer() { return windowPlayer_.get(); }
  DDSurface* Background() { return background_; }

 private:
  void PaintBackground();
  // Shows the pictures due within the next `ms` of the clock.
  void Tick(int ms);

  AviDrawPlayer drawPlayer_;
  DDSurface* background_ = nullptr;
  int useDrawPlayer_;
  int opened_ = 0;
  std::unique_ptr<AviWindow> windowPlayer_;
};

// Puts the cut-scene screen into the shell's screen table.
void RegisterVideoScreens();
