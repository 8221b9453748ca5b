// Lobby messages on the wire: what a sound message carries, and a table of
// hostile ones that every decoder and a running lobby drop without harm.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/lobby/lobby_fixture.h"

namespace {

PlayerRecord Record(int character, int country, const char* name, bool human) {
  PlayerRecord r{};
  InitPlayerRecord(&r, character);
  SetPlayerName(&r, name);
  r.country = country;
  r.human = human ? 1 : 0;
  r.place = -1;
  return r;
}

std::vector<uint8_t> PlayerMsg(uint8_t type, const char* name, int character, int country) {
  LobbyPlayerMessage m;
  m.type = type;
  std::strncpy(m.name, name, 10);
  m.character = character;
  m.country = country;
  std::vector<uint8_t> b(kLobbyPlayerSize);
  EncodeLobbyPlayer(m, b.data());
  return b;
}

std::vector<uint8_t> StartMsg() {
  LobbyStartMessage m;
  for (int i = 0; i < 4; ++i) m.players[i] = Record(i, i + 2, i == 0 ? "HOST" : "CPU", i == 0);
  m.seed = 0xDEADBEEF;
  std::vector<uint8_t> b(kLobbyStartSize);
  EncodeLobbyStart(m, b.data());
  return b;
}

std::vector<uint8_t> SavedMsg() {
  LobbySavedGameMessage m;
  m.eventIndex = 3;
  m.trainingEvent = 0;
  for (int i = 0; i < 4; ++i) m.players[i] = Record(5 - i, i, "SAVED", i < 2);
  m.players[1].money = 12345;
  std::vector<uint8_t> b(kLobbySavedGameSize);
  EncodeLobbySavedGame(m, b.data());
  return b;
}

void PutI32(std::vector<uint8_t>& b, size_t at, int32_t v) { NetPutI32(b.data() + at, v); }

bool DecodeAny(const std::vector<uint8_t>& b) {
  if (b.empty()) return false;
  switch (b[0]) {
    case 0x30:
    case 0x31:
    case 0x32: return DecodeLobbyPlayer(b.data(), b.size(), nullptr);
    case 0x33: return DecodeLobbyStart(b.data(), b.size(), nullptr);
    case 0x39: return DecodeLobbySavedGame(b.data(), b.size(), nullptr);
    default: return false;
  }
}

TEST(LobbyCodec, SoundMessagesCarryTheirFields) {
  auto p = PlayerMsg(0x30, "ABCDEFGHIJ", 5, 13);
  ASSERT_EQ(p.size(), 32u);
  EXPECT_EQ(p[0], 0x30);
  EXPECT_EQ(NetGetU16(p.data() + 2), 32);
  EXPECT_EQ(0, std::memcmp(p.data() + 5, "ABCDEFGHIJ", 11));  // ten characters and the zero
  EXPECT_EQ(NetGetI32(p.data() + 0x14), 5);
  EXPECT_EQ(NetGetU16(p.data() + 0x18), 13);
  LobbyPlayerMessage m;
  ASSERT_TRUE(DecodeLobbyPlayer(p.data(), p.size(), &m));
  EXPECT_STREQ(m.name, "ABCDEFGHIJ");
  EXPECT_EQ(m.character, 5);
  EXPECT_EQ(m.country, 13);

  auto c = PlayerMsg(0x31, "X", 2, -2);
  EXPECT_EQ(NetGetU16(c.data() + 0x18), 0xFFFE);
  ASSERT_TRUE(DecodeLobbyPlayer(c.data(), c.size(), &m));
  EXPECT_EQ(m.type, 0x31);
  EXPECT_EQ(m.country, kLobbyCodeCountry);
  auto named = PlayerMsg(0x30, "NEWCOMER", 0, -3);
  ASSERT_TRUE(DecodeLobbyPlayer(named.data(), named.size(), &m));
  EXPECT_EQ(m.country, kLobbyCodeCharacter);

  auto s = StartMsg();
  EXPECT_EQ(NetGetU16(s.data() + 2), 284);
  EXPECT_EQ(static_cast<uint32_t>(NetGetI32(s.data() + 0x118)), 0xDEADBEEFu);
  LobbyStartMessage sm;
  ASSERT_TRUE(DecodeLobbyStart(s.data(), s.size(), &sm));
  EXPECT_EQ(sm.seed, 0xDEADBEEFu);
  EXPECT_STREQ(sm.players[0].name, "HOST");
  EXPECT_EQ(sm.players[3].character, 3);

  auto g = SavedMsg();
  EXPECT_EQ(NetGetI32(g.data() + 4), 1);
  LobbySavedGameMessage gm;
  ASSERT_TRUE(DecodeLobbySavedGame(g.data(), g.size(), &gm));
  EXPECT_EQ(gm.eventIndex, 3);
  EXPECT_EQ(gm.players[1].money, 12345);
  EXPECT_EQ(gm.players[0].character, 5);
}

struct HostileCase {
  const char* what;
  std::function<std::vector<uint8_t>()> make;
};

std::vector<HostileCase> HostileCases() {
  auto player = [] { return PlayerMsg(0x30, "PLAYER", 1, 4); };
  auto with = [](std::function<std::vector<uint8_t>()> base, std::function<void(std::vector<uint8_t>&)> f) {
    return [base, f] {
      auto b = base();
      f(b);
      return b;
    };
  };
  auto claim = [] { return PlayerMsg(0x31, "PLAYER", 1, -2); };
  std::vector<HostileCase> t = {
      {"player: one byte short", with(player, [](auto& b) { b.pop_back(); NetPutU16(b.data() + 2, 31); })},
      {"player: one byte long", with(player, [](auto& b) { b.push_back(0); NetPutU16(b.data() + 2, 33); })},
      {"player: declared size differs", with(player, [](auto& b) { NetPutU16(b.data() + 2, 30); })},
      {"player: second header byte set", with(player, [](auto& b) { b[1] = 7; })},
      {"player: byte +4 set", with(player, [](auto& b) { b[4] = 1; })},
      {"name: eleven characters", with(player, [](auto& b) { std::memcpy(b.data() + 5, "ABCDEFGHIJK", 11); })},
      {"name: fifteen characters, no zero", with(player, [](auto& b) { std::memset(b.data() + 5, 'A', 15); })},
      {"name: control character", with(player, [](auto& b) { b[6] = '\n'; })},
      {"name: byte above 126", with(player, [](auto& b) { b[5] = 0xE9; })},
      {"character -1", with(player, [](auto& b) { PutI32(b, 0x14, -1); })},
      {"character 6", with(player, [](auto& b) { PutI32(b, 0x14, 6); })},
      {"character INT_MAX", with(player, [](auto& b) { PutI32(b, 0x14, INT_MAX); })},
      {"country 14", with(player, [](auto& b) { NetPutU16(b.data() + 0x18, 14); })},
      {"country 0x7FFF", with(player, [](auto& b) { NetPutU16(b.data() + 0x18, 0x7FFF); })},
      {"country -4", with(player, [](auto& b) { NetPutU16(b.data() + 0x18, 0xFFFC); })},
      {"player record of an empty slot", with(player, [](auto& b) { NetPutU16(b.data() + 0x18, 0xFFFF); })},
      {"claim for a country", with(claim, [](auto& b) { NetPutU16(b.data() + 0x18, 3); })},
      {"claim with name-given code", with(claim, [](auto& b) { NetPutU16(b.data() + 0x18, 0xFFFD); })},
      {"answer with a country", [] { return PlayerMsg(0x32, "PLAYER", 1, 0); }},
      {"claim of character 9", with(claim, [](auto& b) { PutI32(b, 0x14, 9); })},
      {"start: one byte short", with(StartMsg, [](auto& b) { b.pop_back(); NetPutU16(b.data() + 2, 283); })},
      {"start: +4 not 0", with(StartMsg, [](auto& b) { PutI32(b, 4, 1); })},
      {"start: country 14", with(StartMsg, [](auto& b) { PutI32(b, 8 + 68 * 2, 14); })},
      {"start: country still a lobby code", with(StartMsg, [](auto& b) { PutI32(b, 8 + 68 * 1, -2); })},
      {"start: name without zero", with(StartMsg, [](auto& b) { std::memset(b.data() + 8 + 4, 'Z', 11); })},
      {"start: human 2", with(StartMsg, [](auto& b) { b[8 + 68 * 3 + 15] = 2; })},
      {"start: character 6", with(StartMsg, [](auto& b) { PutI32(b, 8 + 16, 6); })},
      {"start: money below 0", with(StartMsg, [](auto& b) { PutI32(b, 8 + 20, -5); })},
      {"start: place 4", with(StartMsg, [](auto& b) { PutI32(b, 8 + 28, 4); })},
      {"start: energy 101", with(StartMsg, [](auto& b) { PutI32(b, 8 + 68 + 40, 101); })},
      {"start: endurance -1", with(StartMsg, [](auto& b) { PutI32(b, 8 + 52, -1); })},
      {"saved: +4 not 1", with(SavedMsg, [](auto& b) { PutI32(b, 4, 0); })},
      {"saved: event 0", with(SavedMsg, [](auto& b) { PutI32(b, 8, 0); })},
      {"saved: event 11", with(SavedMsg, [](auto& b) { PutI32(b, 8, 11); })},
      {"saved: training 11", with(SavedMsg, [](auto& b) { PutI32(b, 12, 11); })},
      {"saved: bad record", with(SavedMsg, [](auto& b) { PutI32(b, 0x10 + 68 * 2 + 16, -3); })},
      {"saved: size of a start", with(SavedMsg, [](auto& b) { b.resize(284); NetPutU16(b.data() + 2, 284); })},
  };
  return t;
}

TEST(LobbyCodec, HostileMessagesAreRefusedByTheDecoders) {
  for (const auto& c : HostileCases()) EXPECT_FALSE(DecodeAny(c.make())) << c.what;
  // Truncations of every sound message, including an empty one.
  for (auto base : {PlayerMsg(0x30, "A", 0, 0), StartMsg(), SavedMsg()}) {
    for (size_t n = 0; n < base.size(); ++n) {
      std::vector<uint8_t> cut(base.begin(), base.begin() + static_cast<long>(n));
      EXPECT_FALSE(DecodeAny(cut)) << "type " << int(base[0]) << " cut to " << n;
    }
  }
}

// The same table sent by a remote player into a running lobby: every one is
// dropped, the records are untouched and the lobby goes on.
TEST(LobbyCodec, HostileMessagesLeaveARunningLobbyAlone) {
  LobbyNet net;
  ASSERT_NO_FATAL_FAILURE(net.OpenNamed({"HOST", "GUEST"}));
  net.Run();
  PlayerRecord before[2][4];
  std::memcpy(before[0], net[0].players, sizeof before[0]);
  std::memcpy(before[1], net[1].players, sizeof before[1]);
  int32_t seedBefore = net[1].local[2];

  int sent = 0;
  for (const auto& c : HostileCases()) {
    auto b = c.make();
    // From the client to the host and from the host to the client: the
    // client's decoder sees the start and saved-game rows as host traffic.
    ASSERT_TRUE(net[1].session.Send(1, 0, b.data(), b.size())) << c.what;
    ASSERT_TRUE(net[0].session.Send(0, 1, b.data(), b.size())) << c.what;
    sent += 2;
  }
  net.Run(10);
  EXPECT_EQ(net[0].seen.dropped + net[1].seen.dropped, sent);
  EXPECT_FALSE(net[1].seen.started);
  EXPECT_FALSE(net[1].seen.savedGame);
  EXPECT_FALSE(net[0].seen.hostLeft || net[1].seen.hostLeft);
  EXPECT_EQ(0, std::memcmp(before[0], net[0].players, sizeof before[0]));
  EXPECT_EQ(0, std::memcmp(before[1], net[1].players, sizeof before[1]));
  EXPECT_EQ(net[1].local[2], seedBefore);

  // Still a working lobby: a sound record gets through.
  net[1].ChooseCountry(9);
  net.Run();
  EXPECT_EQ(net[0].players[1].country, 9);
}

// The name field on the wire is wider than a record's name: a 15-character
// name must neither reach the record nor spill into the fields after it.
TEST(LobbyCodec, OverlongNameNeverSpillsIntoTheRecord) {
  LobbyNet net;
  ASSERT_NO_FATAL_FAILURE(net.OpenNamed({"HOST", "GUEST"}));
  net.Run();
  ASSERT_STREQ(net[0].players[1].name, "GUEST");
  auto b = PlayerMsg(0x30, "X", 3, 5);
  std::memcpy(b.data() + 5, "ABCDEFGHIJKLMN", 15);  // 14 characters and a zero
  ASSERT_TRUE(net[1].session.Send(1, 0, b.data(), b.size()));
  net.Run(5);
  EXPECT_EQ(net[0].seen.dropped, 1);
  EXPECT_STREQ(net[0].players[1].name, "GUEST");
  EXPECT_EQ(net[0].players[1].human, 1);
  EXPECT_EQ(net[0].players[1].country, kLobbyCodeCharacter);
}

// Start, answer and saved game come from the host only; a claim is for the
// host only; nobody speaks for another machine's player.
TEST(LobbyCodec, MessagesFromTheWrongMachineAreDropped) {
  LobbyNet net;
  ASSERT_NO_FATAL_FAILURE(net.OpenNamed({"HOST", "ONE", "TWO"}));
  net.Run();
  auto start = StartMsg();
  auto saved = SavedMsg();
  auto answer = PlayerMsg(0x32, "TWO", 4, -2);
  auto claim = PlayerMsg(0x31, "ONE", 4, -2);
  // Client 1 forges host traffic for client 2.
  ASSERT_TRUE(net[1].session.Send(1, 2, start.data(), start.size()));
  ASSERT_TRUE(net[1].session.Send(1, 2, saved.data(), saved.size()));
  net[2].lobby->SendClaim(4);
  ASSERT_TRUE(net[1].session.Send(1, 2, answer.data(), answer.size()));
  // A claim that reaches a client is not the client's to answer.
  ASSERT_TRUE(net[1].session.Send(1, 2, claim.data(), claim.size()));
  // The loopback of the own slot.
  auto own = PlayerMsg(0x30, "HOST", 0, 0);
  net[0].session.QueueLocal(0, 0, own.data(), own.size(), false);
  net.Run(10);
  EXPECT_FALSE(net[2].seen.started);
  EXPECT_FALSE(net[2].seen.savedGame);
  EXPECT_EQ(net[0].players[0].country, kLobbyCodeCharacter);
  EXPECT_EQ(net[0].seen.dropped, 1);
  // The claim of client 2 itself is answered by the host (character 4).
  EXPECT_TRUE(net[2].seen.claimGranted);
  EXPECT_EQ(net[2].players[2].character, 4);
  EXPECT_EQ(net[2].seen.dropped, 3);  // a claim reaching a client is passed over, not refused
}

}  // namespace
