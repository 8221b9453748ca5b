#pragma once
// Every file of the default data set, by the relative path the game opens it
// with (as the game spells it: the path resolver matches case-insensitively)
// and the directory it is opened from. The generator checks after a run that
// each one was written; the asset tests load each one through the game's
// own readers.
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "events/climbing/climbing_data.h"
#include "events/computer_throw/computer_throw_data.h"
#include "events/doggie_jump/doggie_jump_data.h"
#include "events/figure_skating/figure_skating_data.h"
#include "events/hippo_run/hippo_run_data.h"
#include "events/javelin_catch/javelin_catch_data.h"
#include "events/kickboxing/kickboxing_data.h"
#include "events/maze3d/maze3d_data.h"
#include "events/roller_derby/roller_derby_data.h"
#include "events/troubled_waters/troubled_waters_data.h"

namespace assetgen {

enum class Root { Program, Data, Video };
// MazeData: the 3D MAZE engine's own formats (tests/maze3d reads them); Tile:
// tile pictures (.bbm); EventData: a data file of an event, which the
// event's own tests read; Mesh: a text .x mesh, its textures beside it.
enum class Kind { Bmp8, Bmp24, Mbm, Wav, Avi, Text, MazeData, Tile, EventData, Mesh };

struct ManifestEntry {
  Root root;
  std::string path;  // relative, as the game names it
  Kind kind;
  int frames;        // .mbm and .avi: exact frame count
};

inline constexpr const char* kRootDirName[3] = {"program", "data", "video"};

// Character file tags, in player-record character order (0 RIZAZ .. 5 ZOVI).
inline constexpr const char* kMedalTag[6] = {"goo", "lar", "buf", "ama", "jac", "fre"};
inline constexpr const char* kFaceSheet[6] = {"menu\\goochtr8.mbm", "menu\\montr8.mbm",
                                              "menu\\studtr8.mbm", "menu\\amatr8.mbm",
                                              "menu\\kantr8.mbm", "menu\\fredtr8.mbm"};
inline constexpr const char* kRecordSound[6] = {"goorecrd.wav", "larrecrd.wav", "bufrecrd.wav",
                                                "amarecrd.wav", "jacrecrd.wav", "frerecrd.wav"};
inline constexpr const char* kCharacterSound[6] = {"Rizaz1.wav", "Amen1.wav", "Zovi1.wav",
                                                   "Nitemare.wav", "Ohwow.wav", "Makeday.wav"};
inline constexpr const char* kEventAnnounce[10] = {
    "cscompu.wav", "cscrazy.wav", "cshippo.wav", "csnicedo.wav", "cstroubl.wav",
    "csfigska.wav", "cs3dmaze.wav", "cskickbo.wav", "csjavel.wav", "csrderb.wav"};
// The cut-scene table's clips (rows 2k, 2k+1 belong to character k; 12, 13
// to the seventh character), then the fixed clips.
inline constexpr const char* kCutSceneClips[14] = {
    "video\\rizaz1.avi", "video\\rizaz2.avi", "video\\vuda1.avi", "video\\vuda2.avi",
    "video\\buff1.avi", "video\\buff2.avi", "video\\amazon1.avi", "video\\amazon2.avi",
    "video\\jacko1.avi", "video\\jacko2.avi", "video\\alien1.avi", "video\\alien2.avi",
    "video\\upcls1.avi", "video\\upcls2.avi"};
inline constexpr const char* kFixedClips[4] = {"video\\intro1.avi", "video\\intro.avi",
                                               "video\\credits.avi", "video\\chipint.avi"};
// One anthem per character for the closing ceremony.
inline constexpr const char* kAnthem[6] = {"sounds\\menu\\anthem0.wav", "sounds\\menu\\anthem1.wav",
                                           "sounds\\menu\\anthem2.wav", "sounds\\menu\\anthem3.wav",
                                           "sounds\\menu\\anthem4.wav", "sounds\\menu\\anthem5.wav"};
// Cut-scenes: 320x240, kClipFps frames a second; the fixed clips run longer.
inline constexpr int kClipW = 320, kClipH = 240, kClipFps = 8;
inline constexpr int kFixedClipFrames[4] = {32, 32, 40, 24};
inline constexpr int kCutSceneClipFrames = 24;
inline constexpr int kHelpPages = 10;  // menu\txt\help1.txt .. help10.txt, one per event

// Frame counts of the menu sprites (see the generator for their layouts).
inline constexpr int kFontGlyphs = 224;  // characters 0x20..0xFF, frame = code - 0x1F
inline constexpr int kEventsFrames = 3 + 16 * 10;
inline constexpr int kCursorFrames = 3, kIconsFrames = 4, kDialogFrames = 5;
inline constexpr int kFacesFrames = 6, kIntroFrames = 6, kFlagFrames = 14;
inline constexpr int kMedalSheetFrames = 26, kShop1Frames = 6, kShop2Frames = 64;
inline constexpr int kTrainingSheetFrames = 91, kSmallFacesFrames = 6, kLoadingPictures = 10;
// Status-band faces: per character six moods of 15 frames, 70x56; the star 8 frames.
inline constexpr const char* kFacePanelFile[6] = {"menu\\facepan0.mbm", "menu\\facepan1.mbm",
                                                  "menu\\facepan2.mbm", "menu\\facepan3.mbm",
                                                  "menu\\facepan4.mbm", "menu\\facepan5.mbm"};
inline constexpr int kFacePanelMoods = 6, kFacePanelFramesPerMood = 15, kFacePanelW = 70, kFacePanelH = 56;
inline constexpr int kStarFrames = 8, kStarSize = 16;

// FULL CONTACT FIGURE SKATING.
template <typename Add>
void AddSkatingFiles(Add add) {
  using namespace skateassets;
  const Root P = Root::Program, D = Root::Data;
  add(D, kStatusPicture, Kind::Bmp8);
  add(D, kPalettePicture, Kind::Bmp8);
  add(D, kNumberPicture, Kind::Bmp8);
  add(D, kShadowPicture, Kind::Bmp8);
  add(D, kRinkPicture, Kind::Tile);
  add(D, kFenceSprite, Kind::Mbm, kFenceFrames);
  add(D, kWarningSprite, Kind::Mbm, kWarningSpriteFrames);
  add(D, kStarSprite, Kind::Mbm, kStarFrames);
  add(D, kIconsSprite, Kind::Mbm, kIconsFrames);
  add(D, kIntroSprite, Kind::Mbm, kIntroFrames);
  for (const SkateFile& f : {kSkatingSound, kCheerSound, kBooSound, kCrowdSound, kBeepSound, kAnnouncerSound, kPillSound})
    add(f.inProgramDir ? P : D, f.path, Kind::Wav);
  for (int c = 0; c < kCharacters; ++c) {
    add(D, kSkaterSprite[c], Kind::Mbm, kSkaterFrames);
    add(D, kWeaponSprite[c], Kind::Mbm, kWeaponFrames);
    add(D, kSkdFile[c], Kind::EventData);
    for (const char* k : kSoundKind) add(D, std::string("sounds\\") + kSoundTag[c] + "_" + k + ".wav", Kind::Wav);
    for (int s = 1; s <= kSpecialSounds; ++s)
      add(D, std::string("extra\\skate\\") + kSpecialTag[c] + "spec" + std::to_string(s) + ".wav", Kind::Wav);
  }
}

inline std::vector<ManifestEntry> AssetManifest() {
  std::vector<ManifestEntry> m;
  // Shared files are listed once, however each event spells them (the game
  // matches names without regard to case).
  auto same = [](const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
  };
  auto add = [&](Root r, std::string p, Kind k, int frames = 0) {
    for (const ManifestEntry& e : m)
      if (e.root == r && same(e.path, p)) return;
    m.push_back({r, std::move(p), k, frames});
  };
  const Root P = Root::Program, D = Root::Data, V = Root::Video;
  // Start-up services of the shell.
  add(P, "menu\\char.mbm", Kind::Mbm, kFontGlyphs);
  add(P, "menu\\dialog.mbm", Kind::Mbm, kDialogFrames);
  add(P, "menu\\font8s.mbm", Kind::Mbm, kFontGlyphs);
  add(P, "sounds\\menu\\naviA.wav", Kind::Wav);
  add(P, "sounds\\menu\\select2.wav", Kind::Wav);
  add(P, "sounds\\menu\\warning.wav", Kind::Wav);
  add(P, "menu\\credits.mbm", Kind::Mbm, 1);
  add(P, "menu\\bkgrd.bmp", Kind::Bmp24);
  // Main menu.
  add(P, "Menu\\tile.bmp", Kind::Bmp8);
  add(P, "Menu\\logomain.bmp", Kind::Bmp8);
  add(P, "Menu\\font8.mbm", Kind::Mbm, kFontGlyphs);
  add(P, "Menu\\font8_2.mbm", Kind::Mbm, kFontGlyphs);
  add(P, "Menu\\cursor.mbm", Kind::Mbm, kCursorFrames);
  add(P, "Menu\\Events.mbm", Kind::Mbm, kEventsFrames);
  add(P, "Menu\\icons.mbm", Kind::Mbm, kIconsFrames);
  add(P, "sounds\\menu\\MAIN1.wav", Kind::Wav);
  // New game.
  for (const char* s : kCharacterSound) add(P, std::string("sounds\\menu\\") + s, Kind::Wav);
  add(P, "Menu\\tile1.bmp", Kind::Bmp8);
  add(P, "Menu\\tile2.bmp", Kind::Bmp8);
  add(P, "Menu\\tile3.bmp", Kind::Bmp8);
  add(P, "Menu\\boxes8.bmp", Kind::Bmp8);
  add(P, "Menu\\faces8n.mbm", Kind::Mbm, kFacesFrames);
  add(P, "Menu\\intro.mbm", Kind::Mbm, kIntroFrames);
  add(P, "Menu\\flags8.mbm", Kind::Mbm, kFlagFrames);
  add(P, "Menu\\flagwin8.mbm", Kind::Mbm, kFlagFrames);
  // Shop, medals and standings.
  add(P, "sounds\\menu\\theme.wav", Kind::Wav);
  add(P, "Menu\\med8new.mbm", Kind::Mbm, kMedalSheetFrames);
  add(P, "Menu\\shop1.mbm", Kind::Mbm, kShop1Frames);
  add(P, "Menu\\shop2.mbm", Kind::Mbm, kShop2Frames);
  for (const char* f : kFaceSheet) add(P, f, Kind::Mbm, kTrainingSheetFrames);
  static const char* const kPlace[3] = {"gold", "slvr", "brnz"};
  for (const char* place : kPlace)
    for (const char* tag : kMedalTag)
      for (int d = 1; d <= 3; ++d)
        add(D, std::string("extra\\medal\\") + place + tag + std::to_string(d) + ".wav", Kind::Wav);
  for (const char* s : kRecordSound) add(P, std::string("sounds\\") + s, Kind::Wav);
  for (const char* s : kEventAnnounce) add(D, std::string("extra\\medal\\") + s, Kind::Wav);
  // Face icons of the status band and the events' minimaps.
  add(P, "menu\\sfaces.mbm", Kind::Mbm, kSmallFacesFrames);
  for (const char* f : kFacePanelFile) add(P, f, Kind::Mbm, kFacePanelMoods * kFacePanelFramesPerMood);
  add(P, "menu\\star.mbm", Kind::Mbm, kStarFrames);
  // Closing ceremony.
  for (const char* s : kAnthem) add(P, s, Kind::Wav);
  // Options overlay help texts.
  add(P, "menu\\txt\\genHelp.txt", Kind::Text);
  for (int i = 1; i <= kHelpPages; ++i)
    add(P, "menu\\txt\\help" + std::to_string(i) + ".txt", Kind::Text);
  // Cut-scenes and loading pictures.
  for (int i = 0; i < 4; ++i) add(V, kFixedClips[i], Kind::Avi, kFixedClipFrames[i]);
  for (const char* c : kCutSceneClips) add(V, c, Kind::Avi, kCutSceneClipFrames);
  for (int i = 1; i <= kLoadingPictures; ++i)
    add(V, "video\\loading" + std::to_string(i) + ".mbm", Kind::Mbm, 1);
  // COMPUTER THROW.
  using namespace throwassets;
  add(D, kPalettePicture, Kind::Bmp8);
  add(D, kStatusPicture, Kind::Bmp8);
  add(D, kMiscSprite, Kind::Mbm, kMiscFrames);
  add(D, kPipeSprite, Kind::Mbm, kPipeFrames);
  add(D, kGullsSprite, Kind::Mbm, kGullFrames);
  add(D, kDrumsSprite, Kind::Mbm, kDrumFrames);
  add(D, kCloudsSprite, Kind::Mbm, kCloudFrames);
  add(D, kComputerSprite, Kind::Mbm, kComputerFrames);
  add(D, kMeterSprite, Kind::Mbm, kMeterFrames);
  add(D, kSignSprite, Kind::Mbm, kSignFrames);
  add(D, kShadowSprite, Kind::Mbm, kShadowFrames);
  add(D, kJudgeSprite, Kind::Mbm, kJudgeFrames);
  add(D, kIconSprite, Kind::Mbm, kIconFrames);
  add(D, kIconSpriteLowMemory, Kind::Mbm, 1);
  for (int c = 0; c < kCharacters; ++c) {
    add(D, kThrowCharacterFiles[c][0].path, Kind::Mbm, kSheetLayout[c].frameCount);
    for (int s = 0; s < kSoundSlots; ++s) {
      const ThrowFile& f = ThrowSoundFile(c, s);
      add(f.inProgramDir ? P : D, f.path, Kind::Wav);
    }
  }
  // TROUBLED WATERS.
  {
    using namespace swimassets;
    add(D, swimassets::kStatusPicture, Kind::Bmp8);
    add(D, kPumpSprite, Kind::Mbm, kPumpFrames);
    add(D, kSharkSprite, Kind::Mbm, kCreatureFrames);
    add(D, kJellySprite, Kind::Mbm, kCreatureFrames);
    add(D, kEelSprite, Kind::Mbm, kCreatureFrames);
    add(D, kFishesSprite, Kind::Mbm, kFishesFrames);
    add(D, kDecorationSprite, Kind::Mbm, kDecorationFrames);
    add(D, kWeedSprite, Kind::Mbm, kWeedFrames);
    add(D, kFlagSprite, Kind::Mbm, kFlagFrames);
    add(D, kTileSprite, Kind::Mbm, kTileFrames);
    add(D, kFlagIcon, Kind::Bmp8);
    add(D, kStarSprite, Kind::Mbm, kStarFrames);
    add(D, kIconsSprite, Kind::Mbm, kIconsFrames);
    add(D, kIntroSprite, Kind::Mbm, kIntroFrames);
    for (int c = 0; c < swimassets::kCharacters; ++c) {
      add(D, kSwimmerSprite[c], Kind::Mbm, kSwimmerFrames);
      add(D, kWeaponSprite[c], Kind::Mbm, kWeaponFrames);
      add(D, kSwimmerData[c], Kind::Text);
      char path[64];
      for (int k = 0; k < kSwimmerSounds; ++k) {
        std::snprintf(path, sizeof path, kSwimmerSoundPattern[k], k < kFirstVoiceSound ? kSoundPrefix[c] : kVoicePrefix[c]);
        add(D, path, Kind::Wav);
      }
    }
    for (const SwimFile& f : kEventSoundFiles) add(f.inProgramDir ? P : D, f.path, Kind::Wav);
  }
  // 3D MAZE.
  for (auto [path, picture] : mazeassets::MazeFiles()) add(D, path, picture ? Kind::Bmp8 : Kind::MazeData);
  for (auto [path, program] : mazeassets::MazeSoundFiles()) add(program ? P : D, path, Kind::Wav);
  // HIPPO RUN.
  {
    namespace ha = hippoassets;
    add(D, ha::kPalettePicture, Kind::Bmp8);
    add(D, ha::kStatusPicture, Kind::Bmp8);
    add(D, ha::kCoursePicture, Kind::Tile);
    add(D, ha::kHippoSprite, Kind::Mbm, ha::kHippoFrames);
    add(D, ha::kCarSprite, Kind::Mbm, ha::kCarFrames);
    add(D, ha::kExplodeSprite, Kind::Mbm, ha::kExplodeFrames);
    add(D, ha::kFlagSprite, Kind::Mbm, ha::kFlagFrames);
    add(D, ha::kIconsSprite, Kind::Mbm, ha::kIconsFrames);
    add(D, ha::kTitleSprite, Kind::Mbm, ha::kTitleFrames);
    add(D, ha::kMapSprite, Kind::Mbm, ha::kMapFrames);
    add(P, ha::kFacesSprite, Kind::Mbm, kSmallFacesFrames);
    add(V, ha::kLoadingPicture, Kind::Mbm, 1);
    add(D, ha::kAnnouncerSound, Kind::Wav);
    add(P, ha::kPillSound, Kind::Wav);
    for (const char* s : {ha::kCarSound, ha::kHitSound, ha::kPushSound, ha::kAmbienceSound}) add(D, s, Kind::Wav);
    for (int r = 0; r < ha::kRows; ++r) {
      add(D, ha::kRunnerSheet[r], Kind::Mbm, ha::RunnerFrameCount(r));
      add(D, ha::kWeaponSheet[r], Kind::Mbm, ha::kWeaponFrames);
      for (const char* v : ha::kVoiceFiles[r]) add(D, v, Kind::Wav);
      for (const char* c : ha::kCommentaryFiles[r]) add(D, c, Kind::Wav);
    }
  }
  AddSkatingFiles(add);
  // NICE DOGGIE JUMP (the status picture, the meter and the announcer's
  // numbers are COMPUTER THROW's).
  {
    namespace da = doggieassets;
    add(D, da::kPalettePicture, Kind::Bmp8);
    add(D, da::kTreeSprite, Kind::Mbm, da::kTreeFrames);
    add(D, da::kBackSprite, Kind::Mbm, da::kBackFrames);
    add(D, da::kDogSprite, Kind::Mbm, da::kDogSheetFrames);
    add(D, da::kStarsSprite, Kind::Mbm, da::kStarsFrames);
    add(D, da::kPitSprite, Kind::Mbm, da::kPitFrames);
    add(D, da::kJudgeSprite, Kind::Mbm, da::kJudgeFrames);
    add(D, da::kIconSprite, Kind::Mbm, da::kIconFrames);
    add(D, da::kIconSpriteLowMemory, Kind::Mbm, 1);
    add(D, da::kAnnounceSound, Kind::Wav);
    for (int r = 0; r < da::kRows; ++r) {
      add(D, da::kJumperSheet[r], Kind::Mbm, da::kJumperSheetFrames[r]);
      for (int s = 0; s < da::kSoundSlots; ++s) {
        const da::DoggieFile& f = da::DoggieSoundFile(r, s);
        add(f.inProgramDir ? P : D, f.path, Kind::Wav);
      }
    }
  }
  // CRAZY CLIMBING.
  climbassets::ForEachClimbFile([&](const char* path, int root, int kind, int frames) {
    add(root == climbassets::kProgram ? P : D, path, kind == climbassets::kMbm ? Kind::Mbm : kind == climbassets::kBmp8 ? Kind::Bmp8 : Kind::Wav, frames);
  });
  // PLATFORM KICKBOXING.
  {
    using namespace kickassets;
    add(D, kickassets::kPalettePicture, Kind::Bmp8);
    add(P, kickassets::kStatusPicture, Kind::Bmp8);
    add(D, kTilesSprite, Kind::Mbm, kTileFrames);
    add(D, kickassets::kMiscSprite, Kind::Mbm, kickassets::kMiscFrames);
    add(D, kSmokeSprite, Kind::Mbm, kSmokeFrames);
    add(D, kTitleSprite, Kind::Mbm, kTitleFrames);
    for (int c = 0; c < kickassets::kCharacters; ++c) {
      add(D, kFighterSprite[c], Kind::Mbm, kFighterFrames[c]);
      add(D, kickassets::kWeaponSprite[c], Kind::Mbm, kickassets::kWeaponFrames);
      char path[64];
      for (const char* pattern : kFighterSoundPattern) {
        std::snprintf(path, sizeof path, pattern, kickassets::kSoundPrefix[c]);
        add(P, path, Kind::Wav);
      }
      for (int n = 1; n <= kVoiceVariants; ++n)
        for (const char* pattern : {kFallVoicePattern, kKnockOutVoicePattern}) {
          std::snprintf(path, sizeof path, pattern, kickassets::kVoicePrefix[c], n);
          add(D, path, Kind::Wav);
        }
    }
    for (const KickFile& f : kEventSoundFiles) add(f.inProgramDir ? P : D, f.path, Kind::Wav);
  }
  // ROLLER DERBY.
  {
    namespace da = derbyassets;
    add(V, da::kLoadingPicture, Kind::Mbm, 1);
    add(D, da::kPalettePicture, Kind::Bmp8);
    add(P, da::kStatusPicture, Kind::Bmp8);
    add(D, da::kStarsSprite, Kind::Mbm, da::kStarPictures);
    add(D, da::kIconsSprite, Kind::Mbm, da::kIconsFrames);
    add(D, da::kExplosionSprite, Kind::Mbm, da::kExplosionFrames);
    add(D, da::kIntroSprite, Kind::Mbm, da::kIntroFrames);
    const std::string rd = std::string(da::kFolder) + "\\";
    for (const char* t : {da::kFloorTexture, da::kStartTexture, da::kWallTexture, da::kMineTexture})
      add(D, rd + t, Kind::Bmp8);
    for (const char* x : da::kPieceFiles) add(D, rd + x, Kind::Mesh);
    add(D, rd + da::kMineOffMesh, Kind::Mesh);
    add(D, rd + da::kMineOnMesh, Kind::Mesh);
    for (int c = 0; c < da::kCharacters; ++c) {
      add(D, da::kSkaterSheets[c], Kind::Mbm, da::SheetFrameCount(c));
      add(D, da::kWeapons[c].file, Kind::Mbm, static_cast<int>(da::kWeapons[c].frames) + 1);
      for (const char* v : da::kVoiceSuffix) add(P, std::string("sounds\\") + da::kVoicePrefix[c] + v, Kind::Wav);
      for (const char* v : da::kCommentarySuffix)
        add(D, std::string("extra\\rd\\") + da::kCommentaryPrefix[c] + v, Kind::Wav);
    }
    for (const char* s : {da::kCheerSound, da::kBombSound, da::kPillSound}) add(P, s, Kind::Wav);
    for (const char* s : {da::kBladeSound, da::kAnnouncerSound}) add(D, s, Kind::Wav);
  }
  // JAVELIN CATCH (its status picture, stars, icons and weapons are FIGURE
  // SKATING's, its loading picture is made with the others).
  {
    namespace ja = javelinassets;
    add(D, ja::kPalettePicture, Kind::Bmp8);
    add(D, ja::kStatusPicture, Kind::Bmp8);
    add(D, ja::kFieldPicture, Kind::Tile);
    add(D, ja::kFenceSprite, Kind::Mbm, ja::kFenceFrames);
    add(D, ja::kCannonSprite, Kind::Mbm, ja::kCannonFrames);
    add(D, ja::kObjectsSprite, Kind::Mbm, ja::kObjectsFrames);
    add(D, ja::kStar1Sprite, Kind::Mbm, ja::kStarFrames);
    add(D, ja::kStar2Sprite, Kind::Mbm, ja::kStarFrames);
    add(D, ja::kIconsSprite, Kind::Mbm, ja::kIconsFrames);
    add(D, ja::kAnnouncerSprite, Kind::Mbm, ja::kAnnouncerFrames);
    add(V, ja::kLoadingPicture, Kind::Mbm, 1);
    for (const ja::JavelinFile& f : ja::kEventSoundFiles) add(f.inProgramDir ? P : D, f.path, Kind::Wav);
    for (int c = 0; c < ja::kCharacters; ++c) {
      add(D, ja::kContestantSprite[c], Kind::Mbm, ja::kContestantFrames);
      add(D, ja::kWeaponSprite[c], Kind::Mbm, ja::kWeaponFrames);
      add(D, ja::kJcdFile[c], Kind::EventData);
      for (const char* kind : ja::kVoiceKind)
        add(D, std::string("sounds\\") + ja::kVoiceTag[c] + "_" + kind + ".wav", Kind::Wav);
      for (int n = 1; n <= ja::kCalls; ++n) {
        add(D, std::string("extra\\javelin\\") + ja::kCallTag[c] + "bomb" + std::to_string(n) + ".wav", Kind::Wav);
        add(D, std::string("extra\\javelin\\") + ja::kCallTag[c] + "jav0" + std::to_string(n) + ".wav", Kind::Wav);
      }
    }
  }
  return m;
}

}  // namespace assetgen
