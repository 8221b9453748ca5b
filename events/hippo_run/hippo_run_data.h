#pragma once
// HIPPO RUN data, the contract between the event and whatever makes its files
// (the asset generator draws the default set to it): file names, the
// per-character file table (its rows in the event's own order), the runners'
// animation tables and hotspots, the thrown weapons' start offsets, the sizes
// of the course picture and of every sprite, and the palette ranges. The
// generator draws to exactly these numbers and the event takes them from
// here, never restating them.
//
// Row order of the tables (the event's own): 0 RAREZ VUDA (ape), 1 ZOVI
// (alien), 2 RADEROZI (kangaroo), 3 RAZIRAZO (jungle amazon), 4 RIZAZ
// (slob), 5 ZARU (stud).

namespace hippoassets {

inline constexpr int kRows = 6;

// Player-record character (0 RIZAZ .. 5 ZOVI) -> row, and back.
inline constexpr int kRowOfCharacter[6] = {4, 0, 5, 3, 2, 1};
inline constexpr int kCharacterOfRow[6] = {1, 5, 4, 3, 0, 2};
// A character number from a record or a peer is checked before it picks a row.
inline constexpr int RowOfCharacter(int character) {
  return (character >= 0 && character < 6) ? kRowOfCharacter[character] : kRowOfCharacter[0];
}

// ---------------------------------------------------------------- pictures
// Under the data directory unless said otherwise.
inline constexpr const char* kPalettePicture = "hippo\\palette.bmp";  // 16x16, pixel (x,y) = index 16y+x
inline constexpr const char* kStatusPicture = "dog\\statnew.bmp";     // shared with the other events
inline constexpr const char* kCoursePicture = "hippo\\back.bbm";      // the whole course, a tile picture
inline constexpr const char* kHippoSprite = "hippo\\hippo3.mbm";
inline constexpr const char* kCarSprite = "hippo\\car.mbm";
inline constexpr const char* kExplodeSprite = "hippo\\explode.mbm";
inline constexpr const char* kFlagSprite = "hippo\\flag.mbm";
inline constexpr const char* kIconsSprite = "hippo\\icons.mbm";       // the item panel's icons
inline constexpr const char* kTitleSprite = "hippo\\icon2.mbm";       // the title animation
inline constexpr const char* kMapSprite = "hippo\\map.mbm";           // the course map
inline constexpr const char* kFacesSprite = "menu\\sfaces.mbm";       // program directory
inline constexpr const char* kLoadingPicture = "video\\loading3.mbm"; // video directory
inline constexpr const char* kAnnouncerSound = "extra\\events\\annhippo.wav";
inline constexpr const char* kPillSound = "sounds\\powerpil.wav";     // program directory

// The course picture: the projection of world (x, y) is picture
// (trunc((x + y) * 0.917.. + 725), trunc((x - y) * 0.398.. + 1660)); the
// course (x 0..500, y 0..3000), the road of the car (x -300..-150) and the
// scenery round them fit in it.
inline constexpr int kCourseW = 3980, kCourseH = 1972;
inline constexpr double kProjectX = 0.9170600743854, kProjectY = 0.3987490689246;
inline constexpr int kProjectOriginX = 725, kProjectOriginY = 1660;
inline constexpr int kFinishLineY = 2550;  // world y
inline constexpr int kStartLineY = 300;    // world y where the hippos stand
// Flags stand in three columns along the course, every 125 from y 500 on.
inline constexpr int kFlagColumns[3] = {135, 250, 375};
inline constexpr int kFlagRows = 17, kFlagFirstY = 500, kFlagStepY = 125;
inline constexpr int kCarX = -225;

// Palette of the event (hippo\palette.bmp): 0 black, 1 transparent key, 2..5
// the highlight and the bar colours, 6..125 the course and the scenery
// sprites, 134 + 30 i .. 163 + 30 i player i's runner (copied from his sheet
// at load time), 255 white. The status picture keeps to 0..125 and 255; the
// faces of the status band are matched to 120..247, mostly the runners' colours.
inline constexpr int kPaletteSceneryFirst = 6, kPaletteSceneryLast = 125;
inline constexpr int kRunnerPaletteFirst = 134, kRunnerPaletteCount = 30;
inline constexpr int kFacePaletteFirst = 120, kFacePaletteCount = 128;

// Runner sheets: frames kRunnerW x kRunnerH; a runner's feet stand on its
// row's hotspot.
inline constexpr const char* kRunnerSheet[6] = {"hippo\\monkey8.mbm", "hippo\\zovi8.mbm",
                                                "hippo\\rooto8.mbm", "hippo\\ampush8.mbm",
                                                "hippo\\gcpush8.mbm", "hippo\\stud8.mbm"};
inline constexpr int kRunnerW = 110, kRunnerH = 108;
struct Hotspot { int x, y; };
inline constexpr Hotspot kRunnerHotspot[6] = {{60, 105}, {50, 100}, {50, 100}, {50, 100}, {50, 102}, {50, 102}};
// The face frame of "menu\sfaces.mbm" on the course map: the character + 1.
inline constexpr int kMapFaceFrame[6] = {2, 6, 5, 4, 1, 3};

// Runner states, the animation table's index.
enum RunnerState : int {
  kStatePill = -1,
  kStatePush = 0,
  kStateWindUp = 1,
  kStateThrow = 2,
  kStateStand = 3,
  kStatePunch = 4,
  kStateKnockedOut = 5,
  kStateGettingUp = 6,
  kStateHit1 = 7,
  kStateHit2 = 8,
  kStateResting = 9,
};
inline constexpr int kAnimStates = 10, kSequenceMax = 20;

// Frame = kRunnerBase[row][state][direction] + kRunnerSequence[row][state][step];
// a sequence ends before its first -1.
#define KEL_B(s, d) {s, s + d, s + 2 * d, s + 3 * d, s + 4 * d, s + 5 * d, s + 6 * d, s + 7 * d}
inline constexpr int kRunnerBase[6][kAnimStates][8] = {
    {KEL_B(433, 14), KEL_B(313, 7), KEL_B(369, 8), KEL_B(1, 6), KEL_B(241, 9), KEL_B(49, 7),
     KEL_B(105, 6), KEL_B(153, 5), KEL_B(193, 6), KEL_B(545, 12)},
    {KEL_B(441, 19), KEL_B(249, 6), KEL_B(361, 10), KEL_B(1, 6), KEL_B(297, 8), KEL_B(145, 7),
     KEL_B(201, 6), KEL_B(49, 6), KEL_B(97, 6), KEL_B(593, 10)},
    {KEL_B(393, 10), KEL_B(241, 5), KEL_B(337, 7), KEL_B(1, 6), KEL_B(281, 7), KEL_B(49, 7),
     KEL_B(105, 7), KEL_B(161, 5), KEL_B(201, 5), KEL_B(473, 15)},
    {KEL_B(353, 10), KEL_B(217, 5), KEL_B(313, 5), KEL_B(1, 8),
     {257, 264, 271, 278, 285, 292, 299, 305}, KEL_B(65, 6), KEL_B(113, 6), KEL_B(161, 4),
     KEL_B(193, 3), {433, 447, 463, 478, 493, 508, 523, 538}},
    {KEL_B(369, 10), KEL_B(233, 5), KEL_B(329, 5), KEL_B(1, 8), KEL_B(273, 7), KEL_B(65, 6),
     KEL_B(113, 8), KEL_B(177, 4), KEL_B(209, 3), KEL_B(449, 15)},
    {KEL_B(369, 10), KEL_B(233, 5), KEL_B(329, 5), KEL_B(1, 8), KEL_B(273, 7), KEL_B(65, 6),
     KEL_B(113, 8), KEL_B(177, 4), KEL_B(209, 3), KEL_B(449, 15)},
};
#undef KEL_B

#define KEL_UP(n) KEL_UP_##n
#define KEL_UP_5 {0, 1, 2, 3, 4, -1}
#define KEL_UP_6 {0, 1, 2, 3, 4, 5, -1}
#define KEL_UP_7 {0, 1, 2, 3, 4, 5, 6, -1}
#define KEL_UP_8 {0, 1, 2, 3, 4, 5, 6, 7, -1}
#define KEL_UP_9 {0, 1, 2, 3, 4, 5, 6, 7, 8, -1}
#define KEL_UP_10 {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1}
#define KEL_UP_12 {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, -1}
#define KEL_UP_14 {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, -1}
#define KEL_UP_15 {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, -1}
#define KEL_UP_19 {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, -1}
inline constexpr int kRunnerSequence[6][kAnimStates][kSequenceMax] = {
    {KEL_UP(14), {0, 1, 2, 3, 4, 5, 6, 3, 2, 1, -1}, KEL_UP(8), KEL_UP(6), KEL_UP(9), KEL_UP(7),
     KEL_UP(6), {0, 1, 2, 1, 3, -1}, KEL_UP(6), KEL_UP(12)},
    {KEL_UP(19), {0, 1, 2, 3, 4, 5, 0, -1}, KEL_UP(10), KEL_UP(6), {0, 1, 2, 3, 4, 5, 6, 7, 4, 3, 2, 1, -1},
     KEL_UP(7), KEL_UP(6), KEL_UP(6), {0, 1, 2, 1, 4, 5, 2, 1, -1},
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, -1}},
    {KEL_UP(10), KEL_UP(7), KEL_UP(7), KEL_UP(6), {0, 1, 2, 3, 4, 0, -1}, KEL_UP(7), KEL_UP(7),
     {0, 1, 2, 3, 2, 1, 4, -1}, {0, 1, 2, 3, 2, 1, 0, -1}, KEL_UP(15)},
    {KEL_UP(10), {0, 1, 2, 3, 4, 3, 2, 1, -1}, KEL_UP(5), KEL_UP(8), {0, 1, 2, 3, 4, 5, 0, -1}, KEL_UP(6),
     KEL_UP(6), {0, 1, 2, 3, 2, 1, 0, -1}, {0, 1, 2, 2, 1, 0, -1}, KEL_UP(15)},
    {KEL_UP(10), {0, 1, 2, 3, 4, 2, 1, -1}, KEL_UP(5), KEL_UP(8), {0, 1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1, -1},
     KEL_UP(6), KEL_UP(8), {0, 1, 2, 3, 2, 1, 0, -1}, {0, 1, 2, 2, 1, 0, -1}, KEL_UP(15)},
    {KEL_UP(10), {0, 1, 2, 3, 4, 3, 2, 1, 0, -1}, KEL_UP(5), KEL_UP(8),
     {0, 1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1, 0, -1}, KEL_UP(6), KEL_UP(8), {0, 1, 2, 3, 2, 1, 0, -1},
     {0, 1, 2, 2, 1, 0, -1}, KEL_UP(15)},
};
#undef KEL_UP
#undef KEL_UP_5
#undef KEL_UP_6
#undef KEL_UP_7
#undef KEL_UP_8
#undef KEL_UP_9
#undef KEL_UP_10
#undef KEL_UP_12
#undef KEL_UP_14
#undef KEL_UP_15
#undef KEL_UP_19

