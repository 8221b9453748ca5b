#pragma once
// FULL CONTACT FIGURE SKATING data, the contract between the event and
// whatever makes its files (the asset generator draws the default set to it):
// file names, picture sizes, where the rink lies on its picture, the palette
// bands, and the frame layout of each skater sheet, which the generator both
// draws and writes into the character's .skd file. The event reads the layout
// from the .skd files at run time; it takes from here only what it needs when
// a file is missing or refused.
//
// Characters are in player-record order: 0 RIZAZ, 1 RAREZ VUDA, 2 ZARU,
// 3 RAZIRAZO, 4 RADEROZI, 5 ZOVI.

#include "screen/event_assets.h"

namespace skateassets {

inline constexpr int kCharacters = 6;

// ---------------------------------------------------------------- pictures
// Under the data directory unless told.
inline constexpr const char* kStatusPicture = "jc\\statnew.bmp";  // its palette is the event palette
inline constexpr int kStatusW = 640, kStatusH = 80;                // drawn at y 400
inline constexpr const char* kRinkPicture = "skate\\back.bbm";     // tile picture
inline constexpr int kRinkPictureW = 1480, kRinkPictureH = 820;
inline constexpr const char* kFenceSprite = "skate\\fence.mbm";
// Frame 1: the near boards, keyed, drawn over the skaters with its top-left
// corner at picture (358, 305). Frame 2: the post at the left corner, an
// opaque copy of the picture with the post on it, at picture (340, 313).
inline constexpr int kFenceFrontW = 780, kFenceFrontH = 281, kFenceFrontX = 358, kFenceFrontY = 305;
inline constexpr int kFencePostW = 28, kFencePostH = 100, kFencePostX = 340, kFencePostY = 313;
inline constexpr int kFenceFrames = 2;
// The low-energy warning (frames 1..3, drawn while the warning counter runs)
// and the stars of a blow (frames 1..11).
inline constexpr const char* kWarningSprite = "jc\\star1.mbm";
inline constexpr int kWarningFrames = 3, kWarningW = 64, kWarningH = 40;
// The file holds JAVELIN CATCH's eleven hit stars, the first three of them
// this warning.
inline constexpr int kWarningSpriteFrames = 11;
inline constexpr const char* kStarSprite = "jc\\star2.mbm";
inline constexpr int kStarFrames = 11, kStarW = 20, kStarH = 20;
// Status icons: 1 power pill, 2 attack, 3 jump.
inline constexpr const char* kIconsSprite = "jc\\icons.mbm";
inline constexpr int kIconsFrames = 3, kIconW = 22, kIconH = 22;
// The title card of the intro, drawn into a 300 x 300 box.
inline constexpr const char* kIntroSprite = "skate\\skic.mbm";
inline constexpr int kIntroFrames = 12, kIntroW = 300, kIntroH = 300;
inline constexpr const char* kLoadingPicture = "video\\loading6.mbm";  // video directory
// Pictures of the data set the event does not draw: a shadow, the number
// strip of the scoreboard and the palette as a 16 x 16 swatch.
inline constexpr const char* kShadowPicture = "jc\\shadow.bmp";
inline constexpr const char* kNumberPicture = "skate\\numb.bmp";
inline constexpr const char* kPalettePicture = "skate\\palette.bmp";

// Thrown weapons, one sheet per character: frames 5d + 1 .. 5d + 5 fly in
// direction d (0..7), frame 41 is the status icon.
inline constexpr const char* kWeaponSprite[6] = {"jc\\pizza2.mbm", "jc\\banana2.mbm", "jc\\dumbell2.mbm",
                                                 "jc\\dagger2.mbm", "jc\\boomran2.mbm", "jc\\sship2.mbm"};
inline constexpr int kWeaponFrames = 41, kWeaponIconFrame = 41;
inline constexpr int kWeaponW = 40, kWeaponH = 40;    // anchor (20, 20)
inline constexpr int kShipW = 120, kShipH = 100;      // ZOVI's, anchor (60, 50)

// Skater sheets (run-length frames; the shared palette holds the
// character's 32 colours in entries 2..33).
inline constexpr const char* kSkaterSprite[6] = {"skate\\gcskt8.mbm", "skate\\Apeskt8.mbm", "skate\\stskt8.mbm",
                                                 "skate\\amskt8.mbm", "skate\\rooskt8.mbm", "skate\\aliensk8.mbm"};
inline constexpr int kSkaterW = 72, kSkaterH = 84;
inline constexpr int kSkaterFrames = 688;

// ---------------------------------------------------------------- palette
// The event palette (that of jc\statnew.bmp): 0 black, 1 the transparent
// key, 2..33 a general set (icons), 34..118 the rink and the pictures, 119
// the green of the texts, 120 + 32i .. 151 + 32i player i's skater colours
// (filled at run time), 255 white. Every picture but the skater sheets is
// drawn in entries 0, 2..118 and 255.
inline constexpr int kGeneralFirst = 2, kGeneralLast = 33;
inline constexpr int kSceneryFirst = 34, kSceneryLast = 118;
inline constexpr int kTextGreen = 119;
inline constexpr int kPlayerBandFirst = 120, kPlayerBandSize = 32;

// ---------------------------------------------------------------- skater data
// The eleven animations of a sheet: 0 glide, 1 lying, 2 getting up,
// 3 staggering, 4 attack, 5 second attack, 6 throw, 7 standing, 8, 9, 10 the
// three jumps. Each holds its eight directions one after another.
struct SkaterLayout {
  int animationOfAction[11];
  int firstFrame[11];
  int framesPerDirection[11];
  int anchorX, anchorY;
  int maxEnergy;
  int topSpeed;
  // First frames of ZOVI's lead-in strips before his jumps (17 frames each,
  // ending right before the jump); 0 none.
  int leadIn[3];
};

// The common layout: the animations in order, 688 frames.
inline constexpr SkaterLayout kCommonLayout = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
    {1, 65, 113, 177, 225, 289, 353, 417, 481, 545, 609},
    {8, 6, 8, 6, 8, 8, 8, 8, 8, 8, 10},
    36, 78, 100, 5, {0, 0, 0}};
