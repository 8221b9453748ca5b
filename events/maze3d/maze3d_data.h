#pragma once
// 3D MAZE data, the contract between the event and whatever makes its files
// (the asset generator draws the default set to it): file names, the palette
// layout every maze picture is drawn to, picture sizes and the frame layouts
// of the engine sprite files. All files are under the data directory.
//
// The maze palette (carried by every sky picture, which the event loads it
// from): 0 black (transparent in pictures and sprites), 1 green, 2 red and
// 3 yellow (energy bars), 4..15 the status bar's colours, 16..63 the levels'
// walls, floors and the exit door (tinted by the light of the sky), 64..95
// the sky (65 the flat sky), 96..126 the things (monsters, key man,
// explosions, weapons), 127..254 the four players' bands of 32 colours
// (127 + 32 i), 255 white. A character's own pictures use colours 1..32 of
// its own palette and are moved into its player's band when loaded.

#include <utility>
#include <vector>

namespace mazeassets {

inline constexpr const char* kEngineFile = "maze\\rcengine.dat";
inline constexpr int kLevels = 3;
inline constexpr const char* kLevelFile[3] = {"maze\\final1.rce", "maze\\final2.rce", "maze\\final3.rce"};
inline constexpr const char* kNodeFile[3] = {"maze\\grid1.nod", "maze\\grid2.nod", "maze\\grid3.nod"};
inline constexpr const char* kHopFile[3] = {"maze\\grid1.bin", "maze\\grid2.bin", "maze\\grid3.bin"};

// Skies: the single view's four choices, and the split screen's night sky
// in place of its first. Each carries the whole maze palette.
inline constexpr int kSkyChoices = 4;
inline constexpr const char* kSkyFile[4] = {"maze\\nfullsky.bmp", "maze\\sunset.bmp", "maze\\mornsky.bmp",
                                            "maze\\daysky.bmp"};
inline constexpr const char* kSplitNightSky = "maze\\nightsky.bmp";
inline constexpr int kSkyFloorColour[4] = {0x2A, 0x2A, 0x2C, 0x27};
inline constexpr int kSkyLightMode[4] = {1, 2, 0, 0};  // 1 night, 2 sunset, 0 day
inline constexpr int kSkyW = 1800, kSkyH = 400;

// The status bar and its pictures.
inline constexpr const char* kStatusPicture = "maze\\status.bmp";  // 640 x 80
inline constexpr const char* kIconStrip = "maze\\actsbar.bmp";     // 52 x 100: pill, fists, key, fourth
inline constexpr const char* kPowerPicture = "maze\\power.bmp";    // 64 x 528: eleven 64 x 48 frames
inline constexpr const char* kDoorMapIcon = "maze\\sfmon.bmp";     // 20 x 20
inline constexpr const char* kIntroPicture = "maze\\mazeicon.bmp"; // 300 x 4800: sixteen 300 x 300 frames
inline constexpr int kIntroPictureFrames = 16, kIntroSize = 300;

// Per character, in player-record order (0 RIZAZ, 1 RAREZ VUDA, 2 ZARU,
// 3 RAZIRAZO, 4 RADEROZI, 5 ZOVI).
inline constexpr int kCharacters = 6;
// The maze's own family number (kind) of each character.
inline constexpr int kKindOfCharacter[6] = {1, 2, 3, 4, 0, 5};
inline constexpr const char* kNightPalette[6] = {"maze\\gc_night.bmp", "maze\\ap_night.bmp", "maze\\st_night.bmp",
                                                 "maze\\am_night.bmp", "maze\\ka_night.bmp", "maze\\al_night.bmp"};
inline constexpr const char* kSunsetPalette[6] = {"maze\\gc_sun.bmp", "maze\\ap_sun.bmp", "maze\\st_sun.bmp",
                                                  "maze\\am_sun.bmp", "maze\\ka_sun.bmp", "maze\\al_sun.bmp"};
inline constexpr const char* kFaceFile[6] = {"maze\\gc.fac", "maze\\ape.fac", "maze\\stud.fac",
                                             "maze\\amazon.fac", "maze\\kanga.fac", "maze\\alien.fac"};
inline constexpr const char* kMapIcon[6] = {"maze\\sfslob.bmp", "maze\\sfmonkey.bmp", "maze\\sfstud.bmp",
                                            "maze\\sfamaz.bmp", "maze\\sfkanga.bmp", "maze\\sfalien.bmp"};
inline constexpr const char* kWeaponIcon[6] = {"maze\\piza.bmp", "maze\\bana.bmp", "maze\\dbell.bmp",
                                               "maze\\dagger.bmp", "maze\\boom.bmp", "maze\\sship.bmp"};
inline constexpr const char* kWeaponSprite[6] = {"maze\\piza.mbm", "maze\\bana.mbm", "maze\\dumb.mbm",
                                                 "maze\\dagger.mbm", "maze\\boomer.mbm", "maze\\sship.mbm"};
inline constexpr const char* kCharacterSprite[6] = {"maze\\gc8m.mbm", "maze\\ape8m.mbm", "maze\\studman8.mbm",
                                                   "maze\\amaz8m.mbm", "maze\\kangar8.mbm", "maze\\alien8m.mbm"};
// The poses of each table of a character's sprite block (eight direction
// frames each), in the order of the player record's pose tables; the file
// holds them in that order except that ZARU's holds attack 1 before the throw.
struct CharacterPoses {
  int stand, walk, down, getUp, hit, hit2, throwing, attack1, attack2;
  bool attackBeforeThrow;
  int total() const { return stand + walk + down + getUp + hit + hit2 + throwing + attack1 + attack2; }
};
inline constexpr CharacterPoses kCharacterPoses[6] = {
    {1, 6, 8, 8, 3, 3, 6, 8, 8, false},   // RIZAZ
    {1, 6, 7, 6, 4, 0, 8, 7, 9, false},   // RAREZ VUDA
    {1, 6, 8, 8, 3, 3, 6, 8, 8, true},    // ZARU
    {1, 6, 8, 8, 3, 3, 6, 8, 8, false},   // RAZIRAZO
    {1, 5, 7, 6, 6, 0, 8, 8, 6, false},   // RADEROZI
    {1, 6, 6, 6, 8, 0, 10, 7, 7, false},  // ZOVI
};
inline constexpr int kFaceW = 64, kFaceH = 48, kMapIconSize = 20, kWeaponIconW = 52, kWeaponIconH = 25;
// Colours of a character's own pictures: 1..32 (0 transparent).
inline constexpr int kCharacterColours = 32;

// Engine sprite files (SECR). A pose is eight direction frames; frame k of a
// pose shows the thing turned by k eighths of a turn from facing the viewer.
inline constexpr int kDirections = 8;
inline constexpr const char* kKeyManSprite = "maze\\keyman.mbm";
// The key man's poses are single frames of one spin; the renderer may look
// up to seven frames past a pose, so the spin's first seven frames follow
// its twenty again.
inline constexpr int kKeyManPoses = 20, kKeyManFrames = kKeyManPoses + kDirections - 1;
inline constexpr const char* kExplosionSprite = "maze\\pow.mbm";
inline constexpr int kExplosionKinds = 4, kExplosionPoses = 6;  // sprite sets 5..8, consecutive
inline constexpr int kExplosionFrames = kExplosionKinds * kExplosionPoses * kDirections;
inline constexpr const char* kMonsterSprite = "maze\\monster.mbm";
inline constexpr int kMonsterPoses = 13, kMonsterShotPoses = 5;  // then the shot's poses
inline constexpr int kMonsterFrames = (kMonsterPoses + kMonsterShotPoses) * kDirections;
// Monster poses: 0..3 rising out of the floor, 4..8 spitting, 9..12 melting
// away (12 is the puddle of a sleeping monster).
inline constexpr int kMonsterRiseFirst = 0, kMonsterSpitFirst = 4, kMonsterDieFirst = 9, kMonsterAsleep = 12;
inline constexpr int kWeaponPoses = 5, kWeaponFrames = kWeaponPoses * kDirections;

// Palette layout (see above).
inline constexpr int kBarGreen = 1, kBarRed = 2, kBarYellow = 3;
inline constexpr int kHudFirst = 4, kHudLast = 15;
inline constexpr int kWorldFirst = 16, kWorldLast = 63;
inline constexpr int kSkyFirst = 64, kSkyLast = 95, kFlatSky = 0x41;
inline constexpr int kThingFirst = 96, kThingLast = 126;
inline constexpr int kBandFirst = 127;
inline constexpr int kWhite = 255;

// Every file of the maze's data: (path, true for an 8-bit .bmp picture; the
// others are the engine's own formats, read by its loaders).
inline std::vector<std::pair<const char*, bool>> MazeFiles() {
  std::vector<std::pair<const char*, bool>> f = {{kEngineFile, false},   {kStatusPicture, true},
                                                 {kIconStrip, true},     {kPowerPicture, true},
                                                 {kDoorMapIcon, true},   {kIntroPicture, true},
                                                 {kSplitNightSky, true}, {kKeyManSprite, false},
                                                 {kExplosionSprite, false}, {kMonsterSprite, false}};
  for (int i = 0; i < kLevels; ++i) {
    f.push_back({kLevelFile[i], false});
    f.push_back({kNodeFile[i], false});
    f.push_back({kHopFile[i], false});
  }
  for (const char* s : kSkyFile) f.push_back({s, true});
  for (int c = 0; c < kCharacters; ++c)
    for (const char* p : {kNightPalette[c], kSunsetPalette[c], kFaceFile[c], kMapIcon[c], kWeaponIcon[c]})
      f.push_back({p, true});
  for (int c = 0; c < kCharacters; ++c) {
    f.push_back({kWeaponSprite[c], false});
    f.push_back({kCharacterSprite[c], false});
  }
  return f;
}

// Sounds. The event's own (data directory, but the pill's in the program
// directory), then eleven per character in the row order the characters
// keep them: attack 1, attack 2, down, reaction 1, reaction 2, win,
// knock-out, key, run, throw, weapon; the names that start "sounds\\" are in
// the program directory, the others in the data directory.
inline constexpr const char* kAnnounceSound = "extra\\events\\ann3dmaz.wav";
inline constexpr const char* kRoarSound = "extra\\maze\\lion2.wav";
inline constexpr const char* kRegenSound = "extra\\maze\\regen2.wav";
inline constexpr const char* kDestroySound = "extra\\maze\\destroy.wav";
inline constexpr const char* kShootSound = "extra\\maze\\shoot.wav";
inline constexpr const char* kRockHitSound = "extra\\maze\\rockhit.wav";
inline constexpr const char* kPillSound = "sounds\\powerpil.wav";  // program directory
inline constexpr int kCharacterSounds = 11;
inline constexpr int kSoundAttack1 = 0, kSoundAttack2 = 1, kSoundDown = 2, kSoundReaction1 = 3,
                     kSoundReaction2 = 4, kSoundWin = 5, kSoundKnockOut = 6, kSoundKey = 7, kSoundRun = 8,
                     kSoundThrow = 9, kSoundWeapon = 10;
inline constexpr const char* kCharacterSound[6][11] = {
    {"sounds\\go_att1.wav", "sounds\\go_att2.wav", "sounds\\go_Down.wav", "sounds\\go_rea1.wav",
     "sounds\\go_rea2.wav", "sounds\\go_Win.wav", "extra\\maze\\go_tko.wav", "extra\\maze\\go_key.wav",
     "sounds\\Go_run.wav", "sounds\\Go_thrw.wav", "sounds\\Go_weap.wav"},
    {"sounds\\mo_att1.wav", "sounds\\mo_att2.wav", "sounds\\mo_Down.wav", "sounds\\mo_rea1.wav",
     "sounds\\mo_rea2.wav", "sounds\\mo_Win.wav", "extra\\maze\\mo_tko.wav", "extra\\maze\\mo_key.wav",
     "sounds\\Mo_run.wav", "sounds\\Mo_thrw.wav", "sounds\\Mo_weap.wav"},
    {"sounds\\st_att1.wav", "sounds\\st_att2.wav", "sounds\\St_Down.wav", "sounds\\st_rea1.wav",
     "sounds\\st_rea2.wav", "sounds\\st_Win.wav", "extra\\maze\\st_tko.wav", "extra\\maze\\St_key.wav",
     "sounds\\St_run.wav", "sounds\\St_thrw.wav", "sounds\\St_weap.wav"},
    {"sounds\\am_att1.wav", "sounds\\am_att2.wav", "sounds\\am_Down.wav", "sounds\\am_rea1.wav",
     "sounds\\am_rea2.wav", "sounds\\am_Win.wav", "extra\\maze\\am_tko.wav", "extra\\maze\\am_key.wav",
     "sounds\\Am_run.wav", "sounds\\Am_thrw.wav", "sounds\\Am_weap.wav"},
    {"sounds\\Ka_att1.wav", "sounds\\Ka_att2.wav", "sounds\\Ka_Down.wav", "sounds\\Ka_rea1.wav",
     "sounds\\Ka_rea2.wav", "sounds\\Ka_Win.wav", "extra\\maze\\Ka_tko.wav", "extra\\maze\\Ka_key.wav",
     "sounds\\Ka_run.wav", "sounds\\Ka_thrw.wav", "sounds\\Ka_weap.wav"},
    {"sounds\\al_att1.wav", "sounds\\al_att2.wav", "sounds\\al_Down.wav", "sounds\\al_rea1.wav",
     "sounds\\al_rea2.wav", "sounds\\al_Win.wav", "extra\\maze\\al_tko.wav", "extra\\maze\\al_key.wav",
     "sounds\\al_run.wav", "sounds\\al_thrw.wav", "sounds\\al_weap.wav"},
};
inline constexpr bool SoundInProgramDir(const char* path) { return path[0] == 's' || path[0] == 'S'; }
// Every sound the maze loads: (path, true when in the program directory).
inline std::vector<std::pair<const char*, bool>> MazeSoundFiles() {
  std::vector<std::pair<const char*, bool>> f;
  for (const char* s : {kAnnounceSound, kRoarSound, kRegenSound, kDestroySound, kShootSound, kRockHitSound,
                        kPillSound})
    f.push_back({s, SoundInProgramDir(s)});
  for (const auto& row : kCharacterSound)
    for (const char* s : row) f.push_back({s, SoundInProgramDir(s)});
  return f;
}

}  // namespace mazeassets
