// Who holds a place in the lobby: an athlete only through the host, a
// machine that never finishes joining taken out by the host (by hand or
// when its time is up), a game started without a machine's player telling
// that machine so.
#include <gtest/gtest.h>

#include <cstring>

#include "frontend/new_game_screen.h"
#include "tests/lobby/lobby_fixture.h"

namespace {

// The host starts as its screen does: the computer takes the empty seats.
bool StartGame(LobbyNet& net, uint32_t seed) {
  FillComputerPlayers(net[0].players);
  return net[0].lobby->SendStart(seed);
}

// A record that names an athlete somebody else holds (sent without the
// claim the host would refuse) is not taken by the host: the sender stays
// "joining", and the host's start would carry no athlete twice.
TEST(LobbyAdmission, ARecordWithAnAthleteAnotherHoldsIsRefused) {
  LobbyNet net;
  ASSERT_NO_FATAL_FAILURE(net.OpenNamed({"HOST", "ONE", "TWO"}));
  net.Run();
  ASSERT_TRUE(net[1].lobby->SendClaim(2));
  net.Run();
  ASSERT_TRUE(net[1].seen.claimGranted);
  ASSERT_TRUE(net[0].lobby->HostTakeCharacter(4));
  net[0].ChooseCountry(3);
  net.Run();
  // TWO says it is ZARU (character 2), then the host's own athlete, as if
  // granted; each with a country.
  for (int character : {2, 4}) {
    SCOPED_TRACE(character);
    net[2].players[2].character = character;
    net[2].ChooseCountry(7);
    net.Run();
    EXPECT_EQ(net[0].players[2].country, kLobbyCodeCharacter) << "the host took it";
    EXPECT_EQ(net[0].lobby->JoiningSlot(), 1);  // ONE is choosing his country; TWO behind him
    EXPECT_GT(net[0].seen.dropped, 0);
  }
  net[1].ChooseCountry(5);
  net.Run();
  EXPECT_EQ(net[0].lobby->JoiningSlot(), 2) << "TWO holds no athlete of his own yet";
  // An athlete nobody holds is his.
  net[2].players[2].character = 0;
  net[2].ChooseCountry(7);
  net.Run();
  EXPECT_EQ(net[0].players[2].character, 0);
  EXPECT_EQ(net[0].lobby->JoiningSlot(), -1);
}

// A machine that joined with two players and only keeps its link alive
// keeps the start refused ("joining") until the host takes it out; then
// everybody's lobby forgets it, it is told, and the game starts.
struct SilentCase {
  const char* name;
  bool byHand;  // the host's key; else the join limit
};

TEST(LobbyAdmission, AMachineThatNeverFinishesJoiningIsTakenOut) {
  for (const SilentCase& c : {SilentCase{"by the host", true}, SilentCase{"when its time is up", false}}) {
    SCOPED_TRACE(c.name);
    LobbyNet net;
    ASSERT_NO_FATAL_FAILURE(net.Open(3));
    ASSERT_EQ(net[0].EnterName("HOST"), 0);
    ASSERT_EQ(net[1].EnterName("ONE"), 1);
    // Machine 2 takes two slots and sends no record for either.
    ASSERT_EQ(net[2].session.AddLocalPlayer("MUTE"), 2);
    ASSERT_EQ(net[2].session.AddLocalPlayer("MUTE2"), 3);
    net.Run();
    ASSERT_TRUE(net[1].lobby->SendClaim(1));
    net.Run();
    net[1].ChooseCountry(2);
    ASSERT_TRUE(net[0].lobby->HostTakeCharacter(3));
    net[0].ChooseCountry(9);
    net.Run();
    EXPECT_EQ(net[0].lobby->JoiningSlot(), 2) << "the silent machine holds the start";
    if (c.byHand) {
      EXPECT_FALSE(net[1].lobby->RemoveMachine(2)) << "only the host takes machines out";
      EXPECT_FALSE(net[0].lobby->RemoveMachine(0)) << "nor itself";
      ASSERT_TRUE(net[0].lobby->RemoveMachine(2));
      net.Run(40);
    } else {
      net.Run(40);
      EXPECT_EQ(net[0].lobby->JoiningSlot(), 2) << "not before its time";
      for (int i = 0; i < 40 && net[0].session.GetSlotState(2) != kSlotFree; ++i) {
        net.clock.Advance(500);
        net.Run(2);
      }
    }
    for (int m = 0; m < 2; ++m) {
      EXPECT_EQ(net[m].session.GetSlotState(2), kSlotFree) << "machine " << m;
      EXPECT_EQ(net[m].session.GetSlotState(3), kSlotFree) << "machine " << m;
      EXPECT_EQ(net[m].players[2].country, kLobbyCodeEmpty) << "machine " << m;
    }
    EXPECT_TRUE(net[2].seen.hostLeft);
    EXPECT_TRUE(net[2].seen.removed) << "the machine taken out is told why";
    EXPECT_FALSE(net[0].seen.hostLeft);
    EXPECT_FALSE(net[1].seen.hostLeft);
    EXPECT_TRUE(net[1].session.GetSlotState(0) == kSlotRemote && net[0].session.IsHost());
    EXPECT_EQ(net[0].lobby->JoiningSlot(), -1);
    ASSERT_TRUE(StartGame(net, 4242));
    net.Run();
    EXPECT_TRUE(net[1].seen.started);
    EXPECT_EQ(net[1].local[2], 4242);
  }
}

// A machine whose player had not joined when the host started (still
// typing his name) is told that there is no place for him; it does not
// follow into the game without a slot.
TEST(LobbyAdmission, AStartWithoutThisMachinesPlayerShutsItOut) {
  LobbyNet net;
  ASSERT_NO_FATAL_FAILURE(net.Open(3));
  ASSERT_EQ(net[0].EnterName("HOST"), 0);
  ASSERT_EQ(net[1].EnterName("ONE"), 1);
  net.Run();
  ASSERT_TRUE(net[1].lobby->SendClaim(1));
  net.Run();
  net[1].ChooseCountry(2);
  ASSERT_TRUE(net[0].lobby->HostTakeCharacter(3));
  net[0].ChooseCountry(9);
  net.Run();
  ASSERT_TRUE(StartGame(net, 77));
  net.Run();
  EXPECT_TRUE(net[1].seen.started);
  EXPECT_FALSE(net[2].seen.started);
  EXPECT_TRUE(net[2].seen.shutOut);
  EXPECT_EQ(net[2].local[2], 0) << "the seed of a game it is not in";
}

}  // namespace
