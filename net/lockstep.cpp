#include "net/lockstep.h"

#include <cstdio>
#include <cstring>

#include "base/clock.h"
#include "net/net_session.h"
#include "platform/quit_request.h"

namespace {

// Stateless, so one shared instance serves every exchange without a UI.
LockStepUi g_headlessUi;

bool ValidPlayer(int s) { return s >= 0 && s < kMaxPlayers; }

// Input map actions 0 up, 1 down, 2 left, 3 right, 4..9 -> state bytes
// 0 right, 1 down, 2 left, 3 up, 4..9.
void PackState(const uint8_t actions[kPlayerStateSize], uint8_t state[kPlayerStateSize]) {
  state[0] = actions[3];
  state[1] = actions[1];
  state[2] = actions[2];
  state[3] = actions[0];
  for (int i = 4; i < kPlayerStateSize; ++i) state[i] = actions[i];
}

int32_t SentPoint(const uint8_t msg[kMsgInputSize]) { return NetGetI32(msg + 8); }

bool AllSet(const bool (&flags)[kMaxPlayers]) {
  for (bool f : flags)
    if (!f) return false;
  return true;
}

}  // namespace

LockStepContext LockStepContext::Globals() {
  LockStepContext c;
  c.session = g_netSession;
  c.players = g_players;
  c.playerStates = g_playerStates;
  c.localPlayers = g_localPlayers;
  c.playMode = &g_playMode;
  c.clock = nullptr;
  return c;
}

LockStep::LockStep(const LockStepContext& ctx, LockStepUi* ui) : ctx_(ctx), ui_(ui ? ui : &g_headlessUi) {
  NetPutI32(lastSent_ + 8, -1);
  NetPutI32(sentBefore_ + 8, -1);
}

LockStep::~LockStep() {
  if (holdsHost_ && ctx_.session) ctx_.session->HoldHostSlot(-1);
  if (marksGame_ && ctx_.session) ctx_.session->SetGameRunning(false);
}

bool LockStep::InGame(int slot) const {
  if (!ValidPlayer(slot)) return false;
  if (viewSet_) return inGame_[slot];
  return ctx_.session && ctx_.session->GetSlotState(slot) != kSlotFree;
}

bool LockStep::Awaited(int slot) const {
  return InGame(slot) && ctx_.session->GetSlotState(slot) != kSlotLocal;
}

// At the start of a wait only the players other machines play are awaited;
// one not in the game (a computer player) counts as having voted on any
// drop; nothing that came early is kept yet.
void LockStep::ResetAwaited(bool (&arrived)[kMaxPlayers], bool (&voted)[kMaxPlayers],
                            bool (&kept)[kMaxPlayers]) {
  for (int s = 0; s < kMaxPlayers; ++s) {
    arrived[s] = !Awaited(s);
    voted[s] = !InGame(s);
    kept[s] = false;
    inputNow_[s] = false;
  }
}

void LockStep::KeepEarly(int slot, const uint8_t* msg) {
  if (earlyKept_[slot]) return;
  earlyKept_[slot] = true;
  std::memcpy(early_[slot], msg, kMsgInputSize);
}

bool LockStep::Network() const { return ctx_.session && ctx_.playMode && *ctx_.playMode == 2; }

int LockStep::OwnSlot() const {
  int s = ctx_.localPlayers ? ctx_.localPlayers[0] : 0;
  return ValidPlayer(s) ? s : 0;
}

uint32_t LockStep::Now() const { return ctx_.clock ? ctx_.clock->NowMs() : TimeGetTime(); }

void LockStep::Sleep(uint32_t ms) {
  if (ctx_.clock) {
    ctx_.clock->SleepMs(ms);
  } else {
    SleepMs(ms);
  }
}

void LockStep::SendMessage(int to, const uint8_t* data, int size) {
  ctx_.session->Send(OwnSlot(), to, data, static_cast<size_t>(size));
}

void LockStep::MakeBlock(uint8_t flag, uint8_t block[kMsgPlayerBlockSize]) const {
  std::memset(block, 0, kMsgPlayerBlockSize);
  NetPutHeader(block, kMsgPlayerBlock, kMsgPlayerBlockSize);
  block[4] = flag;
  for (int i = 0; i < kMaxPlayers; ++i) EncodePlayerRecord(ctx_.players[i], block + 8 + i * kPlayerRecordSize);
}

