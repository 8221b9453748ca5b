#include "frontend/front_end.h"

#include "frontend/ending_screen.h"
#include "frontend/hall_of_fame.h"
#include "frontend/main_menu_screen.h"
#include "frontend/new_game_screen.h"
#include "frontend/shop_screen.h"
#include "shell/screen_factory.h"

void RegisterFrontEndScreens() {
  RegisterMainMenuScreen([] { return new MainMenuScreen(); });
  RegisterNewGameScreen([] { return new NewGameScreen(); });
  RegisterShopScreen([] { return new ShopScreen(); });
  RegisterEndingScreen([](int afterChampionship) { return new EndingScreen(afterChampionship); });
  RegisterTrainingChoice([] { return LastMenuTrainingChoice(); });
  RegisterShellService(
      [] {
        if (!g_hallOfFame) g_hallOfFame = new HallOfFameTopFive();
      },
      [] {
        delete g_hallOfFame;
        g_hallOfFame = nullptr;
      });
}
