// Configuration and controls on the settings store: defaults on an empty
// store, round trips, and unusable stored values.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/registry.h"
#include "graphics/sprite.h"
#include "input/input.h"
#include "platform/mixer.h"
#include "screen/config.h"

namespace {

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::string(KEL_BINARY_DIR) + "/test-home/entry-config-" + std::to_string(::getpid());
    ::mkdir(dir_.c_str(), 0755);
    store_ = dir_ + "/settings.ini";
    std::remove(store_.c_str());
    RegSetStorePath(store_);
    ::setenv("KELVANTHROP_DATA_ROOT", (dir_ + "/root").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir_ + "/xdg").c_str(), 1);
    OverrideLowMemory(0);
    ResetControlsToDefaults();
  }
  void TearDown() override {
    RegSetStorePath("");
    ::unsetenv("KELVANTHROP_DATA_ROOT");
    OverrideLowMemory(-1);
    ResetConfigurationDefaults();
    ResetControlsToDefaults();
    if (!HasFailure()) std::filesystem::remove_all(dir_);
  }
  std::string dir_;
  std::string store_;
};

TEST_F(ConfigTest, EmptyStoreGivesAPlayableFreshInstall) {
  LoadConfiguration();
  LoadControls();
  EXPECT_EQ(std::string(g_exePath.c_str()), dir_ + "/root/program/");
  EXPECT_EQ(std::string(g_dataPath.c_str()), dir_ + "/root/data/");
  EXPECT_EQ(std::string(g_videoPath.c_str()), dir_ + "/root/video/");
  EXPECT_EQ(std::string(g_saveGamePath.c_str()), dir_ + "/xdg/kelvanthrop/");
  struct stat st;
  EXPECT_EQ(::stat(g_saveGamePath.c_str(), &st), 0) << "save-game directory made";
  EXPECT_GT(g_volume, 0) << "a fresh install must be audible";
  EXPECT_LE(g_volume, kVolumeSteps);
  EXPECT_EQ(g_mazeFloor, 0);
  EXPECT_EQ(g_mazeFloorPending, 0);
  EXPECT_EQ(g_ddEmulation, 0);
  EXPECT_EQ(g_spriteLoadFlags, 0x28u);
  EXPECT_EQ(g_controlModes[0], kControlKeys1);
  EXPECT_EQ(g_controlModes[1], kControlKeys2);
  for (int k = 0; k < kKeySetSize; ++k) EXPECT_EQ(g_keySets[1][k], kDefaultKeySets[1][k]);

  ApplyConfiguredMixerVolumes();
  EXPECT_GT(MixerGetMasterGain(0), 0.0f);
  EXPECT_GT(MixerGetMasterGain(1), 0.0f);
}

TEST_F(ConfigTest, OptionsAndControlsRoundTripThroughTheStore) {
  LoadConfiguration();
  g_highColorVideo = 0;
  g_fullScreenVideo = 0;
  g_interlacedVideo = 1;
  g_highDetail = 0;
  g_bigViewport = 0;
  g_mazeFloor = 1;
  SetVolumeOption(3);
  g_controlModes[0] = kControlJoy2;
  g_controlModes[1] = kControlKeys1;
  int32_t keys[kKeySetSize] = {'I', 'K', 'J', 'L', 'U', 'O'};
  for (int k = 0; k < kKeySetSize; ++k) g_keySets[1][k] = keys[k];
  int32_t joy[kJoyConfigSize] = {35, 34, 33, 32, 31, 30, 4};
  for (int i = 0; i < kJoyConfigSize; ++i) g_joystickConfig2[i] = joy[i];
  ASSERT_TRUE(SaveConfiguration());
  ASSERT_TRUE(SaveControls());

  ResetConfigurationDefaults();
  ResetControlsToDefaults();
  LoadConfiguration();
  LoadControls();
  EXPECT_EQ(g_highColorVideo, 0);
  EXPECT_EQ(g_fullScreenVideo, 0);
  EXPECT_EQ(g_interlacedVideo, 1);
  EXPECT_EQ(g_highDetail, 0);
  EXPECT_EQ(g_bigViewport, 0);
  EXPECT_EQ(g_mazeFloor, 1);
  EXPECT_EQ(g_volume, 3);
  EXPECT_EQ(g_controlModes[0], kControlJoy2);
  EXPECT_EQ(g_controlModes[1], kControlKeys1);
  for (int k = 0; k < kKeySetSize; ++k) EXPECT_EQ(g_keySets[1][k], keys[k]);
  for (int i = 0; i < kJoyConfigSize; ++i) EXPECT_EQ(g_joystickConfig2[i], joy[i]);
  EXPECT_EQ(RegReadInt(kRegConfig, "JOY2START", -1), 4);
  EXPECT_EQ(RegReadInt(kRegConfig, "KEY2A2", -1), 'O');
}

TEST_F(ConfigTest, PendingMazeFloorIsNeverStored) {
  LoadConfiguration();
  g_mazeFloor = 1;
  g_mazeFloorPending = 1;  // a maze has not applied the change yet
  ASSERT_TRUE(SaveConfiguration());
  EXPECT_EQ(RegReadInt(kRegConfig, "MAZEFLOOR", -5), 1);
  // A store written by the old habit of parking -1 there reads as the default.
  RegWriteInt(kRegConfig, "MAZEFLOOR", -1);
  LoadConfiguration();
  EXPECT_EQ(g_mazeFloor, 0);
  EXPECT_EQ(g_mazeFloorPending, 0);
}