void LockStep::SendBlock(int to, uint8_t flag) {
  uint8_t block[kMsgPlayerBlockSize];
  MakeBlock(flag, block);
  SendMessage(to, block, kMsgPlayerBlockSize);
}

void LockStep::SendShort(int to, uint8_t type, uint8_t value) {
  uint8_t m[kMsgShortSize] = {};
  NetPutHeader(m, type, kMsgShortSize);
  m[4] = value;
  SendMessage(to, m, kMsgShortSize);
}

std::string LockStep::NameOf(int slot) const {
  const char* n = ctx_.players[slot].name;
  std::string name(n, strnlen(n, sizeof ctx_.players[slot].name));
  if (name.empty() && ctx_.session) name = ctx_.session->GetPlayerName(slot);
  return name;
}

std::string LockStep::BoxText(const char* head, const bool missing[4], bool noResponse) const {
  std::string t = head;
  for (int s = 0; s < kMaxPlayers; ++s)
    if (missing[s]) t += "    " + NameOf(s) + "\n";
  t += lockstep_text::kAgreeToDrop;
  for (int s = 0; s < kMaxPlayers; ++s)
    if (voted_[s] && InGame(s)) t += "    " + NameOf(s) + "\n";
  t += "\n\n";
  t += lockstep_text::kPressD;
  if (noResponse) t += lockstep_text::kPressQ;
  return t;
}

void LockStep::ShowBox(const std::string& text) {
  if (boxShown_ && text == boxText_) return;
  if (!boxShown_) boxOpenedHere_ = true;
  boxShown_ = true;
  boxText_ = text;
  ui_->ShowWaitBox(text);
}

void LockStep::CloseBox() {
  if (!boxShown_) return;
  boxShown_ = false;
  boxText_.clear();
  ui_->CloseWaitBox();
}

void LockStep::CastVote() {
  if (ownVoteCast_) return;
  ownVoteCast_ = true;
  SendShort(kNetToAll, kMsgDropVote, 1);
}

// Once every player this machine hears has voted, it stops listening to the
// players it does not hear (the missing ones among them; one whose input
// for this frame came before he fell silent would be missing in the next).
// Such a player's machine leaves the session when no remaining machine
// hears it any more; one that the others still hear stays, whatever this
// machine thinks of it.
void LockStep::ApplyDropRule(const bool missing[4]) {
  if (dropDone_ || !Network()) return;
  bool cut[kMaxPlayers] = {};
  bool anyMissing = false, allVoted = true;
  for (int s = 0; s < kMaxPlayers; ++s) {
    if (!InGame(s)) continue;
    anyMissing |= missing[s];
    if (!ctx_.session->HearsPlayer(s)) {
      cut[s] = true;
    } else if (!missing[s] && !voted_[s]) {
      allVoted = false;
    }
  }
  bool anyCut = false;
  for (bool c : cut) anyCut |= c;
  if (!anyMissing || !anyCut || !allVoted) return;
  dropDone_ = true;
  for (int s = 0; s < kMaxPlayers; ++s)
    if (cut[s]) ctx_.session->RemoveLocalPlayer(s);
}

// A machine left alone plays on by itself; every other athlete is the
// computer's from now on.
void LockStep::FallBackToLocal() {
  int own = OwnSlot();
  // The own player keeps playing under the own name, in the own slot.
  std::string name = NameOf(own);
  ctx_.session->Close();
  *ctx_.playMode = 0;
  ctx_.session->SelectProvider(0, 0);
  ctx_.session->AddLocalPlayer(name.c_str(), own);
  for (int s = 0; s < kMaxPlayers; ++s) {
    if (s != own) {
      ctx_.players[s].human = 0;
      // Nobody sends these players' input any more: keys they held would
      // stay held for good.
      std::memset(ctx_.playerStates[s], 0, kPlayerStateSize);
    }
    inGame_[s] = s == own;
    leaving_[s] = false;
  }
  holdsHost_ = false;
  gameHost_ = own;
}

