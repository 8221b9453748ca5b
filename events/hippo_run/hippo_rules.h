#pragma once
// The rules of HIPPO RUN that need no screen: the course projection, moves
// and directions, who is behind whom, the runners' ranking and places, the
// finish, damage, the draw order and the camera. The actors and the screen
// call these, and the tests check them with tables of cases. The event draws
// no random numbers: every rule here is a plain function of its inputs.
#include <cstdint>

namespace hipporules {

// Fifteen race frames make a second; a runner who never finishes scores 600
// seconds, and the race stops at that time whoever is still on the course.
inline constexpr int kFramesPerSecond = 15;
inline constexpr int kNotFinishedSeconds = 600;
inline constexpr int kRaceFrameLimit = kNotFinishedSeconds * kFramesPerSecond;
// A finishing-line commentary holds the end of the race for this many frames
// (the same on every machine, whatever the sound device does).
inline constexpr int kLineCommentaryFrames = 45;
// The time line of the panel is shown up to this many seconds.
inline constexpr int kTimeShownSeconds = 1800;

// World limits of the runners and the hippos.
inline constexpr int kRunnerMinX = 0, kRunnerMaxX = 500, kRunnerMinY = 0, kRunnerMaxY = 2700;
inline constexpr int kHippoMinX = 50, kHippoMaxX = 450, kHippoMinY = 50, kHippoMaxY = 3000;

// The picture pixel of a world position.
struct Pixel {
  int x, y;
};
Pixel Project(int worldX, int worldY);

// Moves a world position by `distance` in direction 0..7 (0 x-h y+h, 1 y+,
// 2 x+h y+h, 3 x+, 4 x+h y-h, 5 y-, 6 x-h y-h, 7 x-; h = distance / 2
// truncated); any other direction leaves it.
void Move(int direction, int distance, int* x, int* y);
// Direction of the pressed keys: up 0, up+right 1, right 2, right+down 3,
// down 4, down+left 5, left 6, left+up 7; anything else (none, opposite
// keys, three keys) 8.
int DirectionFromKeys(bool left, bool right, bool up, bool down);
int Distance(int x1, int y1, int x2, int y2);
// The Move direction that leads from point 1 towards point 2 (the nearest
// of the eight, by the angle in whole degrees). Along the x axis it is 3 or
// 7, and so is a point straight beside another.
int DirectionTo(int x1, int y1, int x2, int y2);
// Whether point 2 lies behind point 1 for someone facing `direction`.
bool IsBehind(int direction, int x1, int y1, int x2, int y2);
// A computer runner's turn about from facing d: the ten directions he walks.
void TurnSequence(int d, int out[10]);
// A runner's top speed from his record's speed.
int TopSpeedOf(int speed);
// Energy lost to a punch or a thrown weapon: power x 5 / 50 x (100 -
// endurance) / 50, truncated, and never below 0 (a hit never heals, even
// an athlete whose endurance passed 100).
int HitDamage(int power, int endurance);

// Whether two rectangles (left, top, right, bottom; right and bottom outside)
// share a pixel.
struct Box {
  int left, top, right, bottom;
};
bool Overlap(const Box& a, const Box& b);
inline Box BoxAround(int x, int y, int half) { return {x - half, y - half, x + half, y + half}; }

// Rank of the four runners by their hippos' world y, the largest first;
// equal hippos keep player order. order[r] = runner at rank r.
void RankByHippo(const int hippoY[4], int order[4]);

// The draw order: the larger (world y - hotspot y) first, then the smaller
// (world x - hotspot x), then the lower slot.
struct DepthKey {
  int y, x, slot;
};
bool DrawsBefore(const DepthKey& a, const DepthKey& b);

// The finish: who took which place, when, and whether the race is over.
struct FinishState {
  int order[4] = {-1, -1, -1, -1};  // runner by place, -1 free
  int finished[4] = {0, 0, 0, 0};
  int finishFrame[4] = {0, 0, 0, 0};
  int lineHold = 0;                 // frames a finishing-line commentary still holds the end
};
struct FinishInput {
  int hippoY[4] = {0, 0, 0, 0};
  bool human[4] = {false, false, false, false};
  int raceFrames = 0;
};
struct FinishStep {
  bool over = false;
  int commentary = -1;  // runner whose finishing-line commentary starts now, -1 none
};
// One frame of the race's finish check. Hippos past the line take the free
// places in player order. The race is over once three places are taken, or
// (with people racing) once every person has finished, the computers still
// on the course then taking the free places with the current time; a
// commentary holds the end for its frames. Without people the computers race
// on. At the time limit the race is over whoever is still running.
FinishStep CheckFinish(FinishState* s, const FinishInput& in);
// Places still free at the end go to the runners not yet placed, by their
// hippos' rank.
void FillFreePlaces(FinishState* s, const int hippoY[4]);
// A runner's result: his finishing time in whole seconds, or 600.
int ResultSeconds(const FinishState& s, int runner);

// The y of a runner's face on the course map for his hippo's world y.
int MapFaceY(int hippoY);

// The camera: the picture point at the top left of a view of viewW x viewH
// that follows a picture pixel, kept inside the picture.
Pixel CameraFor(Pixel follow, int offsetX, int offsetY, int viewW, int viewH, int pictureW,
                int pictureH);

}  // namespace hipporules
