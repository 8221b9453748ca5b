#pragma once
// NICE DOGGIE JUMP data, the contract between the event and whatever makes
// its files (the asset generator draws the default set to it): file names,
// the sound table of each jumper row, the jumpers' frame layouts and the
// frame sizes the event positions things by. The generator draws to exactly
// these numbers, so the event takes them from here.
//
// Jumper rows (the event's own order): 0 RAREZ VUDA (ape, "mo"), 1 RADEROZI
// (kangaroo, "ka"), 2 ZOVI (alien, "al"), 3 RIZAZ (slob, "go"), 4 ZARU (stud,
// "st"), 5 RAZIRAZO (jungle amazon, "am").

#include "screen/event_assets.h"

namespace doggieassets {

inline constexpr int kRows = 6;
// Player-record character (0 RIZAZ .. 5 ZOVI) -> jumper row, and back.
inline constexpr int kRowOfCharacter[6] = {3, 0, 4, 5, 1, 2};
inline constexpr int kCharacterOfRow[6] = {1, 4, 5, 0, 2, 3};

// ---------------------------------------------------------------- palette
// dog\palette.bmp (16x16, pixel (x, y) = entry 16y + x): 0 black, 1 the
// transparent key, 2..5 the fixed highlight, red, yellow, green, 6..125 the
// course (every picture but the jumpers), 126..254 the jumper, 255 white.
// Each jumper sheet carries entries 0..125 and 255 of dog\palette.bmp and
// its own 126..254; the event copies a sheet's entries into the display
// palette at every turn, so nothing else may use 126..254.
inline constexpr int kPaletteCourseFirst = 6, kPaletteCourseLast = 125;
inline constexpr int kPaletteJumperFirst = 126, kPaletteJumperLast = 254;

// ---------------------------------------------------------------- pictures
// All under the data directory.
inline constexpr const char* kPalettePicture = "dog\\palette.bmp";
inline constexpr const char* kStatusPicture = "dog\\statnew.bmp";  // shared with COMPUTER THROW
inline constexpr const char* kTreeSprite = "dog\\evltree.mbm";
inline constexpr const char* kBackSprite = "dog\\back.mbm";
inline constexpr const char* kDogSprite = "dog\\dog.mbm";
inline constexpr const char* kStarsSprite = "dog\\stars.mbm";
inline constexpr const char* kPitSprite = "dog\\pit2.mbm";
inline constexpr const char* kJudgeSprite = "dog\\judge.mbm";
inline constexpr const char* kMeterSprite = "comp\\meter.mbm";  // shared with COMPUTER THROW
inline constexpr const char* kIconSprite = "dog\\icon1.mbm";
inline constexpr const char* kIconSpriteLowMemory = "dog\\icon2.mbm";
inline constexpr const char* kLoadingPicture = "video\\loading4.mbm";
inline constexpr const char* kAnnounceSound = "extra\\events\\annfdogs.wav";

// back.mbm: the night course.
inline constexpr int kBackSky = 1;          // tiled across from (0, 0)
inline constexpr int kBackHorizon = 2;      // tiled across from (0, 220)
inline constexpr int kBackMoon = 3;
inline constexpr int kBackGround = 4;       // the running track, five tiles from y 320
inline constexpr int kBackHedge = 5;        // far hedges, y 240, a ninth of the scroll
inline constexpr int kBackHouses = 6;       // houses and poplars, y 120, a third of the scroll
inline constexpr int kBackBats = 7;
inline constexpr int kBackCloud = 8;        // 8 and 9: a cloud in two shapes
inline constexpr int kBackStand = 10;       // 10..12: beside the run-up
inline constexpr int kBackFrames = 12;
struct Size { int w, h; };
inline constexpr Size kBackSize[kBackFrames] = {
    {320, 220}, {320, 100}, {90, 90}, {160, 80}, {160, 80}, {206, 200},
    {120, 50}, {110, 44}, {110, 44}, {190, 80}, {200, 80}, {150, 80}};

// evltree.mbm: three bare trees behind the track.
inline constexpr int kTreeFrames = 3;
inline constexpr Size kTreeSize = {220, 300};

// dog.mbm: five dogs of 20 frames each (a pause on the first, then a leap
// and a snap), then the cat (101..105). Each dog's frame ends at the pit
// floor, y kPitFloorY on the screen.
inline constexpr int kDogTypes = 5;
inline constexpr int kDogFramesEach = 20;
inline constexpr int kCatFirst = 101, kCatLast = 105, kDogSheetFrames = 105;
inline constexpr int kPitFloorY = 392;
inline constexpr int kDogTopY[kDogTypes] = {197, 243, 187, 193, 238};
inline constexpr int kDogW[kDogTypes] = {200, 150, 170, 160, 140};
inline constexpr Size kCatSize = {64, 48};

// stars.mbm: the stars over a fallen jumper, turning.
inline constexpr int kStarsFrames = 9;
inline constexpr Size kStarsSize = {64, 40};

// pit2.mbm: the three dog pits and the edge drawn in slices at their ends.
inline constexpr int kPitFrames = 4;
inline constexpr int kPitEdgeFrame = 4;
inline constexpr Size kPitSize[kPitFrames] = {{220, 32}, {300, 32}, {544, 32}, {18, 32}};

// judge.mbm: 1..17 walking in, 18..78 measuring, 79 the board held up; the
// screen writes on the board at (53, 32) of the frame, centred.
inline constexpr int kJudgeFrames = 79;
inline constexpr int kJudgeWalkLast = 17, kJudgeBoardFrame = 79;
inline constexpr Size kJudgeSize = {110, 200};
inline constexpr int kJudgeFootY = 196;
inline constexpr int kJudgeBoardTextX = 53, kJudgeBoardTextY = 32;

// icon1.mbm: the title, 16 frames (icon2.mbm: one), drawn at the top left
// of the 300 x 300 title picture.
inline constexpr int kIconFrames = 16;
inline constexpr Size kIconSize = {300, 220};

// ---------------------------------------------------------------- jumpers
// Every frame of a row is kJumperH high and kJumperW[row] wide; the feet
// stand on row kJumperFootY at column kRowOffset[row], so that a jumper at
// x = 200 - offset, y = 400 - kJumperH runs at column 200.
inline constexpr int kJumperH = 180, kJumperFootY = 172;
inline constexpr int kRowOffset[kRows] = {113, 158, 197, 106, 125, 89};
inline constexpr int kJumperW[kRows] = {200, 245, 280, 190, 210, 176};
inline constexpr const char* kJumperSheet[kRows] = {"dog\\monkey.mbm", "dog\\kan.mbm", "dog\\alien.mbm",
                                                    "dog\\rizaz.mbm", "dog\\stud.mbm", "dog\\amaz.mbm"};

// Jumper states the frame table covers.
inline constexpr int kFrameStates = 16;
struct FrameRange { int first, last; };
// By row and state: 0 running slowly, 1 running fast, 2/5/8 take-off of the
// hop, step and jump, 3/6/9 their flights, 4/7/10 their landings, 11..13
// the reactions after the last landing (disappointed, pleased, delighted),
// 14 standing, 15 falling.
inline constexpr FrameRange kJumperFrames[kRows][kFrameStates] = {
    {{1, 20}, {21, 33}, {34, 38}, {39, 47}, {48, 48}, {53, 55}, {56, 64}, {65, 67},
     {69, 75}, {76, 86}, {87, 88}, {89, 108}, {109, 128}, {129, 148}, {149, 168}, {47, 48}},
    {{1, 9}, {1, 9}, {12, 15}, {16, 24}, {25, 29}, {30, 33}, {34, 43}, {44, 56},
     {57, 59}, {60, 74}, {75, 85}, {86, 114}, {115, 139}, {140, 169}, {170, 194}, {50, 51}},
    {{1, 13}, {14, 23}, {24, 32}, {33, 40}, {41, 45}, {46, 56}, {57, 62}, {63, 63},
     {64, 71}, {72, 81}, {82, 117}, {173, 204}, {145, 172}, {118, 144}, {205, 220}, {41, 42}},
    {{1, 9}, {10, 17}, {18, 20}, {25, 37}, {38, 40}, {18, 20}, {25, 37}, {38, 40},
     {18, 20}, {25, 37}, {38, 52}, {83, 97}, {68, 82}, {53, 67}, {98, 112}, {38, 39}},
    {{1, 9}, {10, 19}, {24, 26}, {28, 42}, {43, 45}, {24, 26}, {28, 42}, {43, 45},
     {24, 26}, {28, 42}, {43, 52}, {83, 97}, {68, 82}, {53, 67}, {98, 112}, {43, 44}},
    {{1, 9}, {10, 19}, {23, 25}, {27, 40}, {41, 44}, {23, 25}, {27, 40}, {41, 44},
     {23, 25}, {27, 40}, {41, 56}, {57, 71}, {72, 86}, {87, 101}, {102, 116}, {43, 44}},
};
inline constexpr int kJumperSheetFrames[kRows] = {168, 194, 220, 112, 112, 116};

// ------------------------------------------------------------------ sounds
// One row of 56 entries per jumper row: entry 0 is the jumper sheet, entry
// e (1..55) the file of the event's sound slot e - 1. `inProgramDir` picks
// the program directory, else the data directory.
inline constexpr int kEntries = 56;
inline constexpr int kSoundSlots = 55;          // entries 1..55
inline constexpr int kSoundSlotsLowMemory = 52;  // entries 1..52
using DoggieFile = EventFile;

#define KEL_DOGGIE_ROW(sheet, pp, att, v1, v2, v3, off1, off2, off3, land1, land2, land3)     \
  {{sheet, 0},                                                                               \
   {"dog\\d_1dog.wav", 0}, {"dog\\d_2dogs.wav", 0}, {"dog\\d_5dogs.wav", 0},                 \
   {"dog\\d_cat.wav", 0}, {"sounds\\" pp "_land.wav", 1}, {"dog\\d_punc.wav", 0},            \
   {"sounds\\" pp "_fall.wav", 1}, {"dog\\d_night.wav", 0},                                  \
   {"sounds\\" att "1.wav", 1}, {"sounds\\" att "2.wav", 1}, {"sounds\\" att "3.wav", 1},    \
   KEL_SPOKEN_NUMBER_FILES,                                                                  \
   {"sounds\\n_foul.wav", 1},                                                                \
   {"sounds\\" pp "_run.wav", 1}, {"sounds\\cheer.wav", 1}, {"sounds\\crowdboa.wav", 1},     \
   {"sounds\\" pp "_idle.wav", 1},                                                           \
   {v1, 0}, {v2, 0}, {v3, 0},                                                                \
   {off1, 1}, {off2, 1}, {off3, 1},                                                          \
   {land1, 1}, {land2, 1}, {land3, 1}}

inline constexpr DoggieFile DoggieCharacterFiles[kRows][kEntries] = {
    KEL_DOGGIE_ROW("dog\\monkey.mbm", "mo", "n_att", "extra\\dog\\larjump1.wav", "extra\\god\\larjump3.wav",
                   "extra\\dog\\larjump5.wav", "sounds\\mo_att1.wav", "sounds\\mo_att1.wav", "sounds\\mo_att1.wav",
                   "sounds\\mo_land.wav", "sounds\\mo_land.wav", "sounds\\mo_land.wav"),
    KEL_DOGGIE_ROW("dog\\kan.mbm", "ka", "n_att", "extra\\dog\\jacjump1.wav", "extra\\dog\\jacjump2.wav",
                   "extra\\dog\\jacjump3.wav", "sounds\\ka_att1.wav", "sounds\\ka_att1.wav", "sounds\\ka_att1.wav",
                   "sounds\\ka_land.wav", "sounds\\ka_land.wav", "sounds\\ka_land.wav"),
    KEL_DOGGIE_ROW("dog\\alien.mbm", "al", "att", "extra\\dog\\frejump1.wav", "extra\\dog\\frejump4.wav",
                   "extra\\dog\\frejump6.wav", "sounds\\bball.wav", "sounds\\al_att1.wav", "sounds\\rocket.wav",
                   "sounds\\al_land.wav", "sounds\\al_land.wav", "sounds\\n_exp.wav"),
    KEL_DOGGIE_ROW("dog\\rizaz.mbm", "go", "att", "extra\\dog\\goojump1.wav", "extra\\dog\\goojump2.wav",
                   "extra\\dog\\goojump4.wav", "sounds\\go_att1.wav", "sounds\\go_att1.wav", "sounds\\go_att1.wav",
                   "sounds\\go_land.wav", "sounds\\go_land.wav", "sounds\\go_land.wav"),
    KEL_DOGGIE_ROW("dog\\stud.mbm", "st", "att", "extra\\dog\\bufjump1.wav", "extra\\dog\\bufjump3.wav",
                   "extra\\dog\\dogjump5.wav", "sounds\\st_att1.wav", "sounds\\st_att1.wav", "sounds\\st_att1.wav",
                   "sounds\\st_land.wav", "sounds\\st_land.wav", "sounds\\st_land.wav"),
    KEL_DOGGIE_ROW("dog\\amaz.mbm", "am", "att", "extra\\dog\\amajump1.wav", "extra\\dog\\amajump4.wav",
                   "extra\\dog\\amajump6.wav", "sounds\\am_att1.wav", "sounds\\am_att1.wav", "sounds\\am_att1.wav",
                   "sounds\\am_land.wav", "sounds\\am_land.wav", "sounds\\am_land.wav"),
};
#undef KEL_DOGGIE_ROW

// The file of sound slot s (0..54) of a row.
inline const DoggieFile& DoggieSoundFile(int row, int slot) { return DoggieCharacterFiles[row][1 + slot]; }

}  // namespace doggieassets