void LockStep::ApplyLeft(int slot) {
  char text[96];
  std::snprintf(text, sizeof text, lockstep_text::kPlayerLeft, NameOf(slot).c_str());
  ui_->AddMessage(text);
  ctx_.players[slot].human = 0;
  // His last input would stay in place (keys held for good); every machine
  // clears it at this same frame.
  std::memset(ctx_.playerStates[slot], 0, kPlayerStateSize);
  inGame_[slot] = false;
  leaving_[slot] = false;
  if (holdsHost_ && slot == gameHost_) {
    // The host's part goes to the lowest player still in the game, at this
    // frame on every machine.
    gameHost_ = -1;
    for (int s = 0; s < kMaxPlayers && gameHost_ < 0; ++s)
      if (inGame_[s]) gameHost_ = s;
    ctx_.session->HoldHostSlot(gameHost_);
  }
  if (Network() && ctx_.session->PlayerCount() < 2) FallBackToLocal();
}

int LockStep::HandleSystemMessage(const NetMessage& msg) {
  DecodedNetMessage d;
  if (!DecodeNetMessage(msg.from, msg.data.data(), msg.data.size(), &d)) return 0;
  if (d.type != kMsgPlayerLeft) return ctx_.session ? ctx_.session->OnSystemMessage(msg) : 0;
  if (!ctx_.session) return 1;
  int own = OwnSlot();
  if (d.slot == own) {
    if (Network()) FallBackToLocal();
    ui_->AddMessage(lockstep_text::kDroppedOut);
    for (int s = 0; s < kMaxPlayers; ++s)
      if (s != own) ctx_.players[s].human = 0;
    return 1;
  }
  ApplyLeft(d.slot);
  return 1;
}

// ---------------------------------------------------------------------------
// Waiting for every player at the start of an event.

int LockStep::WaitForPlayers() {
  BeginWaitForPlayers();
  int r;
  while ((r = StepWaitForPlayers()) == kPending) {
  }
  return r;
}

void LockStep::BeginWaitForPlayers() {
  std::memset(outputs_, 0, sizeof outputs_);
  std::memset(ownOutput_, 0, sizeof ownOutput_);
  waitNetwork_ = Network();
  passes_ = 0;
  boxOpenedHere_ = false;
  finalBlockKept_ = false;
  if (!waitNetwork_) return;
  // From here until this screen's end a drop vote means something.
  ctx_.session->SetGameRunning(true);
  marksGame_ = true;
  syncPoint_ = 0;
  syncCheck_ = 0;
  NetPutI32(lastSent_ + 8, -1);
  NetPutI32(sentBefore_ + 8, -1);
  // Who plays this event: everybody in the session now.
  viewSet_ = true;
  for (int s = 0; s < kMaxPlayers; ++s) {
    inGame_[s] = ctx_.session->GetSlotState(s) != kSlotFree;
    leaving_[s] = leavingHost_[s] = false;
  }
  ResetAwaited(answered_, voted_, blockKept_);
  for (bool& e : earlyKept_) e = false;
  ownVoteCast_ = false;
  dropDone_ = false;
  lastPlayed_ = -1;
  endAt_ = -1;
  endHeard_ = endSent_ = false;
  // A new event: what the session answered for the one this machine ended
  // before would now answer requests of this one's frames.
  ctx_.session->ForgetEndedEvent();
  SendBlock(kNetToAll, 0);
}

