// The new-game screen as the network lobby: what the screen does differently
// while g_playMode is 2. The host makes the session when its player's name
// is confirmed, clients take their slot from it; each step of a player is
// told to the others, a client's athlete is claimed from the host, and the
// host starts the game for all with one seed.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/clock.h"
#include "base/string.h"
#include "frontend/lobby.h"
#include "frontend/new_game_screen.h"
#include "frontend/screen_kit.h"
#include "net/net_session.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "screen/game_screen_services.h"

namespace {

const char* LobbyText(unsigned id, const char* fallback) {
  const char* t = GetStringText(id);
  return t && *t ? t : fallback;
}

void NetworkErrorBox(int error) {
  unsigned id = static_cast<unsigned>(NetErrorTextId(error));
  ShowMessageBox(LobbyText(id, "Unknown network error"), LobbyText(1010, "Kelvanthrop"), kMbIconExclamation);
}

void LostBox() {
  ShowMessageBox(LobbyText(10539, "The connection to the session has been lost."), LobbyText(1010, "Kelvanthrop"),
                 kMbIconExclamation);
}

}  // namespace

void NewGameScreen::StartLobby() {
  // Nobody yet: every slot empty until the session gives this machine one.
  for (PlayerRecord& p : g_players) {
    std::memset(&p, 0, sizeof p);
    p.country = kLobbyCodeEmpty;
    p.place = -1;
  }
  g_localPlayers[0] = -1;
  g_localPlayers[1] = -1;
  // A machine that has joined a session from the menu is a client (it knows
  // the host's slot from the welcome); one that chose to create makes its
  // session with its player's name.
  hosting_ = !g_netSession || g_netSession->IsHost() || g_netSession->HostSlot() < 0;
  lobby_ = std::make_unique<NetLobby>(LobbyContext::Globals());
}

bool NewGameScreen::LobbyHosting() const { return g_playMode == 2 && hosting_; }

// This machine's player in the session: made once, under the typed name.
bool NewGameScreen::LobbyJoin(const char* name, int wantSlot) {
  if (slot_ >= 0) return true;
  if (!g_netSession) {
    LostBox();
    return false;
  }
  if (hosting_ && !g_netSession->IsHost()) {
    int error = g_netSession->CreateSession(name);
    if (error != kNetOk) {
      NetworkErrorBox(error);
      return false;
    }
  }
  int slot = g_netSession->AddLocalPlayer(name, hosting_ ? wantSlot : -1);
  if (slot < 0) {
    LostBox();
    return false;
  }
  slot_ = slot;
  g_localPlayers[0] = slot;
  lobby_->SetOwnSlot(slot);
  return true;
}

bool NewGameScreen::LobbyConfirm() {
  switch (state_) {
    case 1: {
      if (entry_.empty() || entry_[0] == ' ' || entry_[0] == '\r') return false;  // refused as always
      String upper(entry_.c_str());
      upper.MakeUpper();
      if (!LobbyJoin(upper.c_str(), -1)) {
        leave_ = 1;
        return true;
      }
      return false;  // the name is taken into the record as always
    }
    case 2:
      if (hosting_) return false;  // the host decides for itself by the same rule
      // A client asks the host for the athlete; the answer moves it on.
      if (slot_ >= 0 && !taken_ && !CharacterTaken(character_)) {
        PlayShared(g_selectSound);
        lobby_->SendClaim(character_);
      } else {
        PlayShared(g_warningSound);
      }
      return true;
    case 4:
      if (!hosting_) return true;  // the host starts the game
      {
        int joining = lobby_->JoiningSlot();
        if (joining >= 0) {
          char text[160];
          std::snprintf(text, sizeof text, LobbyText(1042, lobby_text::kPlayerJoining),
                        g_players[joining].name);
          ShowMessageBox(text, LobbyText(1010, "Kelvanthrop"), kMbIconExclamation);
          return true;
        }
      }
      if (loaded_) {
        lobby_->FillAbsentFromSaved();
      } else {
        FillComputerPlayers(g_players);
      }
      PlayShared(g_selectSound);
      lobby_->SendStart(TimeGetTime());
      state_ = 5;
      return true;
    default:
      return false;
  }
}