// Frames of each runner sheet: the highest frame the tables name.
inline constexpr int RunnerFrameCount(int row) {
  int most = 0;
  for (int s = 0; s < kAnimStates; ++s)
    for (int d = 0; d < 8; ++d)
      for (int k = 0; k < kSequenceMax && kRunnerSequence[row][s][k] >= 0; ++k) {
        int f = kRunnerBase[row][s][d] + kRunnerSequence[row][s][k];
        if (f > most) most = f;
      }
  return most;
}
static_assert(RunnerFrameCount(0) == 640 && RunnerFrameCount(1) == 672 && RunnerFrameCount(3) == 552);

// Thrown weapons: frames 1 + 5 d .. 5 + 5 d fly in direction d, frame 41 is
// the item panel's picture; drawn about their hotspot.
inline constexpr const char* kWeaponSheet[6] = {"hippo\\banana.mbm", "hippo\\ship.mbm",
                                                "hippo\\boomran.mbm", "hippo\\dagger.mbm",
                                                "hippo\\pizza.mbm", "hippo\\dumbell.mbm"};
inline constexpr int kWeaponW = 90, kWeaponH = 80, kWeaponFrames = 41, kWeaponPanelFrame = 41;
inline constexpr int kWeaponHotspotX = 45, kWeaponHotspotY = 40;
// Where a thrown weapon starts, from the thrower's world position, by row and direction.
struct Offset { int x, y; };
inline constexpr Offset kWeaponStart[6][8] = {
    {{-50, 95}, {-5, 80}, {30, 60}, {40, 20}, {60, -40}, {-20, 0}, {-50, 0}, {-40, 40}},
    {{-120, 100}, {-90, 120}, {-30, 100}, {-10, 60}, {0, 0}, {-60, 0}, {-80, 0}, {-100, 40}},
    {{-70, 70}, {-10, 80}, {0, 90}, {40, 50}, {40, 0}, {-20, 0}, {-50, 0}, {-40, 40}},
    {{-50, 90}, {-10, 80}, {10, 70}, {40, 30}, {40, -20}, {-20, 0}, {-50, 0}, {-40, 40}},
    {{-50, 100}, {-10, 80}, {0, 100}, {40, 50}, {40, -20}, {-20, 0}, {-50, 0}, {-40, 40}},
    {{-50, 100}, {-10, 80}, {0, 100}, {40, 50}, {40, -20}, {-20, 0}, {-50, 0}, {-40, 40}},
};