TEST_F(ConfigTest, StoredDirectoriesAndFlagsAreTakenAndCheckedOnLoad) {
  RegWriteString(kRegConfig, "EXEPATH", "/opt/kel/program");  // no slash at the end
  RegWriteString(kRegConfig, "DATAPATH", "");                  // empty: default
  RegWriteString(kRegConfig, "SAVEGAMEPATH", (dir_ + "/mysaves/").c_str());
  RegWriteInt(kRegConfig, "DDEMULATION", 1);
  RegWriteInt(kRegConfig, "HIGHDETAIL", 7);        // not an on/off value
  RegWriteString(kRegConfig, "BIGVIEWPORT", "yes");  // not a number
  RegWriteInt(kRegConfig, "VOLUME", 4000);         // beyond the scale
  LoadConfiguration();
  EXPECT_STREQ(g_exePath.c_str(), "/opt/kel/program/");
  EXPECT_EQ(std::string(g_dataPath.c_str()), dir_ + "/root/data/");
  EXPECT_EQ(std::string(g_saveGamePath.c_str()), dir_ + "/mysaves/");
  EXPECT_EQ(g_ddEmulation, 1);
  EXPECT_EQ(g_spriteLoadFlags, 0x20u);
  EXPECT_EQ(g_highDetail, 1);
  EXPECT_EQ(g_bigViewport, 1);
  EXPECT_EQ(g_volume, kDefaultVolume);

  SetVolumeOption(-3);
  EXPECT_EQ(g_volume, 0);
  EXPECT_EQ(MixerGetMasterGain(1), 0.0f);
  SetVolumeOption(12);
  EXPECT_EQ(g_volume, kVolumeSteps);
  EXPECT_EQ(RegReadInt(kRegConfig, "VOLUME", -1), kVolumeSteps);
  ApplyConfiguredMixerVolumes();
  EXPECT_EQ(MixerGetMasterGain(1), 1.0f);
}

TEST_F(ConfigTest, UnusableControlsFallBackToTheDefaultsOfTheirSet) {
  struct Case {
    const char* what;
    void (*write)();
    int32_t mode1, mode2;
    bool set1Default, set2Default;
  } cases[] = {
      {"unknown modes", [] { RegWriteInt(kRegConfig, "PLAYER1CONTROL", 5);
                             RegWriteInt(kRegConfig, "PLAYER2CONTROL", -2); },
       kControlKeys1, kControlKeys2, true, true},
      {"both players on one mode", [] { RegWriteInt(kRegConfig, "PLAYER1CONTROL", 11);
                                        RegWriteInt(kRegConfig, "PLAYER2CONTROL", 11); },
       kControlJoy2, kControlKeys2, true, true},
      {"key set 2 on player 1", [] { RegWriteInt(kRegConfig, "PLAYER1CONTROL", 1);
                                     RegWriteInt(kRegConfig, "PLAYER2CONTROL", 1); },
       kControlKeys2, kControlKeys1, true, true},
      {"a key out of range", [] { RegWriteInt(kRegConfig, "KEY1U", 0x1FF); },
       kControlKeys1, kControlKeys2, true, true},
      {"a mouse button as key", [] { RegWriteInt(kRegConfig, "KEY2A1", 1); },
       kControlKeys1, kControlKeys2, true, true},
      {"a key twice in a set", [] { RegWriteInt(kRegConfig, "KEY2U", 'A'); },
       kControlKeys1, kControlKeys2, true, true},
      {"a key in both sets", [] { RegWriteInt(kRegConfig, "KEY1U", 'K');
                                  RegWriteInt(kRegConfig, "KEY2U", 'K'); },
       kControlKeys1, kControlKeys2, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(store_.c_str());
    RegSetStorePath(store_);
    c.write();
    LoadControls();
    EXPECT_EQ(g_controlModes[0], c.mode1);
    EXPECT_EQ(g_controlModes[1], c.mode2);
    EXPECT_NE(g_controlModes[0], g_controlModes[1]);
    bool set1Default = true, set2Default = true;
    for (int k = 0; k < kKeySetSize; ++k) {
      set1Default &= g_keySets[0][k] == kDefaultKeySets[0][k];
      set2Default &= g_keySets[1][k] == kDefaultKeySets[1][k];
    }
    EXPECT_EQ(set1Default, c.set1Default);
    EXPECT_EQ(set2Default, c.set2Default);
  }
  // A joystick set-up with a button out of range or twice: defaults.
  for (int bad : {3, 36, 5}) {
    std::remove(store_.c_str());
    RegSetStorePath(store_);
    RegWriteInt(kRegConfig, "JOY1B1", 5);
    RegWriteInt(kRegConfig, "JOY1B2", bad);
    LoadControls();
    for (int i = 0; i < kJoyConfigSize; ++i)
      EXPECT_EQ(g_joystickConfig1[i], kDefaultJoystickConfig[i]) << bad;
  }
}

TEST_F(ConfigTest, LowMemoryFollowsThePhysicalSizeUnlessOverridden) {
  EXPECT_TRUE(IsLowMemory(15728640 - 1));
  EXPECT_FALSE(IsLowMemory(15728640));
  OverrideLowMemory(1);
  LoadConfiguration();
  EXPECT_EQ(g_lowMemory, 1);
  OverrideLowMemory(-1);
  ::setenv("KELVANTHROP_LOW_MEMORY", "1", 1);
  LoadConfiguration();
  EXPECT_EQ(g_lowMemory, 1);
  ::unsetenv("KELVANTHROP_LOW_MEMORY");
  LoadConfiguration();
  EXPECT_EQ(g_lowMemory, 0) << "any machine running these tests has more than 15 MB";
}

}  // namespace
