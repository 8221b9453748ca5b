#include "frontend/lobby.h"

#include <cstring>

#include "base/debug.h"
#include "net/net_message.h"
#include "net/net_session.h"

namespace {

bool InRange(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

uint32_t GetU32(const uint8_t* p) { return static_cast<uint32_t>(NetGetI32(p)); }

// A header that says what the message is and how long it is, exactly.
bool HeaderIs(const uint8_t* data, size_t size, uint8_t type, int want) {
  return data && size == static_cast<size_t>(want) && data[0] == type && data[1] == 0 &&
         NetGetU16(data + 2) == want;
}

// A name as it travels: printable characters ended by a zero within the
// record's 11 bytes, whatever the width of the field around it.
bool NameSound(const uint8_t* field, size_t fieldSize, char out[11]) {
  size_t n = 0;
  while (n < fieldSize && field[n] != 0) {
    if (field[n] < 32 || field[n] > 126) return false;
    if (n >= 10) return false;
    out[n] = static_cast<char>(field[n]);
    ++n;
  }
  if (n >= fieldSize) return false;  // no zero at all
  out[n] = 0;
  return true;
}

bool ValidSlot(int s) { return s >= 0 && s < kMaxPlayers; }

}  // namespace

// ---------------------------------------------------------------------------
// Codec

void EncodeLobbyPlayer(const LobbyPlayerMessage& m, uint8_t out[kLobbyPlayerSize]) {
  std::memset(out, 0, kLobbyPlayerSize);
  NetPutHeader(out, m.type, kLobbyPlayerSize);
  char name[11];
  std::memcpy(name, m.name, sizeof name);
  name[10] = 0;
  NetPutName(out + 5, kLobbyNameField, name);
  NetPutI32(out + 0x14, m.character);
  NetPutU16(out + 0x18, static_cast<uint16_t>(static_cast<int16_t>(m.country)));
}

bool DecodeLobbyPlayer(const uint8_t* data, size_t size, LobbyPlayerMessage* out) {
  if (!data || size != static_cast<size_t>(kLobbyPlayerSize)) return false;
  const uint8_t type = data[0];
  if (type != kMsgLobbyPlayer && type != kMsgLobbyClaim && type != kMsgLobbyAnswer) return false;
  if (!HeaderIs(data, size, type, kLobbyPlayerSize) || data[4] != 0) return false;
  LobbyPlayerMessage m;
  m.type = type;
  if (!NameSound(data + 5, kLobbyNameField, m.name)) return false;
  m.character = NetGetI32(data + 0x14);
  m.country = static_cast<int16_t>(NetGetU16(data + 0x18));
  if (!InRange(m.character, 0, kLobbyCharacters - 1)) return false;
  if (type == kMsgLobbyPlayer) {
    // A player who sends his record has a name; "slot empty" is nobody's.
    if (!InRange(m.country, 0, kLobbyCountries - 1) && m.country != kLobbyCodeCountry &&
        m.country != kLobbyCodeCharacter)
      return false;
  } else if (m.country != kLobbyCodeCountry) {
    return false;
  }
  if (out) *out = m;
  return true;
}

bool LobbyRecordSound(const uint8_t p[kPlayerRecordSize]) {
  char name[11];
  if (!NameSound(p + 4, 11, name)) return false;
  if (!InRange(NetGetI32(p + 0), 0, kLobbyCountries - 1)) return false;
  if (p[15] > 1) return false;
  if (!InRange(NetGetI32(p + 16), 0, kLobbyCharacters - 1)) return false;
  if (!InRange(NetGetI32(p + 20), 0, 100000000)) return false;  // money
  if (!InRange(NetGetI32(p + 24), 0, 100000)) return false;     // points
  if (!InRange(NetGetI32(p + 28), -1, 3)) return false;         // place
  if (!InRange(NetGetI32(p + 32), 0, 1000000)) return false;    // power pills
  if (!InRange(NetGetI32(p + 36), 0, 100000000)) return false;  // weapon units
  for (int off = 40; off <= 52; off += 4)
    if (!InRange(NetGetI32(p + off), 0, 100)) return false;     // energy .. endurance
  if (!InRange(NetGetI32(p + 56), 0, 10000)) return false;
  return true;
}

namespace {

bool DecodeRecords(const uint8_t* p, PlayerRecord out[kMaxPlayers]) {
  for (int i = 0; i < kMaxPlayers; ++i)
    if (!LobbyRecordSound(p + i * kPlayerRecordSize)) return false;
  for (int i = 0; i < kMaxPlayers; ++i) DecodePlayerRecord(p + i * kPlayerRecordSize, &out[i]);
  return true;
}

}  // namespace

void EncodeLobbyStart(const LobbyStartMessage& m, uint8_t out[kLobbyStartSize]) {
  std::memset(out, 0, kLobbyStartSize);
  NetPutHeader(out, kMsgLobbyStart, kLobbyStartSize);
  for (int i = 0; i < kMaxPlayers; ++i) EncodePlayerRecord(m.players[i], out + 8 + i * kPlayerRecordSize);
  NetPutI32(out + 0x118, static_cast<int32_t>(m.seed));
}

bool DecodeLobbyStart(const uint8_t* data, size_t size, LobbyStartMessage* out) {
  if (!HeaderIs(data, size, kMsgLobbyStart, kLobbyStartSize)) return false;
  if (GetU32(data + 4) != 0) return false;
  LobbyStartMessage m;
  if (!DecodeRecords(data + 8, m.players)) return false;
  m.seed = GetU32(data + 0x118);
  if (out) *out = m;
  return true;
}

void EncodeLobbySavedGame(const LobbySavedGameMessage& m, uint8_t out[kLobbySavedGameSize]) {
  std::memset(out, 0, kLobbySavedGameSize);
  NetPutHeader(out, kMsgLobbySavedGame, kLobbySavedGameSize);
  NetPutI32(out + 4, 1);
  NetPutI32(out + 8, m.eventIndex);
  NetPutI32(out + 0xC, m.trainingEvent);
  for (int i = 0; i < kMaxPlayers; ++i)
    EncodePlayerRecord(m.players[i], out + 0x10 + i * kPlayerRecordSize);
}

bool DecodeLobbySavedGame(const uint8_t* data, size_t size, LobbySavedGameMessage* out) {
  if (!HeaderIs(data, size, kMsgLobbySavedGame, kLobbySavedGameSize)) return false;
  if (GetU32(data + 4) != 1) return false;
  LobbySavedGameMessage m;
  m.eventIndex = NetGetI32(data + 8);
  m.trainingEvent = NetGetI32(data + 0xC);
  // The same bounds as a saved game read from disk.
  if (!InRange(m.eventIndex, 1, 10) || !InRange(m.trainingEvent, -1, 10)) return false;
  if (!DecodeRecords(data + 0x10, m.players)) return false;
  if (out) *out = m;
  return true;
}

// ---------------------------------------------------------------------------
// NetLobby

LobbyContext LobbyContext::Globals() {
  LobbyContext c;
  c.session = g_netSession;
  c.players = g_players;
  c.localPlayers = g_localPlayers;
  c.playMode = &g_playMode;
  c.eventIndex = &g_eventIndex;
  c.trainingEvent = &g_trainingEvent;
  return c;
}

NetLobby::NetLobby(const LobbyContext& ctx) : ctx_(ctx) {}

bool NetLobby::IsHost() const { return ctx_.session && ctx_.session->IsHost(); }

void NetLobby::SetHostedSavedGame(int32_t eventIndex, int32_t trainingEvent,
                                  const PlayerRecord saved[kMaxPlayers]) {
  loaded_ = true;
  std::memcpy(saved_, saved, sizeof saved_);
  if (ctx_.eventIndex) *ctx_.eventIndex = eventIndex;
  if (ctx_.trainingEvent) *ctx_.trainingEvent = trainingEvent;
}

void NetLobby::HandOutSavedGame() {
  if (!loaded_ || !IsHost()) return;
  for (int s = 0; s < kMaxPlayers; ++s)
    if (ctx_.session->GetSlotState(s) == kSlotRemote) HandleJoined(s, ctx_.session->GetPlayerName(s), false);
}

bool NetLobby::Send(const uint8_t* data, size_t size, int to) {
  if (!ctx_.session || !ValidSlot(ownSlot_)) return false;
  return ctx_.session->Send(ownSlot_, to, data, size);
}

bool NetLobby::FromHost(int from) const {
  return ctx_.session && ValidSlot(from) && from == ctx_.session->HostSlot() &&
         ctx_.session->GetSlotState(from) == kSlotRemote;
}

bool NetLobby::UsedSlot(int slot) const {
  return ctx_.session && ValidSlot(slot) && ctx_.session->GetSlotState(slot) != kSlotFree;
}

bool NetLobby::SendOwnRecord() {
  if (!ValidSlot(ownSlot_)) return false;
  const PlayerRecord& own = ctx_.players[ownSlot_];
  LobbyPlayerMessage m;
  m.type = kMsgLobbyPlayer;
  std::memcpy(m.name, own.name, sizeof m.name);
  m.name[10] = 0;
  // Before a character is chosen the field means nothing; it still travels
  // as a valid one.
  m.character = InRange(own.character, 0, kLobbyCharacters - 1) ? own.character : 0;
  m.country = own.country;
  if (!InRange(m.country, 0, kLobbyCountries - 1) && m.country != kLobbyCodeCountry &&
      m.country != kLobbyCodeCharacter)
    return false;  // nothing to tell yet
  uint8_t buf[kLobbyPlayerSize];
  EncodeLobbyPlayer(m, buf);
  return Send(buf, sizeof buf, kNetToAllButSelf);
}

bool NetLobby::SendClaim(int character) {
  if (!ValidSlot(ownSlot_) || !InRange(character, 0, kLobbyCharacters - 1)) return false;
  LobbyPlayerMessage m;
  m.type = kMsgLobbyClaim;
  std::memcpy(m.name, ctx_.players[ownSlot_].name, sizeof m.name);
  m.name[10] = 0;
  m.character = character;
  m.country = kLobbyCodeCountry;
  uint8_t buf[kLobbyPlayerSize];
  EncodeLobbyPlayer(m, buf);
  pendingClaim_ = character;
  return Send(buf, sizeof buf, kNetToAllButSelf);
}

bool NetLobby::CharacterTaken(int character, int exceptSlot) const {
  for (int s = 0; s < kMaxPlayers; ++s) {
    if (s == exceptSlot) continue;
    const PlayerRecord& r = ctx_.players[s];
    if (r.character == character && r.country != kLobbyCodeEmpty &&
        r.country != kLobbyCodeCharacter)
      return true;
  }
  return false;
}

bool NetLobby::HostTakeCharacter(int character) {
  if (!ValidSlot(ownSlot_) || !InRange(character, 0, kLobbyCharacters - 1)) return false;
  if (CharacterTaken(character, ownSlot_)) return false;
  ctx_.players[ownSlot_].character = character;
  ctx_.players[ownSlot_].country = kLobbyCodeCountry;
  return true;
}

bool NetLobby::FillFromPlayerMessage(int slot, const LobbyPlayerMessage& m) {
  PlayerRecord& r = ctx_.players[slot];
  if (loaded_) {
    // Only a player of the saved game, in the slot his record was moved to.
    if (saved_[slot].human == 1 && std::strcmp(saved_[slot].name, m.name) == 0) r = saved_[slot];
    return true;
  }
  // An athlete is somebody's only through the host (a claim it granted, or
  // the host's own choice): a record that names one another record holds
  // is not taken, whoever sent it. Its sender stays "joining" here, and the
  // start message sets every machine's records to the host's.
  if (IsHost() && m.country != kLobbyCodeCharacter && CharacterTaken(m.character, slot)) return false;
  SetPlayerName(&r, m.name);
  r.country = m.country;
  r.character = m.character;
  r.human = 1;
  return true;
}

void NetLobby::HandleJoined(int slot, const char* name, bool entry) {
  if (loaded_ && IsHost() && !entry) {
    // The joiner takes the saved record of his name, moved into the slot the
    // session gave him; everybody gets the saved records in that order.
    char cut[11];
    std::memset(cut, 0, sizeof cut);
    std::strncpy(cut, name, 10);
    int found = -1;
    for (int s = 0; s < kMaxPlayers && found < 0; ++s)
      if (saved_[s].human == 1 && !UsedSlot(s) && std::strcmp(saved_[s].name, cut) == 0) found = s;
    if (found < 0 && saved_[slot].human == 1 && std::strcmp(saved_[slot].name, cut) == 0) found = slot;
    if (found >= 0) {
      if (found != slot) {
        PlayerRecord t = saved_[slot];
        saved_[slot] = saved_[found];
        saved_[found] = t;
      }
      LobbySavedGameMessage m;
      m.eventIndex = ctx_.eventIndex ? *ctx_.eventIndex : 1;
      m.trainingEvent = ctx_.trainingEvent ? *ctx_.trainingEvent : 0;
      std::memcpy(m.players, saved_, sizeof m.players);
      uint8_t buf[kLobbySavedGameSize];
      EncodeLobbySavedGame(m, buf);
      Send(buf, sizeof buf, kNetToAllButSelf);
      ctx_.players[slot] = saved_[slot];
    } else {
      DebugPrintf("lobby: %s is not a player of the saved game\n", name);
    }
  } else {
    PlayerRecord& r = ctx_.players[slot];
    SetPlayerName(&r, name);  // the session's name is wider than a record's
    r.country = kLobbyCodeCharacter;
    r.human = 1;
  }
  SendOwnRecord();
}

bool NetLobby::HandleSavedGame(const LobbySavedGameMessage& m) {
  std::memcpy(saved_, m.players, sizeof saved_);
  loaded_ = true;
  for (int s = 0; s < kMaxPlayers; ++s)
    if (saved_[s].human == 0 || UsedSlot(s)) ctx_.players[s] = saved_[s];
  if (ctx_.eventIndex) *ctx_.eventIndex = m.eventIndex;
  if (ctx_.trainingEvent) *ctx_.trainingEvent = m.trainingEvent;
  return true;
}

LobbyPoll NetLobby::Poll() {
  LobbyPoll out;
  if (!ctx_.session) return out;
  NetMessage msg;
  auto drop = [&](const char* why) {
    ++out.dropped;
    ++droppedTotal_;
    DebugPrintf("lobby: message 0x%02x from %d dropped: %s\n",
                msg.data.empty() ? 0 : msg.data[0], msg.from, why);
  };
  while (ctx_.session->Receive(&msg)) {
    if (msg.data.empty()) continue;
    const uint8_t type = msg.data[0];
    const uint8_t* d = msg.data.data();
    const size_t n = msg.data.size();
    switch (type) {
      case kMsgPlayerLeft:
      case kMsgPlayerJoined:
      case kMsgPlayerEntry: {
        DecodedNetMessage sys;
        if (!DecodeNetMessage(msg.from, d, n, &sys)) {
          drop("bad session message");
          break;
        }
        if (type == kMsgPlayerLeft) {
          // The host's duties move on to another machine of the session;
          // only a machine that is left with nobody (or was dropped) has
          // no game to set up any more.
          if (sys.slot == ownSlot_ || ctx_.session->WasRemoved() ||
              (sys.flag && ctx_.session->LinkedMachines() == 0)) {
            out.hostLeft = true;
            out.removed = ctx_.session->WasRemoved();
            return out;
          }
          ctx_.players[sys.slot].country = kLobbyCodeEmpty;
          ctx_.players[sys.slot].human = 0;
          joinSeen_[sys.slot] = false;
          recordHeard_[sys.slot] = false;
        } else {
          char name[kNetNameSize];
          NetGetName(d + 16, kNetNameSize, name, sizeof name);
          if (sys.slot != ownSlot_) {
            joinSeen_[sys.slot] = true;
            joinedAt_[sys.slot] = ctx_.session->NowMs();
            recordHeard_[sys.slot] = false;
            HandleJoined(sys.slot, name, type == kMsgPlayerEntry);
          }
        }
        break;
      }
      case kMsgLobbyPlayer:
      case kMsgLobbyClaim:
      case kMsgLobbyAnswer: {
        LobbyPlayerMessage m;
        if (!ValidSlot(msg.from) || msg.from == ownSlot_ ||
            ctx_.session->GetSlotState(msg.from) != kSlotRemote) {
          drop("not from another machine's player");
          break;
        }
        if (!DecodeLobbyPlayer(d, n, &m)) {
          drop("bad lobby player message");
          break;
        }
        if (type != kMsgLobbyAnswer) recordHeard_[msg.from] = true;
        if (type == kMsgLobbyPlayer) {
          if (!FillFromPlayerMessage(msg.from, m)) drop("an athlete another player holds");
        } else if (type == kMsgLobbyClaim) {
          // Claims go to everybody; only the host answers them.
          if (!IsHost() || loaded_) break;
          // Two players may want one character: the host's records decide,
          // and a refused claim is not answered.
          if (CharacterTaken(m.character, msg.from)) break;
          uint8_t answer[kLobbyPlayerSize];
          std::memcpy(answer, d, sizeof answer);
          answer[0] = kMsgLobbyAnswer;
          FillFromPlayerMessage(msg.from, m);
          ctx_.session->Send(ownSlot_, msg.from, answer, sizeof answer);
        } else {
          if (FromHost(msg.from) && ValidSlot(ownSlot_) && pendingClaim_ < 0 &&
              ctx_.players[ownSlot_].character == m.character)
            break;  // the answer to the same claim made twice
          if (!FromHost(msg.from) || !ValidSlot(ownSlot_) || m.character != pendingClaim_) {
            drop("answer to no claim of ours");
            break;
          }
          pendingClaim_ = -1;
          PlayerRecord& own = ctx_.players[ownSlot_];
          own.character = m.character;
          own.country = kLobbyCodeCountry;
          own.human = 1;
          SendOwnRecord();
          out.claimGranted = true;
        }
        break;
      }
      case kMsgLobbyStart: {
        LobbyStartMessage m;
        if (!FromHost(msg.from)) {
          drop("start not from the host");
          break;
        }
        if (!DecodeLobbyStart(d, n, &m)) {
          drop("bad start message");
          break;
        }
        if (!ValidSlot(ownSlot_)) {
          // The game began without anybody of this machine: nothing to
          // play in it.
          out.shutOut = true;
          return out;
        }
        for (int s = 0; s < kMaxPlayers; ++s) {
          if (!loaded_) InitPlayerRecord(&ctx_.players[s], m.players[s].character);
          ctx_.players[s] = m.players[s];
        }
        if (ctx_.localPlayers) ctx_.localPlayers[2] = static_cast<int32_t>(m.seed);
        out.started = true;
        return out;
      }
      case kMsgLobbySavedGame: {
        LobbySavedGameMessage m;
        if (!FromHost(msg.from)) {
          drop("saved game not from the host");
          break;
        }
        if (!DecodeLobbySavedGame(d, n, &m)) {
          drop("bad saved game message");
          break;
        }
        HandleSavedGame(m);
        out.savedGame = true;
        break;
      }
      default:
        ctx_.session->OnSystemMessage(msg);
        break;
    }
  }
  DropSilentJoiners();
  return out;
}

void NetLobby::DropSilentJoiners() {
  if (!IsHost() || !ctx_.session->IsNetwork()) return;
  const uint32_t now = ctx_.session->NowMs();
  for (int s = 0; s < kMaxPlayers; ++s) {
    if (ctx_.session->GetSlotState(s) != kSlotRemote || recordHeard_[s]) continue;
    if (!joinSeen_[s]) {
      // Joined before this machine looked (or before it was the host).
      joinSeen_[s] = true;
      joinedAt_[s] = now;
      continue;
    }
    if (now - joinedAt_[s] < kJoinLimitMs) continue;
    DebugPrintf("lobby: the machine of slot %d never sent its player's record: taken out\n", s);
    RemoveMachine(s);
  }
}

bool NetLobby::RemoveMachine(int slot) {
  if (!ctx_.session || !ValidSlot(slot) || slot == ownSlot_) return false;
  // Its players' records empty when the session reports them as left,
  // once every machine has cut it.
  return ctx_.session->RemoveMachine(slot);
}

int NetLobby::JoiningSlot() const {
  for (int s = 0; s < kMaxPlayers; ++s)
    if (UsedSlot(s) && ctx_.players[s].country < 0) return s;
  return -1;
}

void NetLobby::FillAbsentFromSaved() {
  if (!loaded_) return;
  for (int s = 0; s < kMaxPlayers; ++s) {
    if (UsedSlot(s)) continue;
    ctx_.players[s] = saved_[s];
    ctx_.players[s].human = 0;
  }
}

bool NetLobby::SendStart(uint32_t seed) {
  if (ctx_.localPlayers) ctx_.localPlayers[2] = static_cast<int32_t>(seed);
  LobbyStartMessage m;
  std::memcpy(m.players, ctx_.players, sizeof m.players);
  m.seed = seed;
  uint8_t buf[kLobbyStartSize];
  EncodeLobbyStart(m, buf);
  return Send(buf, sizeof buf, kNetToAllButSelf);
}

void NetLobby::FinishStart() {
  NetSession* s = ctx_.session;
  if (!s) return;
  if (s->IsNetwork() && s->IsHost() && s->PlayerCount() < 2) {
    char name[11];
    std::memcpy(name, ValidSlot(ownSlot_) ? ctx_.players[ownSlot_].name : ctx_.players[0].name,
                sizeof name);
    name[10] = 0;
    int slot = ValidSlot(ownSlot_) ? ownSlot_ : 0;
    s->Close();
    if (ctx_.playMode) *ctx_.playMode = 0;
    s->SelectProvider(0, 0);
    s->AddLocalPlayer(name, slot);
  }
  s->EnableNewPlayers(0);
}
