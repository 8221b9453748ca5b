#pragma once
// TROUBLED WATERS data, the contract between the event and whatever makes its
// files (the asset generator draws the default set to it): file names, frame
// counts and layouts, sizes and the palette ranges. The generator draws to
// exactly these numbers, so the event takes them from here and never restates
// them.

#include "screen/event_assets.h"

namespace swimassets {

inline constexpr int kCharacters = 6;

// ---------------------------------------------------------------- pictures
// All under the data directory unless told.
// The status band (640 x 80 at y 400); its palette is the event's display
// palette: 0 black, 1 the transparent key, 2..5 the fixed colours, 6..119
// and 248..254 the scenery, 120..247 the four swimmers' 32 colours each
// (filled in by the event from the swimmer sheets), 255 white.
inline constexpr const char* kStatusPicture = "Swim\\statnew2.bmp";
inline constexpr int kStatusW = 640, kStatusH = 80;
inline constexpr int kSceneryFirst = 6, kSceneryLast = 119, kSceneryHighFirst = 248, kSceneryHighLast = 254;
inline constexpr int kSwimmerColoursFirst = 120, kSwimmerColours = 32;

inline constexpr const char* kPumpSprite = "Swim\\airpump8.mbm";
inline constexpr int kPumpFrames = 8, kPumpW = 60, kPumpH = 90;
inline constexpr const char* kSharkSprite = "Swim\\shark8.mbm";
inline constexpr int kSharkW = 240, kSharkH = 120;
inline constexpr const char* kJellySprite = "Swim\\jelly8.mbm";
inline constexpr int kJellyW = 64, kJellyH = 96;
inline constexpr const char* kEelSprite = "Swim\\eel8.mbm";
inline constexpr int kEelW = 200, kEelH = 100;
inline constexpr int kCreatureFrames = 120;
inline constexpr const char* kFishesSprite = "Swim\\fishess8.mbm";
inline constexpr int kFishesFrames = 8, kFishesW = 160, kFishesH = 60;
// Decorations: frame = kind (1..13); weeds: kinds 14, 15, 16 use frames
// 1..12, 13..24 and 25..36.
inline constexpr const char* kDecorationSprite = "Swim\\new8.mbm";
inline constexpr int kDecorationFrames = 13;
inline constexpr int kDecorationW[14] = {0, 90, 90, 90, 60, 50, 70, 40, 56, 420, 60, 80, 48, 64};
inline constexpr int kDecorationH[14] = {0, 50, 44, 56, 60, 40, 46, 70, 36, 90, 50, 40, 60, 48};
inline constexpr const char* kWeedSprite = "Swim\\weed8.mbm";
inline constexpr int kWeedFrames = 36, kWeedW = 40, kWeedH = 110;
inline constexpr const char* kFlagSprite = "Swim\\Flag8.mbm";
inline constexpr int kFlagFrames = 8, kFlagW = 70, kFlagH = 140;
// Tiles: 1 rock, code + 1 the wall pieces (codes 1..20), 22 the start area,
// 23 the background strip (raw, never run-length: the event reads its
// rows), 24 the start area's foot.
inline constexpr const char* kTileSprite = "Swim\\Tiles8.mbm";
inline constexpr int kTileFrames = 24, kTileSize = 100;
inline constexpr int kTileStartFrame = 22, kTileStartW = 320, kTileStartH = 400;
inline constexpr int kTileBackgroundFrame = 23, kBackgroundW = 100, kBackgroundH = 400;
inline constexpr int kTileFootFrame = 24;
inline constexpr const char* kFlagIcon = "Swim\\Flag8.bmp";
inline constexpr int kFlagIconW = 20, kFlagIconH = 15;
inline constexpr const char* kStarSprite = "jc\\star2.mbm";
inline constexpr int kStarFrames = 11, kStarW = 20, kStarH = 20;
inline constexpr const char* kIconsSprite = "jc\\icons.mbm";  // 1 power pill, 2 attack, 3 jump
inline constexpr int kIconsFrames = 3, kIconW = 22, kIconH = 22;
inline constexpr const char* kSmallFaces = "menu\\sfaces.mbm";  // program directory
inline constexpr const char* kIntroSprite = "swim\\swimming.mbm";
inline constexpr int kIntroFrames = 12, kIntroW = 300, kIntroH = 300;
inline constexpr const char* kLoadingPicture = "video\\loading5.mbm";  // video directory

// ------------------------------------------------------------ the swimmers
// Sheets: 188 frames of kSwimmerW x kSwimmerH; colours in entries 120..151 of
// the sheet's palette (the event copies them to the player's 32 entries).
inline constexpr const char* kSwimmerSprite[6] = {"swim\\gcswim8.mbm", "swim\\apswim8.mbm", "swim\\stswim8.mbm",
                                                  "swim\\amswim8.mbm", "swim\\krswim8.mbm", "swim\\fdswim8.mbm"};
inline constexpr int kSwimmerFrames = 188, kSwimmerW = 96, kSwimmerH = 64;
// Thrown weapons: frames 5d + 1 .. 5d + 5 fly in direction d (0..5), 31 is
// the status band's icon.
inline constexpr const char* kWeaponSprite[6] = {"swim\\swpizza8.mbm", "swim\\swbana8.mbm", "swim\\swdumb8.mbm",
                                                 "swim\\swdagg8.mbm", "swim\\swboom8.mbm", "swim\\swship8.mbm"};
inline constexpr int kWeaponFrames = 31, kWeaponIconFrame = 31, kWeaponW = 32, kWeaponH = 32;
inline constexpr const char* kSwimmerData[6] = {"data\\Slob.swd", "data\\monkey.swd", "data\\Stud.swd",
                                                "data\\Jungle.swd", "data\\Kangaroo.swd", "data\\alien.swd"};
// The layout of every sheet, as its .swd file gives it: the first frames and
// counts of the ten animations (swimming by direction group, bump by
// direction, at the pump, turning, shocked, stung, floating A and B,
// straight up, straight down), four unused values, then air loss, speed
// step, refill, energy cap and the mood limit.
inline constexpr int kSwimmerLayout[29] = {1,  49, 81, 93, 117, 129, 141, 157, 173, 181,
                                           8,  4,  6,  4,  6,   6,   8,   8,   8,   8,
                                           0,  0,  0,  0,  1428, 7,  140, 100, 0};
// How many copies of each animation follow one another in a sheet: six
// direction groups, eight bump directions, left and right, or one.
inline constexpr int kAnimationCopies[10] = {6, 8, 2, 6, 2, 2, 2, 2, 1, 1};

// ------------------------------------------------------------------ sounds
using SwimFile = EventFile;
// The event's eleven: turn, bite, shock, gargle, sting, cheer, announcer,
// power pill, weapon hits on a shark, an eel, a jellyfish.
inline constexpr int kEventSounds = 11;
inline constexpr SwimFile kEventSoundFiles[kEventSounds] = {
    {"swim\\turn.wav", 0},     {"swim\\bite.wav", 0},     {"swim\\shock.wav", 0},
    {"swim\\Mgargle.wav", 0},  {"swim\\noAir2.wav", 0},   {"sounds\\cheer.wav", 1},
    {"extra\\events\\annswimm.wav", 0}, {"sounds\\powerpil.wav", 1}, {"swim\\wpnhit01.wav", 0},
    {"swim\\wpnhit02.wav", 0}, {"swim\\wpnhit03.wav", 0}};
// The swimmers' ten, by character (data directory): reaction, throw,
// breath, weapon, air 1..3, shark 1..2, finish voice.
inline constexpr int kSwimmerSounds = 10;
inline constexpr const char* kSoundPrefix[6] = {"go", "mo", "st", "am", "ka", "al"};
inline constexpr const char* kVoicePrefix[6] = {"goo", "lar", "buf", "ama", "jac", "fre"};
inline constexpr const char* kSwimmerSoundPattern[kSwimmerSounds] = {
    "sounds\\%s_rea1.wav", "sounds\\%s_thrw.wav", "sounds\\%s_bre.wav", "sounds\\%s_weap.wav",
    "extra\\swim\\%sair01.wav", "extra\\swim\\%sair02.wav", "extra\\swim\\%sair03.wav",
    "extra\\swim\\%sshrk1.wav", "extra\\swim\\%sshrk2.wav", "extra\\rd\\%sline1.wav"};
// Sounds 0..3 take the sound prefix, the others the voice prefix.
inline constexpr int kFirstVoiceSound = 4;

}  // namespace swimassets
