#pragma once
// JAVELIN CATCH data, the contract between the event and whatever makes its
// files (the asset generator draws the default set to it): file names, frame
// numbers and sizes, where things stand on the field picture, the palette
// bands, and the frame layout of the contestant sheets, which the generator
// both draws and writes into each character's .jcd file. The event reads the
// layout from the .jcd files at run time; it takes from here only what it
// needs when a file is missing or refused.
//
// Characters are in player-record order: 0 RIZAZ, 1 RAREZ VUDA, 2 ZARU,
// 3 RAZIRAZO, 4 RADEROZI, 5 ZOVI.

#include "screen/event_assets.h"

namespace javelinassets {

inline constexpr int kCharacters = 6;

// ---------------------------------------------------------------- palette
// The event palette is that of the status picture, which FULL CONTACT
// FIGURE SKATING shares (both events draw from jc\): 0 black, 1 the
// transparent key, 2..33 a fixed general set (the icons), 34..118 the
// pictures of both events, 119 the texts' green, 120 + 32p .. 151 + 32p
// player p's contestant and weapon colours (copied in at run time from
// entries 2..33 of the contestant sheet's own palette), 255 white.
inline constexpr const char* kStatusPicture = "jc\\statnew.bmp";  // 640 x 80, drawn at y 400
inline constexpr int kStatusW = 640, kStatusH = 80;
// The same palette as a 16 x 16 swatch (pixel (x, y) is entry 16y + x), for
// people and tools; the event does not read it.
inline constexpr const char* kPalettePicture = "jc\\palette.bmp";
inline constexpr int kFieldFirst = 2, kFieldCount = 118;  // the field picture is remapped to 2..119
inline constexpr int kPlayerBandFirst = 120, kPlayerBandSize = 32;
inline constexpr int kSheetColoursFirst = 2;  // in each contestant sheet's own palette

// ------------------------------------------------------------------ field
// The field as a tile picture. World point (x, y, z) lies on the picture at
// (trunc(0.91706 (x + y)) + 351, trunc(0.39875 (x - y)) + 393 - z): the
// event's screen y less 40, since it shows picture row camY - 40 at the top
// of its view while everything it draws over the picture (contestants,
// objects, the cannon and the fence) goes to screen y - camY. The playing
// field, world 0..529 by 0..349, is the lawn whose corners lie at
// (351, 393), (671, 254), (1156, 464) and (836, 603).
inline constexpr const char* kFieldPicture = "jc\\back.bbm";
inline constexpr int kFieldW = 1476, kFieldH = 804;
inline constexpr int kPictureX0 = 351, kPictureY0 = 393;
inline constexpr double kCos = 0.91706007, kSin = 0.39874906;

// The near fence, drawn over everything on the field: frame 1 with its
// top-left corner at picture (316, 376) (the event draws it at screen
// (316, 416)); the field picture shows the same fence under it.
inline constexpr const char* kFenceSprite = "jc\\fence.mbm";
inline constexpr int kFenceFrames = 1, kFenceX = 316, kFenceY = 376, kFenceW = 872, kFenceH = 244;

// The cannon behind the far-left boards: 20 opaque pieces of the field
// picture with the cannon on them, 220 x 202, for picture (292, 140) (the
// event draws them at screen (292, 180)). Frame 1 is the shot, the smoke
// clears by frame 10, frame 20 is the cannon at rest.
inline constexpr const char* kCannonSprite = "jc\\Canfire8.mbm";
inline constexpr int kCannonFrames = 20, kCannonIdleFrame = 20, kCannonW = 220, kCannonH = 202;
inline constexpr int kCannonX = 292, kCannonY = 140;

// ------------------------------------------------------- objects picture
// jc\objects.mbm: everything the cannon fires, the explosions and the
// shadow. Each kind's anchor is the point of its frames that stands on the
// object's position.
inline constexpr const char* kObjectsSprite = "jc\\objects.mbm";
inline constexpr int kObjectsFrames = 65;
inline constexpr int kJavelinFrame = 1;                       // 80 x 110, the point at the anchor
inline constexpr int kBombFirst = 2, kBombFrames = 5;         // 20 x 84, a lit bomb with its fall streak
inline constexpr int kJuiceFirst = 7, kJuiceFrames = 5;       // 40 x 38
inline constexpr int kBlastFirst = 12, kBlastFrames = 15;     // 112 x 70, centred on the anchor
inline constexpr int kFireFirst = 27, kFireFrames = 14;       // 106 x 64, flames rising from the anchor
inline constexpr int kSmokeFirst = 41, kSmokeFrames = 14;     // 106 x 64
inline constexpr int kShadowFrame = 55;                       // 20 x 16, drawn from 10 left and 8 above the ground point
inline constexpr int kAmmoFirst = 56, kAmmoFrames = 5;        // 40 x 34
inline constexpr int kMoneyFirst = 61, kMoneyFrames = 5;      // 38 x 36
inline constexpr int kShadowW = 20, kShadowH = 16;
// The smoke is drawn in plain greys only: no channel more than 10 off the
// others, and none above the blue by more than 2 (the smoke's own faint
// blue is allowed; a red or green cast is not).
constexpr bool IsSmokeGrey(int r, int g, int b) {
  const int hi = r > g ? (r > b ? r : b) : (g > b ? g : b);
  const int lo = r < g ? (r < b ? r : b) : (g < b ? g : b);
  return hi - lo <= 10 && b + 2 >= hi;
}
// Falling kinds 0 javelin, 1 bomb, 2 juice, 3 ammunition, 4 money.
struct ObjectKind {
  int firstFrame, frames, anchorX, anchorY, w, h;
};
inline constexpr ObjectKind kObjectKinds[5] = {{kJavelinFrame, 1, 65, 105, 80, 110},
                                               {kBombFirst, kBombFrames, 9, 80, 20, 84},
                                               {kJuiceFirst, kJuiceFrames, 20, 34, 40, 38},
                                               {kAmmoFirst, kAmmoFrames, 20, 31, 40, 34},
                                               {kMoneyFirst, kMoneyFrames, 19, 33, 38, 36}};
inline constexpr int kBlastAnchorX = 56, kBlastAnchorY = 35, kBlastW = 112, kBlastH = 70;
inline constexpr int kFireAnchorX = 53, kFireAnchorY = 50, kFireW = 106, kFireH = 64;

// ---------------------------------------------------------- small pictures
// Hit stars: star 1 holds eleven variants (1..3 a burst with a "!", which
// FULL CONTACT FIGURE SKATING also shows as its low-energy warning), star 2
// eleven turning stars (also the low-energy flash of this event).
inline constexpr const char* kStar1Sprite = "jc\\star1.mbm";
inline constexpr const char* kStar2Sprite = "jc\\star2.mbm";
inline constexpr int kStarFrames = 11;
// Status icons: 1 power pill, 2 the hand attack (3 FIGURE SKATING's jump).
inline constexpr const char* kIconsSprite = "jc\\icons.mbm";
inline constexpr int kIconsFrames = 3, kIconPill = 1, kIconAttack = 2;
// The announcer's card, shown through the intro's transition; stored in the
// event palette (the event draws it without matching it).
inline constexpr const char* kAnnouncerSprite = "jc\\jcc.mbm";
inline constexpr int kAnnouncerFrames = 12, kAnnouncerW = 300, kAnnouncerH = 300;
inline constexpr const char* kLoadingPicture = "video\\loading9.mbm";  // video directory

// Thrown weapons (FULL CONTACT FIGURE SKATING's): frames 5d + 1 .. 5d + 5
// fly in direction d, frame 41 is the status icon; 40 x 40 with the anchor
// (20, 20), ZOVI's ship 120 x 100 with the anchor (60, 50).
inline constexpr const char* kWeaponSprite[6] = {"jc\\pizza2.mbm", "jc\\banana2.mbm", "jc\\dumbell2.mbm",
                                                 "jc\\dagger2.mbm", "jc\\boomran2.mbm", "jc\\sship2.mbm"};
inline constexpr int kWeaponFrames = 41, kWeaponIconFrame = 41;

// -------------------------------------------------------------- contestants
inline constexpr const char* kContestantSprite[6] = {"jc\\gcjav8.mbm",   "jc\\Apejav8.mbm", "jc\\studjav8.mbm",
                                                     "jc\\amjav8.mbm",   "jc\\roojav8.mbm", "jc\\J8alien.mbm"};
inline constexpr int kContestantW = 96, kContestantH = 96;
inline constexpr int kContestantAnchorX = 48, kContestantAnchorY = 88;  // where the feet stand

// The eleven animations of a sheet, in sheet order, each holding its eight
// directions one after another (direction d from first + frames x d):
// 0 walking (its first frame of each direction is the standing picture),
// 1 knocked down and lying, 2 getting up, 3 light hit, 4 heavy hit, 5 hand
// attack, 6 second attack, 7 throw, 8 picking up, 9 catching a javelin,
// 10 idle. Every animation but the walk starts after frame 1, so that the
// frame before a run (where the event starts some animations) exists.
struct ContestantLayout {
  int animationOfSituation[11];
  int firstFrame[11];
  int framesPerDirection[11];
  int anchorX, anchorY;
  int maxEnergy;
  int speed;
};
inline constexpr int kAnimationFrames[11] = {8, 6, 6, 4, 6, 6, 6, 6, 5, 6, 6};
constexpr ContestantLayout MakeLayout(int speed) {
  ContestantLayout L{};
  int first = 1;
  for (int a = 0; a < 11; ++a) {
    L.animationOfSituation[a] = a;
    L.firstFrame[a] = first;
    L.framesPerDirection[a] = kAnimationFrames[a];
    first += 8 * kAnimationFrames[a];
  }
  L.anchorX = kContestantAnchorX;
  L.anchorY = kContestantAnchorY;
  L.maxEnergy = 100;
  L.speed = speed;
  return L;
}
inline constexpr int kSpeed[6] = {5, 6, 5, 6, 6, 5};  // until the player's speed value replaces it
inline constexpr ContestantLayout kLayouts[6] = {MakeLayout(kSpeed[0]), MakeLayout(kSpeed[1]), MakeLayout(kSpeed[2]),
                                                 MakeLayout(kSpeed[3]), MakeLayout(kSpeed[4]), MakeLayout(kSpeed[5])};
inline constexpr int kContestantFrames = 520;  // 8 x (8 + 6 + 6 + 4 + 6 + 6 + 6 + 6 + 5 + 6 + 6)
static_assert(kLayouts[0].firstFrame[10] + 8 * kLayouts[0].framesPerDirection[10] - 1 == kContestantFrames);

// The contestant data files, under the data directory: 37 lines, each one
// decimal integer ended by CR LF, in the order of ContestantLayout.
inline constexpr const char* kJcdFile[6] = {"data\\Slob.jcd",   "data\\monkey.jcd",   "data\\Stud.jcd",
                                            "data\\Jungle.jcd", "data\\Kangaroo.jcd", "data\\alien.jcd"};
inline constexpr int kJcdValues = 37;

// ------------------------------------------------------------------ sounds
using JavelinFile = EventFile;
inline constexpr int kEventSounds = 12;
// In the event's loading order: cannon, falling object, bomb, ammunition,
// money, cheer, crowd boo, juice, crowd, beep, power pill, announcer.
inline constexpr JavelinFile kEventSoundFiles[kEventSounds] = {
    {"jc\\cannon.wav", 0},      {"jc\\fallobj3.wav", 0},   {"sounds\\bomb2.wav", 1},
    {"sounds\\GrabAmmo.wav", 1}, {"sounds\\Grab$.wav", 1},   {"sounds\\cheer2.wav", 1},
    {"sounds\\crowdboA.wav", 1}, {"sounds\\juice3.wav", 1},  {"sounds\\crowdamb.wav", 1},
    {"sounds\\beep.wav", 1},     {"sounds\\powerpil.wav", 1}, {"extra\\events\\annjavln.wav", 0}};
// A contestant's five voices (data directory) "sounds\<pp>_<kind>.wav", the
// ones FULL CONTACT FIGURE SKATING also uses.
inline constexpr const char* kVoiceTag[6] = {"go", "mo", "st", "am", "ka", "al"};
inline constexpr const char* kVoiceKind[5] = {"rea1", "rea2", "thrw", "att1", "weap"};
// Three calls when a bomb goes off near him, "extra\javelin\<ccc>bomb1.wav"
// .. 3, and three on a catch, "extra\javelin\<ccc>jav01.wav" .. 03.
inline constexpr const char* kCallTag[6] = {"goo", "lar", "buf", "ama", "jac", "fre"};
inline constexpr int kCalls = 3;

}  // namespace javelinassets
