#pragma once
// CRAZY CLIMBING data, the contract between the event and whatever makes its
// files (the asset generator draws the default set to it): file names, frame
// counts and frame sizes, the palette bands, the climbers' animation rows,
// boxes and the objects' boxes. The generator draws to exactly these numbers
// and the event's rules take every size from here, never from the loaded
// pictures: a machine with a damaged picture must still compute the same race
// as the others.
//
// Characters in player-record order: 0 RIZAZ, 1 RAREZ VUDA, 2 ZARU,
// 3 RAZIRAZO, 4 RADEROZI, 5 ZOVI.

namespace climbassets {

inline constexpr int kCharacters = 6;

// Where a file is opened from: the program directory or the data directory.
enum FileRoot : int { kProgram = 0, kData = 1 };
enum FileKind : int { kBmp8 = 0, kMbm = 1, kWav = 2 };

// ---------------------------------------------------------------- palette
// The display palette of the event: entries 0..19 and 255 come from the
// status-band picture, 20..254 from frame 1 of building sprite A, and the
// four climbers then take 32 entries each from 120 (player i: 120 + 32 i ..
// 151 + 32 i). Every picture of the event but the climber sheets is drawn
// in the scenery band (20..119 and 248..254, with 0 black and 255 white);
// a climber sheet keeps its 32 colours in its own entries 2..33.
inline constexpr int kStatusColoursLast = 19;
inline constexpr int kSceneryFirst = 20, kSceneryLast = 119;
inline constexpr int kSceneryHighFirst = 248, kSceneryHighLast = 254;
inline constexpr int kClimberBandFirst = 120, kClimberBandSize = 32;
inline constexpr int kSheetColourFirst = 2;  // a sheet's 32 colours: entries 2..33
inline constexpr int kFaceIconFirst = 2, kFaceIconCount = 250;

// ---------------------------------------------------------------- pictures
inline constexpr const char* kLoadingPicture = "video\\loading2.mbm";  // under the video directory
inline constexpr const char* kStatusPicture = "climb\\statnew2.bmp";
inline constexpr int kStatusW = 640, kStatusH = 80;

// Building sprite A: 1 street strip, 2..4 street props, 5 and 6 roof props,
// 7 skyline, 8 sky, 9 a spare cloud, 10 minimap frame.
inline constexpr const char* kBuildingA = "Climb\\obj8n8.mbm";
inline constexpr int kAStreet = 1, kAStreetProp2 = 2, kAStreetProp3 = 3, kAStreetProp4 = 4, kARoofProp5 = 5,
                     kARoofProp6 = 6, kASkyline = 7, kASky = 8, kACloud = 9, kAMapFrame = 10, kAFrames = 10;
inline constexpr int kStreetW = 640, kStreetH = 196;
inline constexpr int kSkyW = 640, kSkyH = 1400;
inline constexpr int kSkylineW = 552, kSkylineH = 924;
inline constexpr int kMapFrameW = 148, kMapFrameH = 174;
// Building sprite B: 1 wall tile, 2 and 6 skyline pieces, 3 roof edge, 4 and
// 5 roof props.
inline constexpr const char* kBuildingB = "Climb\\obj8n7.mbm";
inline constexpr int kBWall = 1, kBSkylineRight = 2, kBRoofEdge = 3, kBRoofProp4 = 4, kBRoofProp5 = 5,
                     kBSkylineLow = 6, kBFrames = 6;
inline constexpr int kWallTileW = 520, kWallTileH = 34;
inline constexpr int kSkylineRightW = 88;
inline constexpr int kSkylineLowW = 640, kSkylineLowH = 64;
inline constexpr int kRoofEdgeW = 576, kRoofEdgeH = 40;

inline constexpr const char* kIconSprite = "climb\\icons.mbm";  // 1 power pill, 2 no item
inline constexpr int kIconPill = 1, kIconNone = 2, kIconFrames = 2, kIconSize = 22;
inline constexpr const char* kStarSprite = "climb\\star2n8.mbm";
inline constexpr int kStarSpriteFrames = 10, kStarSpriteSize = 16;
inline constexpr const char* kChimneySprite = "climb\\chimny8.mbm";
inline constexpr int kChimneyW = 48, kChimneyH = 64, kChimneyFrames = 8;
inline constexpr const char* kPotSprite = "Climb\\plants8.mbm";
inline constexpr int kPotW = 72, kPotH = 72, kPotFrames = 16, kFramesPerPot = 4;
inline constexpr const char* kWindowSprite = "Climb\\window5.mbm";
inline constexpr int kWindowW = 56, kWindowH = 76, kWindowFrames = 5;
inline constexpr const char* kHelicopterSprite = "Climb\\copter8.mbm";
// The rope ladder hangs 48 pixels right of the frame's centre: a climber
// boards where the helicopter's x is its own x - 48.
inline constexpr int kHelicopterW = 192, kHelicopterH = 200, kHelicopterFrames = 4, kLadderOffsetX = 48;
inline constexpr const char* kIntroSprite = "climb\\climbing.mbm";
inline constexpr int kIntroW = 300, kIntroH = 300, kIntroSpriteFrames = 16;
inline constexpr const char* kFaceIcons = "menu\\sfaces.mbm";  // program directory, frame character + 1

// The falling objects: 15 hazards and 3 pickups, in sprite-table order.
inline constexpr int kObjectKinds = 18;
inline constexpr int kFirstPickup = 15;
inline constexpr int kKindAmmunition = 15, kKindMoney = 16, kKindJuice = 17, kKindBomb = 4, kKindSnowman = 8;
struct ObjectKind {
  const char* sprite;
  int w, h, frames;
  int box[4];  // columns a..c, rows b..d of the frame: a, b, c, d
  int hitPoints;
};
inline constexpr ObjectKind kObjects[kObjectKinds] = {
    {"Climb\\12pack8.mbm", 48, 44, 8, {8, 17, 40, 39}, 50},
    {"Climb\\phone8.mbm", 40, 72, 8, {6, 6, 32, 68}, 50},
    {"Climb\\magnet8.mbm", 40, 38, 8, {4, 4, 36, 33}, 50},
    {"Climb\\brick8.mbm", 26, 24, 8, {4, 4, 22, 19}, 50},
    {"Climb\\bomb1_8.mbm", 32, 40, 8, {5, 12, 27, 37}, 50},
    {"Climb\\televis2.mbm", 78, 72, 8, {13, 26, 65, 68}, 100},
    {"Climb\\dummy8.mbm", 50, 72, 8, {17, 54, 33, 68}, 50},
    {"Climb\\toilet8.mbm", 64, 58, 8, {12, 7, 53, 53}, 100},
    {"Climb\\snowman8.mbm", 84, 86, 8, {20, 9, 65, 80}, 100},
    {"Climb\\anvil8.mbm", 62, 50, 8, {4, 18, 58, 45}, 100},
    {"Climb\\safe8.mbm", 76, 58, 8, {3, 3, 72, 54}, 100},
    {"Climb\\fridge8.mbm", 98, 96, 8, {18, 7, 80, 91}, 150},
    {"Climb\\piano82.mbm", 90, 110, 8, {5, 7, 84, 105}, 150},
    {"Climb\\satel8.mbm", 130, 80, 8, {22, 12, 108, 75}, 150},
    {"Climb\\sub8.mbm", 110, 112, 8, {10, 35, 100, 107}, 150},
    {"Climb\\ammun8.mbm", 40, 40, 8, {4, 5, 35, 35}, 50},
    {"Climb\\money8.mbm", 42, 46, 8, {11, 11, 31, 36}, 50},
    {"Climb\\juice8.mbm", 48, 38, 8, {17, 5, 30, 33}, 50},
};

// Explosions: 0 big, 1 small, 2 a snowman burst in the air, 3 a snowman
// squashed on the street.
inline constexpr int kExplosionKinds = 4;
struct ExplosionKind {
  const char* sprite;
  int w, h, frames;
};
inline constexpr ExplosionKind kExplosions[kExplosionKinds] = {
    {"Climb\\expl18.mbm", 128, 128, 12},
    {"Climb\\expl28.mbm", 80, 80, 10},
    {"Climb\\snowbl8.mbm", 96, 96, 10},
    {"Climb\\Snowsqs8.mbm", 96, 64, 10},
};

// ---------------------------------------------------------------- climbers
// Animation rows: 0 side move, 1 climb, 2 fall, 3 down, 4 pull up, 5 hit
// reaction, 6 punch up, 7 kick down, 8 grab (its first frame unused: a grab
// plays frames of row 9), 9 throw, 10 idle, 11 catch hold. Rows 0, 5, 6 and
// 7 hold a left-facing run and a right-facing run after it; row 9 holds
// `throwRuns` runs of `count[9]` frames (see the event's throw table).
inline constexpr int kRows = 12;
enum ClimbRow : int {
  kRowSide = 0, kRowClimb, kRowFall, kRowDown, kRowPullUp, kRowHit, kRowPunch, kRowKick, kRowGrab,
  kRowThrow, kRowIdle, kRowCatch
};
struct ClimberLayout {
  int first[kRows];
  int count[kRows];
  int frames;     // frames of the sheet
  int throwRuns;  // runs of row 9
};
inline constexpr ClimberLayout kLayouts[kCharacters] = {
    {{1, 41, 59, 79, 99, 109, 129, 149, 169, 184, 304, 304}, {20, 18, 20, 20, 10, 10, 10, 10, 15, 15, 13, 13}, 316, 8},
    {{41, 1, 295, 313, 365, 81, 223, 259, 111, 111, 331, 383}, {20, 20, 18, 18, 18, 15, 17, 17, 16, 16, 34, 18}, 400, 7},
    {{1, 41, 59, 79, 99, 109, 129, 149, 169, 184, 304, 304}, {20, 18, 20, 20, 10, 10, 10, 10, 15, 15, 13, 13}, 316, 8},
    {{1, 41, 58, 77, 97, 107, 127, 147, 167, 182, 302, 302}, {20, 17, 19, 20, 10, 10, 10, 10, 15, 15, 13, 13}, 316, 8},
    {{1, 61, 95, 100, 125, 153, 173, 203, 266, 221, 326, 364}, {30, 34, 5, 10, 28, 10, 15, 9, 15, 15, 37, 15}, 378, 7},
    {{41, 1, 295, 313, 364, 81, 223, 259, 111, 111, 331, 382}, {20, 20, 18, 18, 18, 15, 17, 17, 16, 16, 33, 13}, 394, 7},
};
// RIZAZ, ZARU and RAZIRAZO: eight throw runs (run 0 a grab to the right),
// catch hold played as the fall backwards, climbing and idling slowed down.
inline constexpr bool IsHeavyClimber(int character) {
  return character == 0 || character == 2 || character == 3;
}
// Throw runs by facing and aim: [group][facing 0..2][aim 0..2], -1 none
// (group 0 the heavy climbers, 1 the others). Facing 0 throws only up.
inline constexpr int kThrowRun[2][3][3] = {
    {{-1, 4, -1}, {2, 1, 3}, {6, 5, 7}},
    {{-1, 0, -1}, {2, 4, 6}, {1, 3, 5}},
};

struct ClimberFiles {
  const char* sheet;
  const char* weapon;
  const char* sounds[5];  // attack, reaction, fall, weapon throw, landing
  int soundRoot;
  const char* cry;        // the digit 0 is replaced by 1..5
};
inline constexpr ClimberFiles kClimberFiles[kCharacters] = {
    {"climb\\GCCLIMB2.mbm", "climb\\pizza82.mbm",
     {"sounds\\Go_att1.wav", "sounds\\Go_rea1.wav", "sounds\\Go_fall.wav", "sounds\\Go_weap.wav", "sounds\\Go_land.wav"},
     kProgram, "extra\\climb\\goofall0.wav"},
    {"climb\\Apeclmb8.mbm", "climb\\banana8.mbm",
     {"sounds\\Mo_att1.wav", "sounds\\Mo_rea1.wav", "sounds\\Mo_fall.wav", "sounds\\Mo_weap.wav", "sounds\\Mo_land.wav"},
     kData, "extra\\climb\\larfall0.wav"},
    {"climb\\STCLIMB2.mbm", "climb\\dumbell8.mbm",
     {"sounds\\St_att1.wav", "sounds\\St_rea1.wav", "sounds\\St_fall.wav", "sounds\\St_weap.wav", "sounds\\St_land.wav"},
     kData, "extra\\climb\\buffall0.wav"},
    {"climb\\AMCLIMB2.mbm", "climb\\dagger8.mbm",
     {"sounds\\Am_att1.wav", "sounds\\Am_rea2.wav", "sounds\\Am_fall.wav", "sounds\\Am_weap.wav", "sounds\\Am_land.wav"},
     kData, "extra\\climb\\amafall0.wav"},
    {"climb\\roocl38.mbm", "climb\\boomran8.mbm",
     {"sounds\\Ka_att1.wav", "sounds\\Ka_rea1.wav", "sounds\\Ka_fall.wav", "sounds\\Ka_weap.wav", "sounds\\Ka_land.wav"},
     kData, "extra\\climb\\jacfall0.wav"},
    {"climb\\Alclimb8.mbm", "climb\\sship8.mbm",
     {"sounds\\Al_att1.wav", "sounds\\Al_rea1.wav", "sounds\\Al_fall.wav", "sounds\\Al_weap.wav", "sounds\\Al_land.wav"},
     kData, "extra\\climb\\frefall0.wav"},
};
inline constexpr int kCries = 5;

// Frame 1 of each sheet (every frame of a sheet has this size) and the
// climber's box in it: columns a..c, rows b..d.
struct ClimberShape {
  int w, h;
  int box[4];
  int moodThreshold;
};
inline constexpr ClimberShape kShapes[kCharacters] = {
    {136, 140, {40, 33, 95, 107}, 60}, {96, 152, {20, 55, 75, 97}, 50},  {136, 144, {40, 33, 95, 110}, 60},
    {130, 140, {40, 33, 90, 107}, 55}, {128, 100, {48, 20, 80, 80}, 50}, {130, 140, {40, 33, 90, 107}, 60},
};

// Thrown weapons: seven runs of five frames (one per direction 0..6) and the
// status-band icon as frame 36.
inline constexpr int kWeaponFramesPerDirection = 5, kWeaponDirections = 7, kWeaponIconFrame = 36,
                     kWeaponFrames = 36, kWeaponIconSize = 22;
struct WeaponShape {
  int w, h;
  int box[4];
};
inline constexpr WeaponShape kWeaponShapes[kCharacters] = {
    {38, 38, {10, 10, 27, 28}}, {38, 36, {11, 9, 28, 27}}, {40, 38, {9, 8, 31, 30}},
    {38, 38, {11, 11, 26, 28}}, {38, 38, {10, 11, 28, 27}}, {120, 86, {36, 20, 84, 65}},
};

// ------------------------------------------------------------------ sounds
// The screen's sound slots, in this order.
enum ScreenSound : int {
  kSndCheer = 0, kSndJuice, kSndMoney, kSndAmmunition, kSndPowerPill, kSndBigExplosion, kSndSmallExplosion,
  kSndClayPot, kSndCity, kSndSnowGround, kSndSnowHit, kSndHelicopter, kSndFalling, kSndFridge, kSndPiano,
  kSndPhone, kSndSatellite, kSndSubmarine, kSndToilet, kSndTelevision, kSndAnnouncer, kScreenSounds
};
struct SoundFile {
  const char* path;
  int root;
};
inline constexpr SoundFile kScreenSoundFiles[kScreenSounds] = {
    {"sounds\\cheer.wav", kProgram},      {"sounds\\juice3.wav", kProgram},   {"sounds\\grab$.wav", kProgram},
    {"sounds\\grabAmmo.wav", kProgram},   {"sounds\\powerpil.wav", kData},    {"sounds\\bomb.wav", kProgram},
    {"sounds\\bomb2.wav", kProgram},      {"climb\\Claypot.wav", kData},      {"climb\\cityamb.wav", kData},
    {"climb\\snwgrnd.wav", kData},        {"climb\\snwmnhit.wav", kData},     {"climb\\heliloop.wav", kData},
    {"climb\\fall1.wav", kData},          {"climb\\fridgfal.wav", kData},     {"climb\\piafall2.wav", kData},
    {"climb\\phonlop2.wav", kData},       {"climb\\satloop1.wav", kData},     {"climb\\subloop1.wav", kData},
    {"climb\\toiltfal.wav", kData},       {"climb\\tvfall.wav", kData},       {"extra\\events\\annbuild.wav", kData},
};

// Every file of the event, for the generator's manifest. `fn(path, root,
// kind, frames)` is called once a file (frames 0 for pictures and sounds).
template <typename Fn>
void ForEachClimbFile(Fn fn) {
  fn(kStatusPicture, kData, kBmp8, 0);
  fn(kBuildingA, kData, kMbm, kAFrames);
  fn(kBuildingB, kData, kMbm, kBFrames);
  fn(kIconSprite, kData, kMbm, kIconFrames);
  fn(kStarSprite, kData, kMbm, kStarSpriteFrames);
  fn(kChimneySprite, kData, kMbm, kChimneyFrames);
  fn(kPotSprite, kData, kMbm, kPotFrames);
  fn(kWindowSprite, kData, kMbm, kWindowFrames);
  fn(kHelicopterSprite, kData, kMbm, kHelicopterFrames);
  fn(kIntroSprite, kData, kMbm, kIntroSpriteFrames);
  for (const ObjectKind& o : kObjects) fn(o.sprite, kData, kMbm, o.frames);
  for (const ExplosionKind& e : kExplosions) fn(e.sprite, kData, kMbm, e.frames);
  for (int c = 0; c < kCharacters; ++c) {
    const ClimberFiles& f = kClimberFiles[c];
    fn(f.sheet, kData, kMbm, kLayouts[c].frames);
    fn(f.weapon, kData, kMbm, kWeaponFrames);
    for (const char* s : f.sounds) fn(s, f.soundRoot, kWav, 0);
    for (int k = 1; k <= kCries; ++k) {
      char name[40] = {};
      for (int i = 0; f.cry[i] && i < 39; ++i) name[i] = f.cry[i] == '0' ? char('0' + k) : f.cry[i];
      fn(static_cast<const char*>(name), kData, kWav, 0);
    }
  }
  for (const SoundFile& s : kScreenSoundFiles) fn(s.path, s.root, kWav, 0);
}

}  // namespace climbassets
