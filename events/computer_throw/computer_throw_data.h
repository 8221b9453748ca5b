#pragma once
// COMPUTER THROW data, the contract between the event and whatever makes its
// files (the asset generator draws the default set to it): file names, the
// sound table of each throw character, sprite frame layouts and the frame
// sizes the event logic positions things by. The generator draws to exactly
// these numbers, so the event must take them from here, never restate them.
//
// Throw character order (the event's own): 0 RAREZ VUDA (ape), 1 RADEROZI
// (kangaroo), 2 ZOVI (alien), 3 RIZAZ (slob), 4 ZARU (stud), 5 RAZIRAZO
// (jungle amazon).

#include "screen/event_assets.h"

namespace throwassets {

inline constexpr int kCharacters = 6;

// Player-record character (0 RIZAZ .. 5 ZOVI) -> throw character.
inline constexpr int kThrowCharOfCharacter[6] = {3, 0, 4, 5, 1, 2};
// Throw character -> player-record character.
inline constexpr int kCharacterOfThrowChar[6] = {1, 4, 5, 0, 2, 3};

// ---------------------------------------------------------------- pictures
// All under the data directory.
inline constexpr const char* kPalettePicture = "comp\\palette.bmp";     // 16x16, pixel (x,y) = index 16y+x
inline constexpr const char* kStatusPicture = "dog\\statnew.bmp";       // kStatusW x kStatusH, drawn at y 400
inline constexpr int kStatusW = 640, kStatusH = 80;

inline constexpr const char* kMiscSprite = "comp\\misc.mbm";
inline constexpr const char* kPipeSprite = "comp\\pipe.mbm";
inline constexpr const char* kGullsSprite = "comp\\gulls.mbm";
inline constexpr const char* kDrumsSprite = "comp\\drums.mbm";
inline constexpr const char* kCloudsSprite = "comp\\clouds.mbm";
inline constexpr const char* kComputerSprite = "comp\\computer.mbm";
inline constexpr const char* kMeterSprite = "comp\\meter.mbm";
inline constexpr const char* kSignSprite = "comp\\sign.mbm";
inline constexpr const char* kShadowSprite = "comp\\shadow.mbm";
inline constexpr const char* kJudgeSprite = "comp\\judge.mbm";
inline constexpr const char* kIconSprite = "comp\\icon1.mbm";         // 16 frames
inline constexpr const char* kIconSpriteLowMemory = "comp\\icon2.mbm"; // 1 frame

// Palette of the event (comp\palette.bmp). 0 black, 1 transparent key, 2 the
// highlight colour (record text), 3 red, 4 yellow, 5 green (status bars),
// 6..125 scenery, 126..254 the six contestants' colours, 255 white. The status
// picture uses only 0..125 and 255, so the remap that keeps those is exact.
inline constexpr int kPaletteSceneryFirst = 6, kPaletteSceneryLast = 125;
inline constexpr int kPaletteActorFirst = 126, kPaletteActorLast = 254;

// The ground line is screen y 280.
inline constexpr int kGroundY = 280;

// misc.mbm: 1 backdrop (sky and sea, 640x280), 2 ground strip (640x120, drawn
// at y 280), 3 palm, 4 rock, 5 flag pole, 6 bench, 7 throwing line marker,
// 8 loudspeaker, 9..16 spectators cheering (8 frames), 17..24 a second
// spectator block (8 frames).
inline constexpr int kMiscBackdrop = 1, kMiscGround = 2, kMiscPalm = 3, kMiscRock = 4,
                     kMiscFlagPole = 5, kMiscBench = 6, kMiscLine = 7, kMiscSpeaker = 8,
                     kMiscCrowdA = 9, kMiscCrowdB = 17, kMiscCrowdFrames = 8, kMiscFrames = 24;
inline constexpr int kBackdropW = 640, kBackdropH = 280;
inline constexpr int kGroundStripW = 640, kGroundStripH = 120;

// Contestant sheets: one per throw character, frames kContestantW x
// kContestantH; the feet stand on row kContestantFootY of the frame, so a
// contestant drawn at y = kGroundY - kContestantFootY stands on the ground.
inline constexpr const char* kContestantSheet[6] = {
    "comp\\monkey.mbm", "comp\\kan.mbm", "comp\\alien.mbm",
    "comp\\rizaz.mbm", "comp\\stud.mbm", "comp\\amaz.mbm"};
inline constexpr int kContestantW = 160, kContestantH = 160, kContestantFootY = 150;

// Frame layout of a contestant sheet (1-based, inclusive ranges).
struct ThrowSheetLayout {
  int spinFirst, spinLast;   // a turn on the spot; spinLast is the stand frame
  int standFrame;
  int windFirst, windLast;   // the run-up/wind-up cycle (states 1-3)
  int throwFirst[4];         // throw kinds 0..3 (state 4/5 animation)
  int throwLast[4];
  int handOverFrame[4];      // frame at which the computer leaves the hands
  int frameCount;            // every throw kind has 6 follow frames after throwLast
};
// RAREZ VUDA, RADEROZI and ZOVI keep the computer in a kind 3 throw and
// play sound 42 at frames 132, 151 and 107 respectively.
inline constexpr ThrowSheetLayout kSheetLayout[6] = {
    {1, 17, 17, 18, 33, {34, 60, 86, 106}, {53, 79, 99, 140}, {48, 74, 95, 132}, 146},
    {1, 17, 17, 18, 33, {34, 60, 86, 106}, {53, 79, 99, 160}, {48, 74, 95, 151}, 166},
    {1, 17, 17, 18, 33, {34, 60, 86, 106}, {53, 79, 99, 124}, {48, 74, 95, 107}, 130},
    {1, 17, 17, 18, 33, {34, 60, 86, 106}, {53, 79, 99, 125}, {48, 74, 95, 120}, 131},
    {1, 17, 17, 18, 33, {34, 60, 86, 106}, {53, 79, 99, 125}, {48, 74, 95, 120}, 131},
    {1, 17, 17, 18, 33, {34, 60, 86, 106}, {53, 79, 99, 125}, {48, 74, 95, 120}, 131},
};
inline constexpr int kFollowFrames = 6;
// Where the computer's frame stands, relative to the contestant frame's
// top-left corner, when it leaves the hands: throw kinds 0..3 and [4] the
// drop at the feet.
struct Offset { int x, y; };
inline constexpr Offset kReleaseOffset[6][5] = {
    {{63, 15}, {97, 65}, {91, 38}, {93, 82}, {42, 102}},
    {{47, 30}, {71, 58}, {67, 43}, {48, 51}, {42, 102}},
    {{54, 26}, {78, 61}, {74, 42}, {63, 47}, {42, 102}},
    {{52, 25}, {78, 59}, {74, 41}, {58, 48}, {42, 102}},
    {{55, 9}, {82, 46}, {78, 26}, {63, 34}, {42, 102}},
    {{54, 10}, {79, 46}, {75, 27}, {61, 34}, {42, 102}},
};

// The thrown computer: 1..50 tumbling in flight (the flight steps 2 frames
// and wraps past 50 to 1), 51..90 landing and skidding (variable 18 = 0),
// 91..112 dropped and breaking (variable 18 = 1).
inline constexpr int kComputerW = 48, kComputerH = 48;
inline constexpr int kComputerFlightLast = 50, kComputerLandFirst = 51, kComputerLandLast = 90,
                     kComputerDropFirst = 91, kComputerDropLast = 112, kComputerFrames = 112;
// Its shadow: 4 frames, widest first.
inline constexpr int kShadowW = 48, kShadowH = 12, kShadowFrames = 4;

// meter.mbm: frames 1..10 the needle for angle index 0..9 (the angle index i
// aims at (5i - 5) x 2 degrees), frame 11 the dial. The dial is drawn at
// (200, 292), the needle at (204, 302).
inline constexpr int kMeterDialFrame = 11, kMeterFrames = 11;
inline constexpr int kMeterDialW = 120, kMeterDialH = 80, kMeterNeedleW = 112, kMeterNeedleH = 64;
inline constexpr int kMeterNeedlePivotX = 12, kMeterNeedlePivotY = 56;  // in the needle frame

// judge.mbm: 1..80 walking out and measuring (frame 79 reads the tape), 81..96
// holding up the board after a valid throw, 97..112 waving a foul.
inline constexpr int kJudgeW = 64, kJudgeH = 96, kJudgeFootY = 92;
// The white board the judge holds up (frames kJudgeBoardFirst..Last), in the
// frame: the event writes the distance on it.
inline constexpr int kJudgeBoardX = 6, kJudgeBoardY = 2, kJudgeBoardW = 52, kJudgeBoardH = 18;
inline constexpr int kJudgeWalkLast = 80, kJudgeMeasureFrame = 79, kJudgeBoardFirst = 81,
                     kJudgeBoardLast = 96, kJudgeFoulFirst = 97, kJudgeFoulLast = 112, kJudgeFrames = 112;

inline constexpr int kGullW = 48, kGullH = 32, kGullFrames = 8;       // flapping
inline constexpr int kDrumW = 40, kDrumH = 56, kDrumFrames = 4;       // 1 standing, 2..4 hit and rolling
inline constexpr int kCloudW = 160, kCloudH = 64, kCloudFrames = 3;
inline constexpr int kPipeW = 64, kPipeH = 160, kPipeFrames = 2;      // 1 pipe, 2 with steam
inline constexpr int kSignW = 48, kSignH = 40, kSignFrames = 10;      // frame n = (10 x n) metres
inline constexpr int kIconW = 300, kIconH = 120, kIconFrames = 16;    // the event's title card

// ------------------------------------------------------------------ sounds
// One row of 48 entries per throw character: entry 0 is the contestant
// sheet, entry 1 + s the file of sound slot s (0..46). `inProgramDir` picks
// the program directory as the root, else the data directory.
inline constexpr int kSoundSlots = 47, kSoundSlotsLowMemory = 44;
using ThrowFile = EventFile;

#define KEL_THROW_ROW(sheet, pp, tag, att)                                                   \
  {{sheet, 0},                                                                               \
   {"sounds\\" att "1.wav", 1}, {"sounds\\" att "2.wav", 1}, {"sounds\\" att "3.wav", 1},    \
   {"comp\\c_throw.wav", 0}, {"sounds\\" pp "_spin.wav", 1}, {"sounds\\" pp "_land.wav", 1}, \
   {"sounds\\" pp "_run.wav", 1}, {"sounds\\" pp "_fall.wav", 1}, {"sounds\\n_foul.wav", 1}, \
   {"sounds\\crowdboa.wav", 1}, {"sounds\\cheer.wav", 1}, KEL_SPOKEN_NUMBER_FILES,           \
   {"comp\\n_amb.wav", 0}, {"comp\\c_" pp "hand.wav", 0}, {"comp\\c_start.wav", 0},          \
   {"extra\\comp\\" tag "thr1.wav", 0}, {"extra\\comp\\" tag "thr2.wav", 0},                 \
   {"extra\\comp\\" tag "thr3.wav", 0}}

// Slot uses: 0-2 attempt openers, 3 let go / landing, 4 spin, 5 (unused
// landing), 6 wind-up turn, 7 (unused fall), 8 foul, 9 after a foul, 10 after
// a valid throw, 11-30 numbers 0-19, 31-38 tens 20-90, 39 the point word, 40
// the unit, 41 crowd loop, 42 hand-over, 43 start of the event, 44-46 the
// contestant's comment after attempt 1-3.
inline constexpr ThrowFile kThrowCharacterFiles[6][48] = {
    KEL_THROW_ROW("comp\\monkey.mbm", "mo", "lar", "n_att"),
    KEL_THROW_ROW("comp\\kan.mbm", "ka", "jac", "n_att"),
    KEL_THROW_ROW("comp\\alien.mbm", "al", "fre", "att"),
    KEL_THROW_ROW("comp\\rizaz.mbm", "go", "goo", "att"),
    KEL_THROW_ROW("comp\\stud.mbm", "st", "buf", "att"),
    KEL_THROW_ROW("comp\\amaz.mbm", "am", "ama", "att"),
};
#undef KEL_THROW_ROW

inline const ThrowFile& ThrowSoundFile(int throwChar, int slot) {
  return kThrowCharacterFiles[throwChar][1 + slot];
}

}  // namespace throwassets