void NewGameScreen::LobbyConfirmed(int before) {
  // Every step a player takes is told to the others.
  if ((before == 1 && state_ == 2) || (before == 2 && state_ == 7) || (before == 3 && state_ == 4))
    lobby_->SendOwnRecord();
}

int NewGameScreen::LobbyFrame() {
  LobbyPoll p = lobby_->Poll();
  if (p.hostLeft && !p.removed) {
    ShowMessageBox(LobbyText(10503, lobby_text::kHostLeft), LobbyText(1010, "Kelvanthrop"), kMbIconExclamation);
    ShellCloseSession();
    return -1;
  }
  if (p.removed || p.shutOut) {
    // Taken out of the lobby by the host, or the game started before this
    // machine's player had joined it.
    LostBox();
    ShellCloseSession();
    return -1;
  }
  // The host left and this machine has the lowest slot now: it answers the
  // claims and starts the game from here on.
  if (!hosting_ && slot_ >= 0 && g_netSession && g_netSession->IsHost()) hosting_ = true;
  if (p.claimGranted && state_ == 2 && slot_ >= 0) {
    character_ = g_players[slot_].character;
    state_ = 7;
  }
  // The host's saved game moves a player of this machine on to "ready";
  // one still typing his name keeps typing (it has no place in the game
  // yet), and gets his saved record when his name comes to the host.
  if (p.savedGame && slot_ >= 0) {
    loaded_ = 1;
    entry_ = g_players[slot_].name;
    state_ = 4;
  }
  if (hosting_ && state_ == 4 && !IsChatOpen()) LobbyRemoveKeys();
  if (p.started) state_ = 5;
  return 0;
}

// The host takes a machine out of the lobby with the number of one of its
// players' boxes (1 to 4, left to right), as the line under the start
// prompt says: one that never finishes joining would keep the game from
// starting for good.
void NewGameScreen::LobbyRemoveKeys() {
  for (char c = ReadTypedChar(); c != 0; c = ReadTypedChar()) {
    const int slot = c - '1';
    if (slot < 0 || slot >= kMaxPlayers || slot == slot_) continue;
    if (g_netSession && g_netSession->GetSlotState(slot) == kSlotRemote && lobby_->RemoveMachine(slot))
      PlayShared(g_warningSound);
  }
}

bool NewGameScreen::LobbyCanRemove() const {
  if (!LobbyHosting() || !g_netSession) return false;
  for (int s = 0; s < kMaxPlayers; ++s)
    if (g_netSession->GetSlotState(s) == kSlotRemote) return true;
  return false;
}

int NewGameScreen::LobbyFinish() {
  lobby_->FinishStart();
  return loaded_ ? 2 : 1;
}

int NewGameScreen::LobbyLoadGame(const SaveGameRecord& rec) {
  PlayerRecord saved[kMaxPlayers];
  std::memcpy(saved, rec.players, sizeof saved);
  int own = rec.localPlayers[0];
  if (slot_ < 0) {
    if (!LobbyJoin(saved[own].name, own)) return -1;
  }
  if (slot_ != own) {
    // This machine's player already holds another slot: his saved record
    // moves there.
    PlayerRecord t = saved[own];
    saved[own] = saved[slot_];
    saved[slot_] = t;
  }
  saved_ = rec;
  std::memcpy(saved_.players, saved, sizeof saved);
  lobby_->SetHostedSavedGame(rec.eventIndex, rec.trainingEvent, saved);
  for (int s = 0; s < kMaxPlayers; ++s)
    if (saved[s].human == 0 || s == slot_) g_players[s] = saved[s];
  g_eventIndex = rec.eventIndex;
  g_trainingEvent = rec.trainingEvent;
  entry_ = g_players[slot_].name;
  loaded_ = 1;
  state_ = 4;
  lobby_->HandOutSavedGame();
  lobby_->SendOwnRecord();
  return 0;
}
