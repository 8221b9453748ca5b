// The lobby between machines on the in-memory network: names, claims for
// characters, countries, the start with one seed, players who leave, and a
// saved network game handed to the players who come back.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/lobby/lobby_fixture.h"

namespace {

bool SameRecords(const PlayerRecord a[4], const PlayerRecord b[4]) {
  return std::memcmp(a, b, sizeof(PlayerRecord) * 4) == 0;
}

TEST(LobbyClaims, TwoPlayersWantingOneCharacterGetItOnce) {
  LobbyNet net;
  ASSERT_NO_FATAL_FAILURE(net.OpenNamed({"HOST", "ONE", "TWO"}));
  net.Run();
  // Both clients claim ZARU in the same moment.
  ASSERT_TRUE(net[1].lobby->SendClaim(2));
  ASSERT_TRUE(net[2].lobby->SendClaim(2));
  net.Run();
  // The host took the first claim it saw; the other went unanswered.
  ASSERT_TRUE(net[1].seen.claimGranted);
  EXPECT_FALSE(net[2].seen.claimGranted);
  EXPECT_EQ(net[2].lobby->PendingClaim(), 2);
  for (int m = 0; m < 3; ++m) {
    EXPECT_EQ(net[m].players[1].character, 2) << "machine " << m;
    EXPECT_EQ(net[m].players[1].country, kLobbyCodeCountry) << "machine " << m;
  }
  EXPECT_EQ(net[2].players[2].country, kLobbyCodeCharacter);
  // The refused player sees the character taken and chooses another.
  EXPECT_TRUE(net[2].lobby->CharacterTaken(2, 2));
  ASSERT_TRUE(net[2].lobby->SendClaim(4));
  net.Run();
  EXPECT_TRUE(net[2].seen.claimGranted);
  EXPECT_EQ(net[0].players[2].character, 4);
  // The host wants a character a client holds: refused by the same rule,
  // also while that client is still choosing its country.
  EXPECT_FALSE(net[0].lobby->HostTakeCharacter(2));
  EXPECT_FALSE(net[0].lobby->HostTakeCharacter(4));
  EXPECT_TRUE(net[0].lobby->HostTakeCharacter(0));
  // And a client's claim for the host's character is not answered.
  net[1].seen = LobbyPoll();
  ASSERT_TRUE(net[1].lobby->SendClaim(0));
  net.Run();
  EXPECT_FALSE(net[1].seen.claimGranted);
  EXPECT_EQ(net[0].players[1].character, 2);
}

TEST(LobbyClaims, AClaimOnceRefusedCanBeGrantedWhenTheHolderLeaves) {
  LobbyNet net;
  ASSERT_NO_FATAL_FAILURE(net.OpenNamed({"HOST", "ONE", "TWO"}));
  net.Run();
  ASSERT_TRUE(net[1].lobby->SendClaim(3));
  net.Run();
  ASSERT_TRUE(net[2].lobby->SendClaim(3));
  net.Run();
  EXPECT_FALSE(net[2].seen.claimGranted);
  net[1].session.Close();  // ONE leaves
  net.Run(60);
  EXPECT_EQ(net[0].players[1].country, kLobbyCodeEmpty);
  EXPECT_EQ(net[2].players[1].country, kLobbyCodeEmpty);
  ASSERT_TRUE(net[2].lobby->SendClaim(3));
  net.Run();
  EXPECT_TRUE(net[2].seen.claimGranted);
}

// Four machines from their names to the start: every machine ends with the
// same four records and the same seed, and the host cannot start while a
// player is still choosing.
TEST(LobbyFlow, FourMachinesStartWithOneSetOfRecordsAndOneSeed) {
  LobbyNet net;
  net.Open(4);
  const char* names[4] = {"ANNA", "BORIS", "CAROLINE", "DIMITRI"};
  for (int i = 0; i < 4; ++i) ASSERT_EQ(net[i].EnterName(names[i]), i);
  net.Run();
  for (int m = 0; m < 4; ++m)
    for (int s = 0; s < 4; ++s) {
      EXPECT_STREQ(net[m].players[s].name, names[s]) << m << "/" << s;
      EXPECT_EQ(net[m].players[s].country, kLobbyCodeCharacter) << m << "/" << s;
    }
  ASSERT_TRUE(net[0].lobby->HostTakeCharacter(5));
  net[0].lobby->SendClaim(5);  // a claim from the host goes unanswered by the others
  for (int i = 1; i < 4; ++i) ASSERT_TRUE(net[i].lobby->SendClaim(i - 1));
  net.Run();
  for (int i = 1; i < 4; ++i) EXPECT_TRUE(net[i].seen.claimGranted) << i;
  EXPECT_EQ(net[0].lobby->JoiningSlot(), 0);
  for (int i = 0; i < 3; ++i) net[i].ChooseCountry(i + 3);
  net.Run();
  EXPECT_EQ(net[0].lobby->JoiningSlot(), 3);  // DIMITRI is still choosing
  net[3].ChooseCountry(11);
  net.Run();
  ASSERT_EQ(net[0].lobby->JoiningSlot(), -1);
  for (int s = 0; s < 4; ++s) InitPlayerRecord(&net[0].players[s], net[0].players[s].character);
  ASSERT_TRUE(net[0].lobby->SendStart(0x1234567u));
  net.Run();
  for (int m = 1; m < 4; ++m) {
    EXPECT_TRUE(net[m].seen.started) << m;
    EXPECT_EQ(net[m].local[2], 0x1234567) << m;
    EXPECT_TRUE(SameRecords(net[0].players, net[m].players)) << m;
  }
  EXPECT_EQ(net[0].local[2], 0x1234567);
  EXPECT_EQ(net[2].players[3].country, 11);
  EXPECT_EQ(net[2].players[0].character, 5);
  EXPECT_EQ(net[2].players[0].human, 1);
}

TEST(LobbyFlow, PlayersWhoLeaveAndAHostWhoLeaves) {
  LobbyNet net;
  ASSERT_NO_FATAL_FAILURE(net.OpenNamed({"HOST", "ONE", "TWO"}));
  net.Run();
  net[2].session.Close();
  net.Run(60);
  EXPECT_FALSE(net[1].seen.hostLeft);
  EXPECT_EQ(net[0].players[2].country, kLobbyCodeEmpty);
  EXPECT_EQ(net[0].players[2].human, 0);
  EXPECT_EQ(net[1].players[2].country, kLobbyCodeEmpty);
  EXPECT_EQ(net[0].lobby->JoiningSlot(), 0);  // the host itself has no character yet
  net[0].session.Close();
  net.Run(60);
  EXPECT_TRUE(net[1].seen.hostLeft);
}

// The host leaves the lobby: the machine with the lowest remaining slot
// takes its place, answers the claims and starts the game for the others;
// a machine that had joined but not yet given its name stays in the session
// and gets its slot from the new host.
TEST(LobbyFlow, TheHostsPlaceMovesToTheLowestSlotWhenItLeaves) {
  LobbyNet net;
  ASSERT_NO_FATAL_FAILURE(net.Open(4));
  ASSERT_EQ(net[0].EnterName("HOST"), 0);
  ASSERT_EQ(net[1].EnterName("ONE"), 1);
  ASSERT_EQ(net[2].EnterName("TWO"), 2);
  net.Run();
  net[0].session.Close();
  net.Run(60);
  for (int m = 1; m < 4; ++m) {
    EXPECT_FALSE(net[m].seen.hostLeft) << m;
    EXPECT_EQ(net[m].session.HostSlot(), 1) << m;
    EXPECT_EQ(net[m].session.IsHost(), m == 1) << m;
  }
  EXPECT_EQ(net[2].players[0].country, kLobbyCodeEmpty);
  ASSERT_EQ(net[3].EnterName("THREE"), 0);  // the freed slot, from the new host
  net.Run();
  ASSERT_TRUE(net[2].lobby->SendClaim(4));
  ASSERT_TRUE(net[3].lobby->SendClaim(1));
  net.Run();
  EXPECT_TRUE(net[2].seen.claimGranted);
  EXPECT_TRUE(net[3].seen.claimGranted);
  ASSERT_TRUE(net[1].lobby->HostTakeCharacter(0));
  net[1].ChooseCountry(1);
  net[2].ChooseCountry(2);
  net[3].ChooseCountry(3);
  net.Run();
  ASSERT_EQ(net[1].lobby->JoiningSlot(), -1);
  SetPlayerName(&net[1].players[3], "CPU");  // the computer in the slot nobody took
  net[1].players[3].character = 5;
  net[1].players[3].country = 9;
  for (int s = 0; s < 4; ++s) InitPlayerRecord(&net[1].players[s], net[1].players[s].character);
  ASSERT_TRUE(net[1].lobby->SendStart(99));
  net.Run();
  for (int m = 2; m < 4; ++m) {
    EXPECT_TRUE(net[m].seen.started) << m;
    EXPECT_EQ(net[m].local[2], 99) << m;
    EXPECT_TRUE(SameRecords(net[1].players, net[m].players)) << m;
  }
  EXPECT_STREQ(net[2].players[0].name, "THREE");
}

// A machine that polls after the start leaves the event's traffic alone.
TEST(LobbyFlow, TrafficAfterTheStartWaitsForTheEvent) {
  LobbyNet net;
  ASSERT_NO_FATAL_FAILURE(net.OpenNamed({"HOST", "GUEST"}));
  net.Run();
  net[0].players[0].country = 1;
  net[0].players[1].country = 2;
  net[0].players[1].character = 1;
  for (int s = 0; s < 4; ++s) {
    if (s >= 2) net[0].players[s].country = s + 4;
    InitPlayerRecord(&net[0].players[s], net[0].players[s].character);
  }
  ASSERT_TRUE(net[0].lobby->SendStart(77));
  uint8_t block[kMsgPlayerBlockSize] = {};
  NetPutHeader(block, kMsgPlayerBlock, kMsgPlayerBlockSize);
  ASSERT_TRUE(net[0].session.Send(0, 1, block, sizeof block));
  net.hub.Tick();
  net.hub.Tick();
  LobbyPoll p = net[1].Poll();
  EXPECT_TRUE(p.started);
  ASSERT_EQ(net[1].session.PendingMessages(), 1u);
}

// A saved network game hosted here: a player who joins under a saved name
// gets his saved record, moved to the slot the session gave him, and every
// machine gets the saved records in that order.
TEST(LobbySavedGame, JoinerGetsHisSavedRecordInHisOwnSlot) {
  LobbyNet net;
  net.Open(2);
  PlayerRecord saved[4];
  for (int s = 0; s < 4; ++s) {
    std::memset(&saved[s], 0, sizeof saved[s]);
    InitPlayerRecord(&saved[s], s);
    saved[s].country = s;
    saved[s].place = 3 - s;
    saved[s].points = 10 * s;
  }
  SetPlayerName(&saved[0], "HOST");
  saved[0].human = 1;
  SetPlayerName(&saved[1], "CPU");
  SetPlayerName(&saved[2], "CPU");
  SetPlayerName(&saved[3], "GUEST");  // played in slot 3 last time
  saved[3].human = 1;
  saved[3].money = 4321;
  // The host loads: its own record and the computer players' are in place.
  net[0].lobby->SetHostedSavedGame(4, 0, saved);
  ASSERT_EQ(net[0].EnterName("HOST"), 0);
  net[0].players[0] = saved[0];
  net.Run();
  ASSERT_EQ(net[1].EnterName("GUEST"), 1);
  net.Run();
  ASSERT_TRUE(net[1].seen.savedGame);
  EXPECT_EQ(net[1].eventIndex, 4);
  EXPECT_EQ(net[1].players[1].money, 4321);
  EXPECT_STREQ(net[1].players[1].name, "GUEST");
  EXPECT_EQ(net[0].players[1].money, 4321);
  // The computer record that stood in slot 1 moved to slot 3 everywhere.
  EXPECT_EQ(net[1].players[3].points, 10);
  EXPECT_EQ(net[0].lobby->JoiningSlot(), -1);
  net[0].lobby->FillAbsentFromSaved();
  EXPECT_EQ(net[0].players[3].points, 10);
  EXPECT_EQ(net[0].players[3].human, 0);
  ASSERT_TRUE(net[0].lobby->SendStart(99));
  net.Run();
  ASSERT_TRUE(net[1].seen.started);
  EXPECT_TRUE(SameRecords(net[0].players, net[1].players));

  // A stranger gets nothing of the saved game and holds up the start.
  LobbyNet net2;
  net2.Open(2);
  net2[0].lobby->SetHostedSavedGame(4, 0, saved);
  ASSERT_EQ(net2[0].EnterName("HOST"), 0);
  net2[0].players[0] = saved[0];
  ASSERT_EQ(net2[1].EnterName("STRANGER"), 1);
  net2.Run();
  EXPECT_FALSE(net2[1].seen.savedGame);
  EXPECT_EQ(net2[0].lobby->JoiningSlot(), 1);
}

// A host left alone at the start goes on as a game on this machine.
TEST(LobbyFlow, AHostLeftAloneGoesOnLocally) {
  LobbyNet net;
  net.Open(2);
  ASSERT_EQ(net[0].EnterName("HOST"), 0);
  net[0].players[0].country = 3;
  net.Run();
  net[0].lobby->FinishStart();
  EXPECT_EQ(net[0].mode, 0);
  EXPECT_FALSE(net[0].session.IsNetwork());
  EXPECT_EQ(net[0].session.GetSlotState(0), kSlotLocal);
  EXPECT_STREQ(net[0].session.GetPlayerName(0), "HOST");
}

}  // namespace
