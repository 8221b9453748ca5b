#pragma once
// PLATFORM KICKBOXING data, the contract between the event and whatever makes
// its files (the asset generator draws the default set to it): file names,
// frame counts and sizes, the fighters' hot spots and animation table, and
// the palette ranges. The generator draws to exactly these numbers, so the
// event takes them from here and never restates them.
//
// Character order is the player record's: 0 RIZAZ, 1 RAREZ VUDA, 2 ZARU,
// 3 RAZIRAZO, 4 RADEROZI, 5 ZOVI.

#include "screen/event_assets.h"

namespace kickassets {

inline constexpr int kCharacters = 6;

// ---------------------------------------------------------------- pictures
// Under the data directory unless told.
// The event palette: 0 black, 1 the transparent key, 2..5 the fixed colours,
// 6..126 the scenery, 127 + 32 i .. 158 + 32 i player i's fighter (copied in
// by the event from the fighter sheets), 255 white.
inline constexpr const char* kPalettePicture = "boxing\\palette.bmp";
inline constexpr int kSceneryFirst = 6, kSceneryLast = 126;
inline constexpr int kFighterColoursFirst = 127, kFighterColours = 32;
// The status band, program directory; the event keeps it to colours 0..126
// and 255.
inline constexpr const char* kStatusPicture = "menu\\statnew.bmp";
inline constexpr int kStatusW = 640, kStatusH = 80;
inline constexpr const char* kLoadingPicture = "video\\loading8.mbm";  // video directory

// The background: tile n of the scene's tile map is frame n + 1.
inline constexpr const char* kTilesSprite = "boxing\\tiles.mbm";
inline constexpr int kTileFrames = 17, kTileSize = 100;
inline constexpr int kSceneW = 1700, kSceneH = 800;

// misc.mbm: 1 a fighter's shadow, 2..7 the weapon icons by character
// (character + 2), 8 fists, 9 the power pill, 10..13 hit sparks (their
// top-left kSparkSize square is used), 14..19 the decorations, 20 and 21 the
// two pillars.
inline constexpr const char* kMiscSprite = "boxing\\misc.mbm";
inline constexpr int kMiscFrames = 21;
inline constexpr int kMiscWeaponIconFirst = 2, kMiscFists = 8, kMiscPill = 9;
inline constexpr int kMiscSparkFirst = 10, kMiscSparkFrames = 4, kSparkSize = 40;
inline constexpr int kMiscDecorationFirst = 14, kMiscDecorations = 6;
inline constexpr int kMiscPillarA = 20, kMiscPillarB = 21;
inline constexpr int kIconSize = 22;
// Decoration sizes, frames 14..19.
inline constexpr int kDecorationW[6] = {60, 70, 220, 170, 80, 120};
inline constexpr int kDecorationH[6] = {120, 160, 60, 90, 150, 100};
// A pillar: its top face is a diamond kPillarW x kPillarTop with its centre
// at the hot spot (37, 16); the column below it reaches kPillarH - kPillarTop
// further down, below the floor, where the front rows show it.
inline constexpr int kPillarW = 75, kPillarH = 200, kPillarTop = 32;
inline constexpr int kPillarHotX = 37, kPillarHotY = 16;

// Dust clouds: five growing puffs, hot spot (5, 5).
inline constexpr const char* kSmokeSprite = "boxing\\smoke.mbm";
inline constexpr int kSmokeFrames = 5, kSmokeW = 12, kSmokeH = 11;

// The title animation of the intro, 300 x 300.
inline constexpr const char* kTitleSprite = "boxing\\boxing.mbm";
inline constexpr int kTitleFrames = 12, kTitleW = 300, kTitleH = 300;

// Thrown weapons: frame = row x 5 + k + 1 (row of the flying direction, k
// 0..4 the spin), kWeaponSize square, hot spot in the middle.
inline constexpr const char* kWeaponSprite[6] = {"boxing\\pizza.mbm",  "boxing\\banana.mbm",
                                                 "boxing\\dumbbell.mbm", "boxing\\dagger.mbm",
                                                 "boxing\\boomer.mbm",  "boxing\\sship.mbm"};
inline constexpr int kWeaponFrames = 40, kWeaponSize = 32;

// ------------------------------------------------------------- the fighters
// One sheet per character; its 32 colours stand in entries 2..33 of the
// sheet's palette (the event copies them to the player's band).
inline constexpr const char* kFighterSprite[6] = {"boxing\\rizaz.mbm", "boxing\\ape.mbm", "boxing\\stud.mbm",
                                                  "boxing\\ama.mbm",   "boxing\\jac.mbm", "boxing\\zovi.mbm"};
inline constexpr int kSheetColoursFirst = 2;
inline constexpr int kFighterFrames[6] = {616, 587, 616, 600, 592, 587};
inline constexpr int kFighterW[6] = {100, 120, 100, 100, 100, 100};
inline constexpr int kFighterH[6] = {125, 115, 125, 125, 105, 105};
// The point of a frame that stands on the fighter's position.
inline constexpr int kHotSpotX[6] = {50, 60, 50, 50, 50, 50};
inline constexpr int kHotSpotY[6] = {100, 90, 102, 100, 80, 80};
// How tall the athlete is drawn.
inline constexpr int kFigureHeight = 68;

// The fighter states: 0 standing, 1 idle, 2 walking, 3 punch, 4 kick,
// 5 special attack, 6 hit, 7 hit hard, 8 knocked flying or lying, 9 getting
// up, 10 dropping down, 11 landing, 12 throwing.
inline constexpr int kFighterStates = 13;
// Per character and state: the animation's length, its first frame and the
// frames each of the eight direction rows takes (rows: 0 screen up, then
// clockwise in steps of 45 degrees).
struct AnimEntry {
  int length, first, perDirection;
};
inline constexpr AnimEntry kAnimTable[6][kFighterStates] = {
    // RIZAZ
    {{1, 457, 15}, {15, 457, 15}, {8, 1, 8}, {5, 577, 5}, {5, 233, 5}, {7, 273, 7}, {3, 209, 3},
     {4, 177, 4}, {6, 65, 6}, {8, 113, 8}, {1, 374, 11}, {5, 375, 11}, {5, 329, 5}},
    // RAREZ VUDA
    {{1, 433, 12}, {12, 433, 12}, {6, 1, 6}, {7, 313, 7}, {7, 313, 7}, {9, 241, 9}, {5, 153, 5},
     {6, 193, 6}, {7, 49, 7}, {6, 105, 6}, {1, 534, 7}, {1, 535, 7}, {8, 369, 8}},
    // ZARU
    {{1, 457, 15}, {15, 457, 15}, {8, 1, 8}, {5, 577, 5}, {5, 233, 5}, {7, 273, 7}, {3, 209, 3},
     {4, 177, 4}, {6, 65, 6}, {8, 113, 8}, {1, 374, 11}, {5, 375, 11}, {5, 329, 5}},
    // RAZIRAZO
    {{1, 441, 15}, {15, 441, 15}, {8, 1, 8}, {5, 561, 5}, {5, 273, 5}, {7, 217, 7}, {3, 193, 3},
     {4, 161, 4}, {6, 65, 6}, {8, 113, 8}, {1, 357, 11}, {6, 358, 11}, {5, 313, 5}},
    // RADEROZI
    {{1, 1, 6}, {15, 393, 15}, {6, 1, 6}, {5, 241, 5}, {5, 241, 5}, {7, 281, 7}, {4, 201, 4},
     {4, 161, 4}, {7, 49, 7}, {7, 105, 7}, {3, 515, 10}, {5, 518, 10}, {7, 337, 7}},
    // ZOVI
    {{1, 508, 10}, {10, 508, 10}, {6, 1, 6}, {6, 249, 6}, {6, 249, 6}, {8, 297, 8}, {6, 97, 6},
     {6, 49, 6}, {7, 145, 7}, {6, 201, 6}, {5, 447, 0}, {6, 452, 0}, {12, 361, 10}},
};
// Every animation plays its frames in order, but ZOVI's throw, which holds
// its third picture while the ship comes down.
inline constexpr int kZoviThrowSequence[12] = {0, 1, 2, 2, 2, 3, 4, 5, 6, 7, 8, 9};
inline constexpr int kZovi = 5, kThrowState = 12;

// The picture of a state's step (held at its last picture) in a direction
// row, numbered from 1.
constexpr int AnimFrame(int character, int state, int step, int row) {
  const AnimEntry& e = kAnimTable[character][state];
  const int s = step < 0 ? 0 : (step < e.length ? step : e.length - 1);
  const int seq = (character == kZovi && state == kThrowState) ? kZoviThrowSequence[s] : s;
  return seq + e.first + e.perDirection * row;
}

// ------------------------------------------------------------------ sounds
using KickFile = EventFile;
// The event's five: crowd boo, pillar, beep, power pill, announcer.
inline constexpr int kEventSounds = 5;
inline constexpr KickFile kEventSoundFiles[kEventSounds] = {
    {"sounds\\crowdboA.wav", 1}, {"boxing\\pillar.wav", 0}, {"sounds\\beep.wav", 1},
    {"sounds\\powerpil.wav", 1}, {"extra\\events\\annboxng.wav", 0}};
// The fighter's four (program directory): attack, hurt, hurt hard, throw
// (the hurt sound again).
inline constexpr const char* kSoundPrefix[6] = {"Go", "Mo", "St", "Am", "Ka", "Al"};
inline constexpr int kFighterSounds = 4;
inline constexpr const char* kFighterSoundPattern[kFighterSounds] = {
    "sounds\\%s_att1.wav", "sounds\\%s_rea1.wav", "sounds\\%s_rea2.wav", "sounds\\%s_rea1.wav"};
// The voices (data directory): three calls as a fighter falls off, three as
// he is knocked out; n is 1..3.
inline constexpr const char* kVoicePrefix[6] = {"goo", "lar", "buf", "ama", "jac", "fre"};
inline constexpr const char* kFallVoicePattern = "extra\\boxing\\%splat%d.wav";
inline constexpr const char* kKnockOutVoicePattern = "extra\\boxing\\%stko%d.wav";
inline constexpr int kVoiceVariants = 3;

}  // namespace kickassets