// The hippo: 1..7 walking, 8..11 hit, 12..15 knocked out and getting up,
// 16..20 idle; then the same 20 again for each further player: frames
// 20p + 1 .. 20p + 20 carry player p's number and colour on the cloth.
inline constexpr int kHippoW = 100, kHippoH = 110, kHippoLookFrames = 20, kHippoLooks = 4;
inline constexpr int kHippoFrames = kHippoLookFrames * kHippoLooks;
inline constexpr int kHippoHotspotX = 50, kHippoHotspotY = 100;
// Explosion puffs, four looks.
inline constexpr int kExplodeW = 64, kExplodeH = 64, kExplodeFrames = 4;
// Flags: frames 1..6 (the course uses 6), the pole's foot on the hotspot.
inline constexpr int kFlagW = 26, kFlagH = 62, kFlagFrames = 6, kFlagStandFrame = 6;
inline constexpr int kFlagHotspotX = 12, kFlagHotspotY = 58;
// Four cars.
inline constexpr int kCarW = 150, kCarH = 96, kCarFrames = 4;
// The item panel: 1 power pill, 2 push, 3 punch.
inline constexpr int kIconsW = 32, kIconsH = 22, kIconsFrames = 3;
// The title animation, drawn into a 300 x 300 picture.
inline constexpr int kTitleW = 300, kTitleH = 300, kTitleFrames = 12;
// The course map at the top right: 100 x 170.
inline constexpr int kMapW = 100, kMapH = 170, kMapFrames = 1;