int LockStep::StepWaitForPlayers() {
  if (!waitNetwork_ || !Network() || AllSet(answered_)) return FinishWait();

  // A pass every 60 ms, sooner when a message comes: sleep on the wire.
  if (ctx_.session->WaitForTraffic(60) < 0) Sleep(60);
  ui_->PumpEvents(true);
  NetMessage m;
  while (Network() && ctx_.session->Receive(&m)) {
    DecodedNetMessage d;
    if (!DecodeNetMessage(m.from, m.data.data(), m.data.size(), &d)) continue;
    switch (d.type) {
      case kMsgPlayerLeft:
        if (d.slot == OwnSlot()) {
          HandleSystemMessage(m);
          for (int s = 0; s < kMaxPlayers; ++s) answered_[s] = true;
        } else if (InGame(d.slot) && blockKept_[d.slot] && ctx_.session->PlayerCount() >= 2) {
          // His block came (so it came to every machine): he plays the
          // event and leaves it after his last input, as in a frame.
          leaving_[d.slot] = true;
          leavingHost_[d.slot] = d.flag != 0;
          answered_[d.slot] = true;
        } else {
          ApplyLeft(d.slot);
          answered_[d.slot] = true;
          voted_[d.slot] = true;
        }
        break;
      case kMsgInput:
        // A machine done waiting has sent its first input: it is the first
        // frame's.
        if (d.syncPoint == syncPoint_) KeepEarly(d.from, m.data.data());
        break;
      case kMsgPlayerBlock:
        answered_[d.from] = true;
        std::memcpy(blocks_[d.from], m.data.data(), kMsgPlayerBlockSize);
        blockKept_[d.from] = true;
        break;
      case kMsgBlockRequest:
        SendBlock(d.from, 0);
        break;
      case kMsgDropVote:
        voted_[d.from] = true;
        break;
      default:
        HandleSystemMessage(m);
        break;
    }
  }
  if (!Network() || AllSet(answered_)) return FinishWait();

  ++passes_;
  if (passes_ % 16 == 0) {
    SendShort(kNetToAll, kMsgBlockRequest, 0);
  }
  bool missing[kMaxPlayers];
  for (int s = 0; s < kMaxPlayers; ++s) missing[s] = !answered_[s];
  if (passes_ == 1) ui_->PrepareWaitMenu();
  ShowBox(BoxText(lockstep_text::kWaitingFor, missing, false));
  // A quit request (SIGINT, SIGTERM) leaves the wait as the player can:
  // a machine that never answers must not keep the program from ending.
  if (ui_->RunWaitFrame() == -1 || IsQuitRequested()) {
    if (boxOpenedHere_) CloseBox();
    return -1;
  }
  if (ui_->TakeKeyPress('D')) CastVote();
  ApplyDropRule(missing);
  return kPending;
}

int LockStep::FinishWait() {
  if (boxOpenedHere_) CloseBox();
  boxOpenedHere_ = false;
  if (waitNetwork_ && Network()) {
    // The host as the game knows it: one who leaves only after his last
    // input keeps the place until then.
    int hostSlot = ctx_.session->HostSlot();
    for (int s = 0; s < kMaxPlayers; ++s)
      if (leaving_[s] && leavingHost_[s]) hostSlot = s;
    const bool host = ValidPlayer(hostSlot) && ctx_.session->GetSlotState(hostSlot) == kSlotLocal;
    for (int s = 0; s < kMaxPlayers; ++s) {
      if (ctx_.session->GetSlotState(s) == kSlotLocal) continue;
      if (InGame(s)) {
        if (blockKept_[s]) DecodePlayerRecord(blocks_[s] + 8 + s * kPlayerRecordSize, &ctx_.players[s]);
      } else if (!host && ValidPlayer(hostSlot) && blockKept_[hostSlot]) {
        // Computer players as the host has them, but only from a block that
        // really came.
        DecodePlayerRecord(blocks_[hostSlot] + 8 + s * kPlayerRecordSize, &ctx_.players[s]);
        ctx_.players[s].human = 0;
      }
    }
    MakeBlock(1, finalBlock_);
    finalBlockKept_ = true;
    SendMessage(kNetToAllButSelf, finalBlock_, kMsgPlayerBlockSize);
    gameHost_ = hostSlot;
    holdsHost_ = true;
    ctx_.session->HoldHostSlot(hostSlot);
    // Inputs that came during the wait go first in the first frame.
    for (int s = kMaxPlayers - 1; s >= 0; --s)
      if (earlyKept_[s]) ctx_.session->QueueLocal(s, OwnSlot(), early_[s], kMsgInputSize, true);
  }
  for (bool& e : earlyKept_) e = false;
  waitNetwork_ = false;
  ui_->FinishWait();
  SetSyncCheck(0);
  ReadLocalInput();
  return 0;
}

// ---------------------------------------------------------------------------
// One frame's input.

