#pragma once
// Everything that stands or moves on the ROLLER DERBY track shares one table
// of 100 object slots: the two chase cameras (0, 1), the skaters of players
// 0..3 (2..5), the fifteen mines (6, 8 .. 34), thrown weapons (the first free
// slot from 6 on) and explosions (the first free slot from 35 on). Each race
// frame the event updates every object in slot order; each view places every
// object into the scene for the camera it looks through. An object that ends
// empties its own slot and is deleted at once; the caller returns straight
// after (see DerbyObject::Remove).
//
// The objects follow the track through derby_track.h and read the player
// records (g_players) and the exchanged input (g_playerStates) directly, as
// every machine of a game holds the same of both.
#include <cstdint>

#include "base/geometry.h"
#include "events/roller_derby/derby_track.h"
#include "graphics/palette.h"

class RMFrame;
class RMTexture;
class Sprite;
struct RMImage;

namespace derby {

inline constexpr int kObjectSlots = 100;
inline constexpr int kFirstSkaterSlot = 2;
inline constexpr int kFirstMineSlot = 6;      // mines in 6, 8 .. 34
inline constexpr int kFirstWeaponSlot = 6;    // weapons: the first free from here
inline constexpr int kFirstExplosionSlot = 35;

class DerbyObject;
class DerbySkater;

// What the objects share: the table, the track, the scene they show in and
// the event's pictures and sounds. Tests build one without a scene or any
// picture: then nothing is shown and nothing sounds.
struct DerbyWorld {
  DerbyObject* objects[kObjectSlots] = {};
  const TrackShape* track = &Track();
  RMFrame* scene = nullptr;
  RMFrame* mineOffMesh = nullptr;  // the mines' two looks (not in the scene)
  RMFrame* mineOnMesh = nullptr;
  Sprite* characterImages[4] = {};
  Sprite* weaponSprites[4] = {};
  Sprite* starsSprite = nullptr;
  Sprite* explosionSprite = nullptr;
  int32_t bombSound = -1;
  int32_t bladeSound = -1;
  int32_t pillSound = -1;
  // Players the computer drives, the same on every machine (the event sets
  // it from the records and from the players that left).
  bool computer[4] = {false, false, false, false};

  DerbySkater* Skater(int player) const;
  // Deletes every object (their destructors take their frames out of the scene).
  void Clear();
};

class DerbyObject {
 public:
  // Without a picture (cameras and mines): height 10.
  explicit DerbyObject(DerbyWorld* world);
  // With a picture: a decal of the given world size standing on the
  // object's position, drawn from an image of the given size and palette
  // (colour index 1 left out).
  DerbyObject(DerbyWorld* world, float decalWidth, float decalHeight, int imageWidth, int imageHeight,
              const PaletteEntry* palette);
  virtual ~DerbyObject();
  DerbyObject(const DerbyObject&) = delete;
  DerbyObject& operator=(const DerbyObject&) = delete;

  // One race frame; `objects` is the world's table.
  virtual void Update(DerbyObject** objects) { (void)objects; }
  // Puts the object into the scene as seen from objects[viewer] (a camera),
  // or takes it out when it lies too far from there.
  virtual void Place(DerbyObject** objects, int viewer) {
    (void)objects;
    (void)viewer;
  }
  // Plays a loaded sound at a volume that falls with the distance to the
  // nearer of the local players' skaters.
  void PlaySoundAt(int slot) const;

  void FindPiece();
  bool IsNearPiece(int piece) const { return derby::IsNearPiece(pieceIndex, piece); }
  float TrackHeight(int piece, Point2f p) const { return derby::TrackHeight(piece, p); }
  int CrossesInnerEdge(Point2f* from, Point2f* to, Point2f* hit) const;
  int CrossesOuterEdge(Point2f* from, Point2f* to, Point2f* hit) const;

  // Empties the object's slot and deletes it: the caller must return at once.
  void Remove(DerbyObject** objects);