// RADEROZI: his third jump runs 20 frames a direction and lies before the
// other two, so that frames 547..600, which his jumps name directly, are
// airborne frames of his third and first jumps.
inline constexpr SkaterLayout kRaderoziLayout = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
    {1, 65, 113, 161, 209, 257, 305, 353, 577, 641, 417},
    {8, 6, 6, 6, 6, 6, 6, 8, 8, 6, 20},
    36, 78, 100, 6, {0, 0, 0}};
// ZOVI: each jump of 7 frames a direction follows a 17-frame lead-in strip
// (his jumps take their first two frames from 16 and 15 frames before the
// jump), so the first jump starts at frame 18. The last 5 frames are spare.
inline constexpr SkaterLayout kZoviLayout = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
    {220, 284, 332, 380, 428, 492, 556, 620, 18, 91, 164},
    {8, 6, 6, 6, 8, 8, 8, 8, 7, 7, 7},
    36, 78, 100, 5, {1, 74, 147}};

inline constexpr const SkaterLayout& LayoutOf(int character) {
  return character == 4 ? kRaderoziLayout : character == 5 ? kZoviLayout : kCommonLayout;
}
// Maximum energy and first top speed differ a little between the characters.
inline constexpr int kTopSpeed[6] = {4, 6, 5, 6, 6, 5};

// The skater data files, under the data directory.
inline constexpr const char* kSkdFile[6] = {"data\\Slob.skd", "data\\monkey.skd", "data\\Stud.skd",
                                            "data\\Jungle.skd", "data\\Kangaroo.skd", "data\\alien.skd"};

// ------------------------------------------------------------------ sounds
// The event's own (inProgramDir 1: the program directory, else the data
// directory).
using SkateFile = EventFile;
inline constexpr SkateFile kSkatingSound = {"skate\\iceskat1.wav", 0};
inline constexpr SkateFile kCheerSound = {"sounds\\cheer.wav", 1};
inline constexpr SkateFile kBooSound = {"sounds\\crowdboA.wav", 1};
inline constexpr SkateFile kCrowdSound = {"sounds\\crowdamb.wav", 1};
inline constexpr SkateFile kBeepSound = {"sounds\\beep.wav", 1};
inline constexpr SkateFile kAnnouncerSound = {"extra\\events\\annfskat.wav", 0};
inline constexpr SkateFile kPillSound = {"sounds\\powerpil.wav", 1};

// Each skater's six sounds (a blow, a fall, the throw, the attack, the
// weapon, one it never plays), under the data directory, by character tag.
inline constexpr const char* kSoundTag[6] = {"go", "mo", "st", "am", "ka", "al"};
inline constexpr const char* kSoundKind[6] = {"rea1", "rea2", "thrw", "att1", "weap", "down"};
// The five special-move voices "extra\skate\<tag>spec1.wav" .. "spec5.wav".
inline constexpr const char* kSpecialTag[6] = {"goo", "lar", "buf", "ama", "jac", "fre"};
inline constexpr int kSpecialSounds = 5;

}  // namespace skateassets
