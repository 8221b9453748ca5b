#pragma once
// ROLLER DERBY data, the contract between the event and whatever makes its
// files (the asset generator draws the default set to it): file names, the
// skaters' animation table, the thrown weapons, the sprite sizes, the palette
// ranges, and the track itself (the layout of the 24 pieces, the footprints
// and wall lines of the ten piece types and the rise of each). The generator
// builds the track meshes from the same wall lines and heights that the
// event's collision and track following use, so the picture and the logic
// describe one track. Neither side restates these numbers.
#include <cstdint>

namespace derbyassets {

inline constexpr int kCharacters = 6;

// ---------------------------------------------------------------- pictures
// Under the data directory unless said otherwise.
inline constexpr const char* kFolder = "rd";  // meshes, their textures, the event's pictures
inline constexpr const char* kLoadingPicture = "video\\loadinga.mbm";  // video directory
// The event palette (a 16 x 16 swatch, pixel (x, y) = entry 16y + x): 0
// black, 1 the transparent key, 2..5 the fixed colours, 6..126 the track,
// the pictures drawn straight onto the screen and the status band, 127 +
// 32 i .. 158 + 32 i player i's skater (copied in from his sheet when the
// event starts), 255 white.
inline constexpr const char* kPalettePicture = "rd\\palette1.bmp";
inline constexpr int kSceneryFirst = 6, kSceneryLast = 126;
inline constexpr int kBandFirst = 127, kBandColours = 32;
// Status band, 640 x 80 at y 400, in the event palette's scenery colours.
inline constexpr const char* kStatusPicture = "menu\\statnew.bmp";  // program directory
inline constexpr int kStatusW = 640, kStatusH = 80;
inline constexpr const char* kSmallFaces = "menu\\sfaces.mbm";  // program directory
// Hit stars drawn into a skater's picture: nine pictures.
inline constexpr const char* kStarsSprite = "rd\\stars1.mbm";
inline constexpr int kStarPictures = 9, kStarSize = 24;
// 1 the power pill, 2 the attack, 3 the track map; drawn onto the screen.
inline constexpr const char* kIconsSprite = "rd\\icons.mbm";
inline constexpr int kIconsFrames = 3, kIconPill = 1, kIconAttack = 2, kIconMap = 3, kIconSize = 22;
// The map: world (x, z) is picture (x / 10, kMapH - 10 - z / 10), so that a
// 24 x 24 face drawn at screen (440 + x / 10, 100 - z / 10) sits on it when
// the map is drawn at (452, 10).
inline constexpr int kMapW = 170, kMapH = 112;
// The explosion a mine leaves: frames shown once each, as a 10 x 10 decal.
inline constexpr const char* kExplosionSprite = "rd\\explos8.mbm";
inline constexpr int kExplosionFrames = 10, kExplosionSize = 64;
// The announcer's animation, 300 x 300, in the scenery colours.
inline constexpr const char* kIntroSprite = "rd\\icon.mbm";
inline constexpr int kIntroFrames = 12, kIntroSize = 300;

// ---------------------------------------------------------------- skaters
// One sheet per character (0 RIZAZ .. 5 ZOVI), every frame a square picture
// of kSkaterPicture pixels whose bottom centre is where the skates touch the
// track; the sheet's palette holds its colours in entries 2..33.
inline constexpr const char* kSkaterSheets[6] = {"rd\\Rizaz.mbm", "rd\\ape.mbm", "rd\\Stud.mbm",
                                                 "rd\\ama.mbm",   "rd\\jac.mbm", "rd\\zovi.mbm"};
inline constexpr int kSkaterPicture = 128;
inline constexpr int kSheetColoursFirst = 2;

// States of a skater, and of the animation table.
enum SkaterState : int {
  kSkating = 0,
  kStriding = 1,
  kFallen = 2,
  kGettingUp = 3,
  kHit = 4,
  kAttack1 = 5,
  kAttack2 = 6,
  kThrowing = 7,
};
inline constexpr int kAnimationStates = 9;  // the ninth row is never entered

// Per character and state: the first frame of the animation seen from each
// of eight directions (0: the camera looks along the skater's heading, 4:
// the skater faces the camera; the camera is turned k eighths of a turn to
// the skater's left for direction k), and the frames it lasts.
struct Animation {
  uint32_t firstFrame[8];
  uint32_t frameCount;
};
#define KEL_DERBY_A1 {{1, 9, 17, 25, 33, 41, 49, 57}, 1}
#define KEL_DERBY_A1_8 {{1, 9, 17, 25, 33, 41, 49, 57}, 8}
#define KEL_DERBY_RIZAZ_0_6                                                                      \
  KEL_DERBY_A1, KEL_DERBY_A1_8, {{65, 72, 79, 86, 93, 100, 107, 114}, 7},                        \
      {{121, 129, 137, 145, 153, 169, 177, 185}, 8}, {{185, 188, 191, 194, 197, 200, 203, 206}, 3}, \
      {{233, 240, 247, 254, 261, 268, 275, 282}, 7}, {{289, 296, 303, 310, 317, 324, 331, 338}, 7}
inline constexpr Animation kSkaterAnimations[6][kAnimationStates] = {
    {KEL_DERBY_RIZAZ_0_6, {{345, 352, 359, 366, 373, 380, 387, 394}, 7},
     {{4, 12, 20, 28, 36, 44, 52, 60}, 3}},
    {{{1, 7, 13, 18, 25, 31, 37, 43}, 1},
     {{1, 7, 13, 18, 25, 31, 37, 43}, 6},
     {{49, 56, 63, 70, 77, 84, 91, 98}, 7},
     {{105, 111, 117, 123, 129, 135, 141, 147}, 6},
     {{153, 158, 163, 168, 173, 178, 183, 188}, 5},
     {{193, 200, 207, 214, 221, 228, 235, 242}, 7},
     {{249, 257, 265, 273, 281, 289, 297, 305}, 8},
     {{313, 321, 329, 337, 345, 353, 361, 369}, 8},
     {{377, 380, 383, 386, 389, 392, 395, 398}, 3}},
    {KEL_DERBY_RIZAZ_0_6, {{345, 352, 359, 366, 373, 380, 387, 394}, 7},
     {{185, 188, 191, 194, 197, 200, 203, 206}, 2}},
    {KEL_DERBY_RIZAZ_0_6, {{1, 9, 17, 25, 33, 41, 49, 57}, 7}, KEL_DERBY_A1},
    {KEL_DERBY_A1,
     KEL_DERBY_A1_8,
     {{105, 112, 119, 126, 133, 140, 147, 154}, 7},
     {{161, 167, 173, 179, 185, 191, 197, 203}, 6},
     {{65, 70, 75, 80, 85, 90, 95, 100}, 5},
     {{209, 216, 223, 230, 237, 244, 251, 258}, 7},
     {{265, 273, 281, 289, 297, 305, 313, 321}, 8},
     {{329, 338, 347, 356, 365, 374, 383, 392}, 9},
     KEL_DERBY_A1},
    {{{1, 11, 21, 31, 41, 51, 61, 71}, 1},
     {{1, 11, 21, 31, 41, 51, 61, 71}, 10},
     {{129, 135, 141, 147, 153, 159, 165, 171}, 6},
     {{177, 183, 189, 195, 201, 207, 213, 219}, 6},
     {{81, 87, 93, 99, 105, 111, 117, 123}, 6},
     {{225, 232, 239, 246, 253, 260, 267, 274}, 7},
     {{281, 288, 295, 302, 309, 316, 323, 330}, 7},
     {{337, 347, 357, 367, 377, 387, 397, 407}, 10},
     {{1, 11, 21, 31, 41, 51, 61, 71}, 1}},
};
#undef KEL_DERBY_RIZAZ_0_6
#undef KEL_DERBY_A1_8
#undef KEL_DERBY_A1

// The frames a sheet needs: the last one any animation shows.
constexpr int SheetFrameCount(int character) {
  int most = 0;
  for (const Animation& a : kSkaterAnimations[character])
    for (uint32_t f : a.firstFrame)
      if (static_cast<int>(f + a.frameCount - 1) > most) most = static_cast<int>(f + a.frameCount - 1);
  return most;
}

// ------------------------------------------------------------ thrown weapons
// Per character: the sheet, its flight frames (1..frames, then one more: the
// status band's icon), the decal size in world units and the square texture
// the flight frames are drawn into.
struct WeaponRow {
  const char* file;
  uint32_t frames;
  float decalSize;
  uint32_t textureSize;
};
inline constexpr WeaponRow kWeapons[6] = {
    {"rd\\pizza8.mbm", 5, 2.0f, 32},  {"rd\\banana8.mbm", 5, 2.0f, 32}, {"rd\\dumbell8.mbm", 5, 2.0f, 32},
    {"rd\\dagger8.mbm", 8, 2.0f, 32}, {"rd\\boomer8.mbm", 5, 2.0f, 32}, {"rd\\ship8.mbm", 8, 2.0f, 64},
};
inline constexpr int kWeaponIconSize = 22;

// ------------------------------------------------------------------ track
// The ten piece types: the mesh files (in kFolder) and what each does.
inline constexpr int kPieceTypes = 10;
inline constexpr const char* kPieceFiles[kPieceTypes] = {"sl.x",  "sd.x",  "start.x", "su.x",  "tll.x",
                                                         "tld.x", "tlu.x", "trl.x",   "trd.x", "tru.x"};
// Height change from the entry to the exit of a piece.
inline constexpr float kPieceRise[kPieceTypes] = {0, -16, 0, 16, 0, -16, 16, 0, -16, 16};
constexpr bool IsStraight(uint32_t type) { return type < 4; }
constexpr bool IsLeftTurn(uint32_t type) { return type >= 4 && type <= 6; }
constexpr bool IsRightTurn(uint32_t type) { return type >= 7 && type <= 9; }
// The mines: the light off and on.
inline constexpr const char* kMineOffMesh = "mineoff.x";
inline constexpr const char* kMineOnMesh = "mineon.x";
// Textures of the meshes (in kFolder).
inline constexpr const char* kFloorTexture = "rdfloor.bmp";
inline constexpr const char* kStartTexture = "rdstart.bmp";
inline constexpr const char* kWallTexture = "rdwall.bmp";
inline constexpr const char* kMineTexture = "rdmine.bmp";

// The layout: each piece's origin (the middle of its entry edge) in the
// world, its type and its direction (its own +z runs along world +z, -x, -z
// or +x for 0..3). Rows in the order of travel; row 23 joins row 0, the
// start.
struct TrackLayoutEntry {
  float x, y, z;
  uint32_t type;
  uint32_t direction;
};
inline constexpr int kPieces = 24;
inline constexpr TrackLayoutEntry kTrackLayout[kPieces] = {
    {96, 0, 320, 2, 0},     {96, 0, 448, 8, 0},     {224, -16, 576, 0, 3},  {352, -16, 576, 4, 3},
    {480, -16, 704, 7, 0},  {608, -16, 832, 1, 3},  {736, -32, 832, 7, 3},  {864, -32, 704, 4, 2},
    {992, -32, 576, 9, 3},  {1120, -16, 448, 6, 2}, {1248, 0, 320, 0, 3},   {1376, 0, 320, 7, 3},
    {1504, 0, 192, 8, 2},   {1376, -16, 64, 0, 1},  {1248, -16, 64, 0, 1},  {1120, -16, 64, 9, 1},
    {992, 0, 192, 6, 0},    {864, 16, 320, 0, 1},   {736, 16, 320, 1, 1},   {608, 0, 320, 1, 1},
    {480, -16, 320, 4, 1},  {352, -16, 192, 7, 2},  {224, -16, 64, 9, 1},   {96, 0, 192, 0, 0},
};

// Footprint of each piece type in its own frame: {left, top, right, bottom}
// with x across and the piece's own z (along travel) down.
struct ShapeRect {
  float left, top, right, bottom;
};
inline constexpr ShapeRect kStraightShape{-32, 0, 32, 128};
inline constexpr ShapeRect kLeftTurnShape{-128, 0, 32, 160};
inline constexpr ShapeRect kRightTurnShape{-32, 0, 128, 160};

// Wall lines in a piece's own (x, z): the first wall's points, then the
// second's. The wall tables lie on the walls (32 from the middle of a
// straight), the inner tables 5 inside them. A straight's first wall is its
// left one; a turn's first wall is its inside one. Right turns are the left
// turns mirrored in x.
struct WallPoint {
  float x, z;
};
inline constexpr WallPoint kStraightWall[4] = {{-32, 0}, {-32, 128}, {32, 0}, {32, 128}};
inline constexpr WallPoint kStraightInner[4] = {{-27, 0}, {-27, 128}, {27, 0}, {27, 128}};
inline constexpr WallPoint kLeftTurnWall[10] = {
    {-32, 0},          {-39.3076f, 38.087f},  {-60.1177f, 69.2317f}, {-91.2624f, 88.6924f}, {-128, 96},
    {32, 0},           {19.8207f, 61.2293f},  {-14.8629f, 114.4865f}, {-66.7707f, 146.4713f}, {-128, 160}};
inline constexpr WallPoint kLeftTurnInner[10] = {
    {-27, 0},          {-34.6515f, 39.9093f}, {-56.5822f, 72.7672f}, {-89.3119f, 93.2938f}, {-128, 101},
    {27, 0},           {15.1646f, 59.407f},   {-18.3984f, 110.951f}, {-68.7212f, 142.4099f}, {-128, 155}};
// The wall height above the track surface, for the meshes.
inline constexpr float kWallHeight = 8.0f;

// ------------------------------------------------------------------ sounds
// The event's own: the cheer at the line, explosions, the power pill (all
// three in the program directory), the skates, the announcer.
inline constexpr const char* kCheerSound = "sounds\\cheer.wav";
inline constexpr const char* kBombSound = "sounds\\bomb2.wav";
inline constexpr const char* kPillSound = "sounds\\powerpil.wav";
inline constexpr const char* kBladeSound = "rd\\blade2.wav";
inline constexpr const char* kAnnouncerSound = "extra\\events\\annrllrd.wav";
// The skaters' voices in the program directory: "sounds\" + prefix + suffix.
inline constexpr const char* kVoicePrefix[6] = {"Go", "Mo", "St", "Am", "Ka", "Al"};
inline constexpr const char* kVoiceSuffix[5] = {"_att1.wav", "_att2.wav", "_rea1.wav", "_rea2.wav", "_weap.wav"};
// The commentary in the data directory: "extra\rd\" + prefix + "line1.wav"
// when the skater crosses the line, "lead1.wav" and "lead2.wav" when he
// takes the lead.
inline constexpr const char* kCommentaryPrefix[6] = {"goo", "lar", "buf", "ama", "jac", "fre"};
inline constexpr const char* kCommentarySuffix[3] = {"line1.wav", "lead1.wav", "lead2.wav"};

}  // namespace derbyassets