int LockStep::ReadLocalInput() {
  uint8_t actions[kPlayerStateSize];
  ui_->PollActionMap(0, actions);
  PackState(actions, ownState_);
  ui_->PollActionMap(1, actions);
  if (ctx_.playMode && *ctx_.playMode == 1) PackState(actions, secondState_);
  // No input goes out for a frame this machine will not play: another
  // machine holding it could play that frame, and end with other records.
  if (Network() && (endAt_ < 0 || syncPoint_ < endAt_)) {
    uint8_t m[kMsgInputSize] = {};
    NetPutHeader(m, kMsgInput, kMsgInputSize);
    NetPutI32(m + 8, syncPoint_);
    NetPutI32(m + 12, syncCheck_);
    std::memcpy(m + 16, ownState_, kPlayerStateSize);
    std::memcpy(m + 26, ownOutput_, kOutputRecordSize);
    SendMessage(kNetToAllButSelf, m, kMsgInputSize);
    std::memcpy(sentBefore_, lastSent_, kMsgInputSize);
    std::memcpy(lastSent_, m, kMsgInputSize);
  }
  return 0;
}

int LockStep::ExchangeInput() {
  BeginExchange();
  int r;
  while ((r = StepExchange()) == kPending) {
  }
  return r;
}

void LockStep::CopyInput(int slot, const uint8_t* msg) {
  std::memcpy(ctx_.playerStates[slot], msg + 16, kPlayerStateSize);
  std::memcpy(outputs_[slot], msg + 26, kOutputRecordSize);
}

void LockStep::SendResendRequest(int to) {
  uint8_t m[kMsgResendRequestSize] = {};
  NetPutHeader(m, kMsgResendRequest, kMsgResendRequestSize);
  NetPutI32(m + 8, syncPoint_);
  SendMessage(to, m, kMsgResendRequestSize);
}

void LockStep::BeginExchange() {
  const int own = OwnSlot();
  std::memcpy(ctx_.playerStates[own], ownState_, kPlayerStateSize);
  std::memcpy(outputs_[own], ownOutput_, kOutputRecordSize);
  result_ = 0;
  done_ = false;
  passes_ = 0;
  pumpEvents_ = false;
  boxOpenedHere_ = false;
  waitNetwork_ = Network();
  exchangeStart_ = Now();
  lastRequest_ = exchangeStart_;
  if (!waitNetwork_) {
    if (ctx_.playMode && *ctx_.playMode == 1 && ctx_.localPlayers && ValidPlayer(ctx_.localPlayers[1]))
      std::memcpy(ctx_.playerStates[ctx_.localPlayers[1]], secondState_, kPlayerStateSize);
    done_ = true;
    return;
  }
  ResetAwaited(had_, voted_, earlyKept_);
  ownVoteCast_ = false;
  dropDone_ = false;
  if (endAt_ >= 0 && syncPoint_ >= endAt_) {
    result_ = 1;
    done_ = true;
  }
}

void LockStep::EndAt(int32_t point) {
  if (endAt_ < 0 || point < endAt_) endAt_ = point;
}