// ------------------------------------------------------------------ sounds
// Per row, all under the data directory: the five voices (attack 1, attack
// 2, reaction 1, reaction 2, victory) and the two commentaries (lead,
// finishing line).
inline constexpr const char* kVoiceTag[6] = {"Mo", "Al", "Ka", "Am", "Go", "St"};
inline constexpr const char* kVoiceFiles[6][5] = {
    {"sounds\\Mo_att1.wav", "sounds\\Mo_att2.wav", "sounds\\Mo_rea1.wav", "sounds\\Mo_rea2.wav", "sounds\\Mo_Win.wav"},
    {"sounds\\Al_att1.wav", "sounds\\Al_att2.wav", "sounds\\Al_rea1.wav", "sounds\\Al_rea2.wav", "sounds\\Al_Win.wav"},
    {"sounds\\Ka_att1.wav", "sounds\\Ka_att2.wav", "sounds\\Ka_rea1.wav", "sounds\\Ka_rea2.wav", "sounds\\Ka_Win.wav"},
    {"sounds\\Am_att1.wav", "sounds\\Am_att2.wav", "sounds\\Am_rea1.wav", "sounds\\Am_rea2.wav", "sounds\\Am_Win.wav"},
    {"sounds\\Go_att1.wav", "sounds\\Go_att2.wav", "sounds\\Go_rea1.wav", "sounds\\Go_rea2.wav", "sounds\\Go_Win.wav"},
    {"sounds\\St_att1.wav", "sounds\\St_att2.wav", "sounds\\St_rea1.wav", "sounds\\St_rea2.wav", "sounds\\St_Win.wav"},
};
inline constexpr const char* kCommentaryFiles[6][2] = {
    {"extra\\rd\\Larlead1.wav", "extra\\rd\\Larline1.wav"},
    {"extra\\rd\\Frelead1.wav", "extra\\rd\\Freline1.wav"},
    {"extra\\rd\\Jaclead1.wav", "extra\\rd\\Jacline1.wav"},
    {"extra\\rd\\Amalead1.wav", "extra\\rd\\Amaline1.wav"},
    {"extra\\rd\\Goolead1.wav", "extra\\rd\\Gooline1.wav"},
    {"extra\\rd\\Buflead1.wav", "extra\\rd\\Bufline1.wav"},
};
// The event's own sounds under the data directory: car, hit, push, ambience.
inline constexpr const char* kCarSound = "hippo\\h_car.wav";
inline constexpr const char* kHitSound = "hippo\\h_hit.wav";
inline constexpr const char* kPushSound = "hippo\\h_push.wav";
inline constexpr const char* kAmbienceSound = "comp\\n_amb.wav";

}  // namespace hippoassets
