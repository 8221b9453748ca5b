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

// At the start of a wait only the slots other machines play are awaited; a
// free slot (a computer player) counts as having voted on any drop; nothing
// that came early is kept yet.
void ResetAwaited(NetSession* session, bool (&arrived)[kMaxPlayers], bool (&voted)[kMaxPlayers],
                  bool (&kept)[kMaxPlayers]) {
  for (int s = 0; s < kMaxPlayers; ++s) {
    int st = session->GetSlotState(s);
    arrived[s] = st != kSlotRemote;
    voted[s] = st == kSlotFree;
    kept[s] = false;
  }
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
    if (voted_[s] && ctx_.session->GetSlotState(s) != kSlotFree) t += "    " + NameOf(s) + "\n";
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

// Once every present player has voted, the lowest present player's machine
// removes the missing ones from the session, once.
void LockStep::ApplyDropRule(const bool present[4], const bool missing[4]) {
  if (dropDone_ || !Network()) return;
  bool anyMissing = false, allVoted = true;
  int lowest = -1;
  for (int s = 0; s < kMaxPlayers; ++s) {
    if (ctx_.session->GetSlotState(s) == kSlotFree) continue;
    if (missing[s]) {
      anyMissing = true;
    } else if (present[s]) {
      if (lowest < 0) lowest = s;
      if (!voted_[s]) allVoted = false;
    }
  }
  if (!anyMissing || !allVoted || lowest != OwnSlot()) return;
  dropDone_ = true;
  for (int s = 0; s < kMaxPlayers; ++s)
    if (missing[s]) ctx_.session->RemoveLocalPlayer(s);
}

void LockStep::FallBackToLocal() {
  int own = OwnSlot();
  // The own player keeps playing under the own name, in the own slot.
  std::string name = NameOf(own);
  ctx_.session->Close();
  *ctx_.playMode = 0;
  ctx_.session->SelectProvider(0, 0);
  ctx_.session->AddLocalPlayer(name.c_str(), own);
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
  char text[96];
  std::snprintf(text, sizeof text, lockstep_text::kPlayerLeft, NameOf(d.slot).c_str());
  ui_->AddMessage(text);
  ctx_.players[d.slot].human = 0;
  if (Network() && ctx_.session->PlayerCount() < 2) FallBackToLocal();
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
  syncPoint_ = 0;
  syncCheck_ = 0;
  NetPutI32(lastSent_ + 8, -1);
  NetPutI32(sentBefore_ + 8, -1);
  ResetAwaited(ctx_.session, answered_, voted_, blockKept_);
  ownVoteCast_ = false;
  dropDone_ = false;
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
        HandleSystemMessage(m);
        if (d.slot == OwnSlot()) {
          for (int s = 0; s < kMaxPlayers; ++s) answered_[s] = true;
        } else {
          answered_[d.slot] = true;
          voted_[d.slot] = true;
        }
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
  ApplyDropRule(answered_, missing);
  return kPending;
}

int LockStep::FinishWait() {
  if (boxOpenedHere_) CloseBox();
  boxOpenedHere_ = false;
  if (waitNetwork_ && Network()) {
    const bool host = ctx_.session->IsHost();
    const int hostSlot = ctx_.session->HostSlot();
    for (int s = 0; s < kMaxPlayers; ++s) {
      int st = ctx_.session->GetSlotState(s);
      if (st == kSlotRemote) {
        if (blockKept_[s]) DecodePlayerRecord(blocks_[s] + 8 + s * kPlayerRecordSize, &ctx_.players[s]);
      } else if (st == kSlotFree && !host && ValidPlayer(hostSlot) && blockKept_[hostSlot]) {
        // Computer players as the host has them, but only from a block that
        // really came.
        DecodePlayerRecord(blocks_[hostSlot] + 8 + s * kPlayerRecordSize, &ctx_.players[s]);
        ctx_.players[s].human = 0;
      }
    }
    MakeBlock(1, finalBlock_);
    finalBlockKept_ = true;
    SendMessage(kNetToAllButSelf, finalBlock_, kMsgPlayerBlockSize);
  }
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
  if (Network()) {
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
  ResetAwaited(ctx_.session, had_, voted_, earlyKept_);
  ownVoteCast_ = false;
  dropDone_ = false;
}

int LockStep::StepExchange() {
  if (!waitNetwork_) return 0;  // a game on one machine: copied at once
  for (auto& r : resentFor_) r = -1;
  NetMessage m;
  while (!done_ && Network() && ctx_.session->Receive(&m)) {
    DecodedNetMessage d;
    if (!DecodeNetMessage(m.from, m.data.data(), m.data.size(), &d)) continue;
    switch (d.type) {
      case kMsgPlayerLeft:
        HandleSystemMessage(m);
        if (d.slot == OwnSlot()) {
          // Dropped from the game: nobody else will answer any more.
          for (int s = 0; s < kMaxPlayers; ++s) had_[s] = true;
        } else {
          had_[d.slot] = true;
        }
        break;
      case kMsgInput:
        if (d.syncPoint == syncPoint_) {
          if (d.check == syncCheck_) {
            CopyInput(d.from, m.data.data());
            had_[d.from] = true;
          } else {
            ShowBox(lockstep_text::kSyncLost);
            Sleep(4000);
            CloseBox();
            ui_->BlankScreen();
            result_ = -1;
            done_ = true;
          }
        } else if (d.syncPoint == syncPoint_ + 1) {
          SendResendRequest(d.from);
          if (!earlyKept_[d.from]) {
            earlyKept_[d.from] = true;
            std::memcpy(early_[d.from], m.data.data(), kMsgInputSize);
          }
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
      case kMsgEventEnd:
        result_ = 1;
        done_ = true;
        break;
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
  if (done_ || AllSet(had_) || !Network()) return FinishExchange();

  // A pass waits up to 20 ms, but wakes as soon as traffic comes in: the
  // frame should not cost more than the wire does. Missing input is asked
  // for again once 20 ms went by without it.
  int traffic = ctx_.session->WaitForTraffic(20);
  if (traffic < 0) Sleep(20);
  const bool ask = traffic != 1 || Now() - lastRequest_ >= 20;
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
    ApplyDropRule(had_, missing);
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
  waitNetwork_ = false;
  ++syncPoint_;
  return result_;
}

int LockStep::BroadcastEventEnd() {
  if (Network()) SendShort(kNetToAll, kMsgEventEnd, 1);
  return 1;
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
    if (ctx_.session->GetSlotState(s) != kSlotFree && outputs_[s][offset] == value) return true;
  return false;
}

bool LockStep::AllPlayersByteAre(int offset, uint8_t value) const {
  if (offset < 0 || offset >= kOutputRecordSize) return false;
  if (!Network()) return ownOutput_[offset] == value;
  for (int s = 0; s < kMaxPlayers; ++s)
    if (ctx_.session->GetSlotState(s) != kSlotFree && outputs_[s][offset] != value) return false;
  return true;
}