int LockStep::StepExchange() {
  if (!waitNetwork_) return 0;  // a game on one machine: copied at once
  for (auto& r : resentFor_) r = -1;
  // One look at the wire a pass, then everything it brought: looking again
  // to learn that nothing more came costs system calls in every frame.
  NetMessage m;
  if (!done_) ctx_.session->Pump();
  while (!done_ && Network() && ctx_.session->TakeQueued(&m)) {
    DecodedNetMessage d;
    if (!DecodeNetMessage(m.from, m.data.data(), m.data.size(), &d)) continue;
    switch (d.type) {
      case kMsgPlayerLeft:
        if (d.slot == OwnSlot()) {
          // Dropped from the game: nobody else will answer any more.
          HandleSystemMessage(m);
          for (int s = 0; s < kMaxPlayers; ++s) had_[s] = true;
        } else if (InGame(d.slot) && (inputNow_[d.slot] || earlyKept_[d.slot]) &&
                   ctx_.session->PlayerCount() >= 2) {
          // The session hands on all of his messages before it says he
          // left: his input for this frame (or the next) is the last any
          // machine has, and he leaves after it, on every machine alike.
          // (A machine left alone has nobody to keep in step with.)
          leaving_[d.slot] = true;
          leavingHost_[d.slot] = d.flag != 0;
        } else {
          ApplyLeft(d.slot);
          had_[d.slot] = true;
        }
        break;
      case kMsgInput:
        if (d.syncPoint == syncPoint_) {
          if (d.check == syncCheck_) {
            CopyInput(d.from, m.data.data());
            had_[d.from] = true;
            inputNow_[d.from] = true;
          } else {
            ShowBox(lockstep_text::kSyncLost);
            Sleep(4000);
            CloseBox();
            ui_->BlankScreen();
            result_ = -1;
            done_ = true;
          }
        } else if (d.syncPoint == syncPoint_ + 1) {
          // The sender is a frame ahead: this frame's input of his was lost
          // here unless it already came.
          if (!had_[d.from]) SendResendRequest(d.from);
          KeepEarly(d.from, m.data.data());
        }
        break;
      case kMsgResendRequest:
        if (resentFor_[d.from] != d.syncPoint) {
          if (SentPoint(lastSent_) == d.syncPoint) {
            SendMessage(d.from, lastSent_, kMsgInputSize);
            resentFor_[d.from] = d.syncPoint;
          } else if (SentPoint(sentBefore_) == d.syncPoint) {
            SendMessage(d.from, sentBefore_, kMsgInputSize);
            resentFor_[d.from] = d.syncPoint;
          }
        }
        break;
      case kMsgEventEnd: {
        // The sender ended the event after the frame it names (by the low
        // byte of its sync point: it played no frame whose input this
        // machine has not sent, so that frame is this one or an earlier
        // one). This frame it names this machine plays too, so that both
        // end with the same records: its input for it is here, on the way,
        // or answered on request. An earlier one ends the event at once,
        // before any input of this frame counts. A later one is no end of
        // this event (one of an event before, held up on the way).
        const int8_t ahead = static_cast<int8_t>(static_cast<uint8_t>(m.data[5] - (syncPoint_ & 0xFF)));
        if (ahead > 0) break;
        EndAt(syncPoint_ + ahead + 1);
        endHeard_ = true;
        if (syncPoint_ >= endAt_) {
          result_ = 1;
          done_ = true;
        }
        break;
      }
      case kMsgDropVote:
        voted_[d.from] = true;
        break;
      case kMsgBlockRequest:
        // A machine still waiting at the start lost our final block: send it
        // again, or it would wait for us while we wait for its input. The
        // same bytes: the event may have changed the records since.
        if (finalBlockKept_) {
          SendMessage(d.from, finalBlock_, kMsgPlayerBlockSize);
        } else {
          SendBlock(d.from, 1);
        }
        break;
      default:
        ctx_.session->OnSystemMessage(m);
        break;
    }
  }
  // A player who left, with no input of his for this frame: the computer
  // plays him from this frame on.
  for (int s = 0; s < kMaxPlayers && !done_ && Network(); ++s) {
    if (!leaving_[s] || inputNow_[s]) continue;
    ApplyLeft(s);
    had_[s] = true;
  }
  if (done_ || AllSet(had_) || !Network()) return FinishExchange();

  // A pass waits up to 20 ms, but wakes as soon as traffic comes in: the
  // frame should not cost more than the wire does. Missing input is asked
  // for again once 20 ms went by without it.
  int traffic = ctx_.session->WaitForTraffic(20);
  if (traffic < 0) Sleep(20);
  const bool ask = traffic == 0 || Now() - lastRequest_ >= 20;
  if (ask) lastRequest_ = Now();
  bool missing[kMaxPlayers];
  for (int s = 0; s < kMaxPlayers; ++s) {
    missing[s] = !had_[s];
    if (missing[s] && ask) SendResendRequest(s);
  }
  // After 250 passes' worth of time (5 s) the player is asked what to do.
  ++passes_;
  if (Now() - exchangeStart_ > 250u * 20u) {
    pumpEvents_ = true;
    ShowBox(BoxText(lockstep_text::kNoResponse, missing, true));
  }
  if (IsQuitRequested()) {
    // Leaves the game as 'Q' does, at once: the program is ending.
    ctx_.session->Close();
    result_ = -1;
    done_ = true;
    return FinishExchange();
  }
  if (pumpEvents_) {
    ui_->PumpEvents(false);
    if (ui_->TakeKeyPress('Q')) {
      ctx_.session->Close();
      result_ = -1;
      done_ = true;
      return FinishExchange();
    }
    if (ui_->TakeKeyPress('D')) CastVote();
    ApplyDropRule(missing);
  }
  return kPending;
}

