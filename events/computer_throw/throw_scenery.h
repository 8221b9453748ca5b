#pragma once
// The scenery of COMPUTER THROW: the beach and the ground, the computer's
// shadow, gulls, the pipe, drums, clouds, the judge, the distance signs, the
// props along the field and the title card. Each is a ThrowActor in the
// event's table, placed by its placement code (its mode) and updated and
// drawn every frame like the contestants. None of them changes anything the
// contestants or the computer read, and none draws random numbers, so a
// network game stays in step whatever the scenery does.
#include "events/computer_throw/throw_actor.h"

// Placement codes (the scenery's modes).
enum ScenePlace : int {
  kPlaceWorldProp = 8,  // stands on the field at a world position
  kPlaceSky = 9,        // gulls: fly across the picture
  kPlaceCloud = 10,     // drift slowly, far away
  kPlaceJudge = 11,     // waits off the picture on the right
  kPlaceShadow = 12,    // under the flying computer
  kPlaceTitle = 13,     // the title card
  kPlaceBackdrop = 14,  // sky and sea
  kPlaceGround = 15,    // the sand, scrolling with the world
  kPlaceDrum = 16,      // a drum the computer may knock over
  kPlaceSign = 17,      // a distance sign
};

// Slots of the two pictures that lie under everything (drawn first, the
// table being drawn from its last slot down).
inline constexpr int kKindBackdrop = 99;
inline constexpr int kKindGround = 98;

// Variables of the scenery.
enum SceneVar : int {
  kSvHomeX = 1,        // world position (props) or start column
  kSvHomeY = 3,
  kSvParallax = 5,     // percent of the world's movement it follows
  kSvFirstFrame = 25,  // its animation
  kSvFrames = 26,
  kSvFrameEvery = 27,  // frames of the game per picture frame
  kSvTick = 28,
  kSvSpeed = 29,
};

// Judge states.
enum JudgeState : int {
  kJudgeWaiting = 0,
  kJudgeMeasuring = 1,  // walks out and reads the tape (frame 79)
  kJudgeBoard = 2,      // holds up the board with the distance
  kJudgeFoul = 3,       // waves a foul
  kJudgeLeaving = 5,
};
// Where the judge stands to measure, and off the picture. He walks on the
// near side of the field, so that the board he holds up comes where the
// screen writes the distance (520, 210).
inline constexpr int kJudgeStandX = 512;
inline constexpr int kJudgeAwayX = 660;
inline constexpr int kJudgeY = 204;

// The world position (hundredths of a metre, one per pixel) shown at the
// picture's left edge, from the actor in play.
int ThrowCameraX(ThrowActor** table);

// Makes the scenery actor of a kind with its placement code and home; null
// when it cannot be made.
ThrowActor* NewSceneryActor(int kind, int placement, Sprite* sprite, int homeX, int homeY,
                            int firstFrame = 1, int frames = 1, int frameEvery = 1,
                            int parallax = 100);
// Puts a scenery actor at its start (PlaceActor for placement codes).
void PlaceScenery(ThrowActor* actor);
