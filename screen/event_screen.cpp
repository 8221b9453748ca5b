#include "screen/event_screen.h"

#include "base/player_records.h"
#include "graphics/clipper.h"
#include "screen/game_screen_services.h"
#include "screen/title_handshake.h"
#include "sound/sound.h"

int EventScreen::Run() {
  if (quit_) return LeaveFrame();
  HandleChatInput();
  if (!FrameDue()) return 0;
  if (spec_.feedStreams && g_soundManager) g_soundManager->FeedAllStreams();
  const int base = GameScreen::Run();
  if (base == -1) {
    MenuLeft();
    return -1;
  }
  if (base == 2) {
    ShellFlip();
    return 0;
  }
  if (spec_.flipFirst) ShellFlip();
  BeforeExchange();
  const int x = ExchangeInput();
  if (x == -1) return -1;
  if (x == 1) return EndHeard();
  return EventFrame();
}

int EventScreen::LeaveFrame() {
  ShellClearDisplay();
  return -1;
}

void EventScreen::TitleFrame(int32_t& phase, const TitleBytes& bytes, const int* players, int count) {
  switch (phase) {
    case kPhaseAnnounce:
      TitleBegin();
      announcerFrames_ = 0;
      phase = kPhaseTitleIn;
      [[fallthrough]];
    case kPhaseTitleIn:
      TitleStep(+1);
      // The announcer's length comes from his file: the same on every
      // machine, whatever its sound device does.
      if (TitleDone(*this, bytes.done, players, count, announcerFrames_, announcerLength_)) {
        if (g_soundManager && titleAnnouncer_ >= 0) g_soundManager->Stop(titleAnnouncer_);
        phase = kPhaseTitleOut;
      }
      break;
    case kPhaseTitleOut:
      if (TitleStep(-1) == 0) {
        PutOutByte(bytes.ready, 1);
        phase = kPhaseTitleWait;
      }
      break;
    case kPhaseTitleWait:
      ShellFlip();
      TitleWaitFrame();
      if (AllPlayersByteAre(bytes.ready, 1)) {
        TitleEnd();
        if (g_soundManager && titleAnnouncer_ >= 0) g_soundManager->Unload(titleAnnouncer_);
        phase = kPhasePlay;
      }
      break;
    default:
      break;
  }
}

void ReleaseClipper(DDClipper*& c) {
  if (c) c->Release();
  c = nullptr;
}

void FreeSound(int32_t& slot) {
  if (g_soundManager && slot >= 0) {
    g_soundManager->Unload(slot);
    g_soundManager->FreeSlot(slot);
  }
  slot = -1;
}

int LocalPlayer(int which) {
  const int32_t s = g_localPlayers[which & 1];
  return (s >= 0 && s < 4) ? s : 0;
}