int LockStep::FinishExchange() {
  if (boxOpenedHere_) CloseBox();
  boxOpenedHere_ = false;
  if (Network()) {
    // Early input goes first in the next frame, ahead of newer traffic.
    for (int s = kMaxPlayers - 1; s >= 0; --s)
      if (earlyKept_[s]) ctx_.session->QueueLocal(s, OwnSlot(), early_[s], kMsgInputSize, true);
  }
  for (bool& e : earlyKept_) e = false;
  if (result_ == 0) lastPlayed_ = syncPoint_;
  waitNetwork_ = false;
  ++syncPoint_;
  return result_;
}

int LockStep::BroadcastEventEnd() {
  // The event calls it and the shell again; the end goes out once.
  if (!Network() || endSent_) return 1;
  endSent_ = true;
  uint8_t end[kMsgShortSize] = {};
  NetPutHeader(end, kMsgEventEnd, kMsgShortSize);
  end[4] = 1;
  end[5] = static_cast<uint8_t>(lastPlayed_ & 0xFF);
  // A machine told of the end says nothing: the one that told it told the
  // others too, and a machine that lost that asks and is answered below.
  if (!endHeard_) SendMessage(kNetToAll, end, kMsgShortSize);
  // The screen goes, and with it this exchange; the session answers for it.
  const uint8_t* last = nullptr;
  if (lastPlayed_ >= 0 && SentPoint(lastSent_) == lastPlayed_) last = lastSent_;
  if (lastPlayed_ >= 0 && SentPoint(sentBefore_) == lastPlayed_) last = sentBefore_;
  ctx_.session->KeepEndedEvent(OwnSlot(), lastPlayed_, last, end);
  return 1;
}

bool LockStep::RequestEnd() {
  if (!Network()) return false;
  EndAt(SentPoint(lastSent_) >= syncPoint_ ? SentPoint(lastSent_) + 1 : syncPoint_);
  return true;
}

// ---------------------------------------------------------------------------
// Output records.

void LockStep::PutOutByte(int offset, uint8_t value) {
  if (offset < 0 || offset >= kOutputRecordSize) return;
  ownOutput_[offset] = value;
}

void LockStep::PutOutWord(int offset, uint16_t value) {
  if (offset < 0 || offset + 2 > kOutputRecordSize) return;
  NetPutU16(ownOutput_ + offset, value);
}

void LockStep::PutOutDword(int offset, uint32_t value) {
  if (offset < 0 || offset + 4 > kOutputRecordSize) return;
  NetPutI32(ownOutput_ + offset, static_cast<int32_t>(value));
}

uint8_t LockStep::GetPlayerByte(int player, int offset) const {
  if (!ValidPlayer(player) || offset < 0 || offset >= kOutputRecordSize) return 0;
  return outputs_[player][offset];
}

uint16_t LockStep::GetPlayerWord(int player, int offset) const {
  if (!ValidPlayer(player) || offset < 0 || offset + 2 > kOutputRecordSize) return 0;
  return NetGetU16(outputs_[player] + offset);
}

uint32_t LockStep::GetPlayerDword(int player, int offset) const {
  if (!ValidPlayer(player) || offset < 0 || offset + 4 > kOutputRecordSize) return 0;
  return static_cast<uint32_t>(NetGetI32(outputs_[player] + offset));
}

bool LockStep::AnyPlayerByteIs(int offset, uint8_t value) const {
  if (offset < 0 || offset >= kOutputRecordSize) return false;
  if (!Network()) return ownOutput_[offset] == value;
  for (int s = 0; s < kMaxPlayers; ++s)
    if (InGame(s) && outputs_[s][offset] == value) return true;
  return false;
}

bool LockStep::AllPlayersByteAre(int offset, uint8_t value) const {
  if (offset < 0 || offset >= kOutputRecordSize) return false;
  if (!Network()) return ownOutput_[offset] == value;
  for (int s = 0; s < kMaxPlayers; ++s)
    if (InGame(s) && outputs_[s][offset] != value) return false;
  return true;
}