  // Shows `shown` in the scene at the object's position, or takes it out.
  void ShowFrame(RMFrame* shown, bool inScene);
  // Draws a sprite frame into the image: with `fill` the whole image is
  // first made transparent; pixels of index 1 are left out; everything is
  // cut to the image, whatever size the frame has. Then the texture is told.
  void DrawPicture(Sprite* sprite, int frameNumber, int left, int top, bool fill);
  void PictureChanged();
  // Near the viewed piece: shown with picture `frameCounter` of the sprite.
  void PlaceAnimated(DerbyObject** objects, int viewer, Sprite* sprite);

  DerbyWorld* world;
  int32_t pieceIndex = 0;
  int32_t objectIndex = 0;
  int32_t laps = 0;
  int32_t starFrame = 0;
  float x = 0.0f, y = 0.0f, z = 0.0f;
  float width = 0.0f, height = 10.0f;
  float halfWidth = 0.0f, halfHeight = 0.0f;
  uint8_t energyTick = 0;
  uint8_t tired = 0;
  uint8_t starPicture = 0;
  uint8_t item = 0;
  float heading = kPi / 2;
  float acceleration = 0.0f;
  int32_t state = 0;
  int32_t frameCounter = 0;
  RMFrame* frame = nullptr;
  RMImage* image = nullptr;
  RMTexture* texture = nullptr;
  uint8_t boost = 1;
  uint8_t boostCountdown = 0;
};

// The chase camera of a view. It has no picture: the view's camera is set
// from it.
class DerbyCamera : public DerbyObject {
 public:
  explicit DerbyCamera(DerbyWorld* world) : DerbyObject(world) {}
  // Behind the skater in objects[follow], turning round to look at him from
  // the front in the 24 frames after he finished, pulled in to stay inside
  // the walls.
  void Place(DerbyObject** objects, int follow) override;
};

// A thrown weapon: flies straight at 14 a frame until it hits a skater, a
// wall or rising track.
class DerbyWeapon : public DerbyObject {
 public:
  DerbyWeapon(DerbyWorld* world, float decalWidth, float decalHeight, int imageWidth, int imageHeight,
              const PaletteEntry* palette, Sprite* sprite, int frames, int thrower);
  void Update(DerbyObject** objects) override;
  void Place(DerbyObject** objects, int viewer) override;

  Sprite* sprite;
  int32_t lifetime = 1;  // frames to live; 0 or below: no limit
  int32_t age = 0;
  int32_t frameCount;
  float flightSpeed = 14.0f;
  uint8_t thrower;
};

// What a mine leaves: its sprite's pictures, each shown once.
class DerbyExplosion : public DerbyObject {
 public:
  DerbyExplosion(DerbyWorld* world, float decalWidth, float decalHeight, int imageWidth, int imageHeight,
                 const PaletteEntry* palette, Sprite* sprite, int frames);
  void Update(DerbyObject** objects) override;
  void Place(DerbyObject** objects, int viewer) override;

  Sprite* sprite;
  int32_t lifetime = 1;
  int32_t age = 0;
  int32_t frameCount;
};

// A mine on the track, its light blinking (two frames off, two on); a
// skater that runs over it loses 25 energy and falls.
class DerbyMine : public DerbyObject {
 public:
  DerbyMine(DerbyWorld* world);
  ~DerbyMine() override;
  void Update(DerbyObject** objects) override;
  void Place(DerbyObject** objects, int viewer) override;
  bool Lit() const { return (frameCounter & 2) != 0; }

  int32_t lifetime = -1;
  int32_t age = 0;

 private:
  // The two looks, each copied from its mesh once.
  RMFrame* looks_[2] = {nullptr, nullptr};
};

// The fifteen mines at their places on the track, in slots 6, 8 .. 34.
void PlaceMines(DerbyWorld* world);

// Whether a skater moving from q to p passes over a mine at m: within 5 of
// it, or (when it moved and came within 15 along both axes) crossing a side
// or a diagonal of the 4 x 4 square round it.
bool RunsOverMine(Point2f m, Point2f p, Point2f q);

}  // namespace derby
