#include "frontend/computer_training.h"

#include <cstdlib>

#include "base/debug.h"
#include "base/player_records.h"
#include "frontend/new_game_screen.h"
#include "net/net_session.h"
#include "screen/game_screen.h"
#include "shell/screen_factory.h"

namespace {

int g_event = 0;
bool g_started = false;

// The first time it asks for the training; when the shell comes back to the
// menu after it, the program ends.
class TrainingMenu : public GameScreen {
 public:
  TrainingMenu() : GameScreen(0) {
    if (g_netSession) g_netSession->Close();
  }
  int Run() override {
    if (g_started) return -1;
    g_started = true;
    return 1;
  }
};

// Four computer players on this machine alone.
class ComputerSeats : public GameScreen {
 public:
  ComputerSeats() : GameScreen(0) {
    for (int i = 0; i < kMaxPlayers; ++i) {
      g_players[i] = PlayerRecord{};
      g_players[i].human = 0;
    }
    FillComputerPlayers(g_players);
    g_playMode = 0;
    g_localPlayers[0] = 0;
    g_localPlayers[1] = 1;
    if (g_netSession) {
      g_netSession->SelectProvider(0, 0);
      g_netSession->AddLocalPlayer(g_players[0].name, 0);
    }
    DebugPrintf("computer training of event %d starts\n", g_event);
  }
  int Run() override { return 1; }
};

class NoCutScene : public GameScreen {
 public:
  NoCutScene() : GameScreen(0) {}
  int Run() override { return 1; }
};

}  // namespace

bool RegisterComputerTrainingIfAsked() {
  const char* value = std::getenv("KELVANTHROP_COMPUTER_TRAINING");
  const int event = value ? std::atoi(value) : 0;
  if (event < 1 || event > 10) return false;
  g_event = event;
  RegisterVideoScreen([](const VideoClip&) -> GameScreen* { return new NoCutScene(); });
  RegisterMainMenuScreen([] { return new TrainingMenu(); });
  RegisterNewGameScreen([] { return new ComputerSeats(); });
  RegisterTrainingChoice([] { return g_event; });
  return true;
}
