// 3D MAZE: the event's sounds (the monsters, shots, the exit's roar, the
// announcer) and the eleven sounds of each character. A character sound
// another event shares is written by the first event that makes it.
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/assetgen/audio.h"
#include "tools/assetgen/maze.h"
#include "tools/assetgen/writers.h"

namespace assetgen {

using namespace mazeassets;

namespace {

Samples Shaped(Samples s, double attack, double release) {
  Envelope(s, attack, release);
  return s;
}

// A short effect per kind of character sound, pitched by the character.
Samples CharacterSound(int kind, int c) {
  const double pitch = 1.0 + 0.12 * c;
  switch (kind) {
    case mazeassets::kSoundAttack1: return Shaped(Sweep(420 * pitch, 180 * pitch, 0.22, 2, 0.4), 0.01, 0.12);
    case mazeassets::kSoundAttack2: return Shaped(Sweep(520 * pitch, 140 * pitch, 0.3, 2, 0.45), 0.01, 0.15);
    case mazeassets::kSoundDown: return Shaped(Sweep(300 * pitch, 60, 0.6, 3, 0.5), 0.01, 0.3);
    case mazeassets::kSoundReaction1: return Shaped(Sweep(700 * pitch, 350 * pitch, 0.2, 3, 0.4), 0.005, 0.1);
    case mazeassets::kSoundReaction2: return Shaped(Sweep(800 * pitch, 300 * pitch, 0.28, 1, 0.3), 0.005, 0.12);
    case mazeassets::kSoundWin: return Speak("I win! Out of the maze!", c);
    case mazeassets::kSoundKnockOut: return Shaped(Sweep(900 * pitch, 120, 0.8, 0, 0.35), 0.01, 0.4);
    case mazeassets::kSoundKey: return Speak("I have the key!", c);
    case mazeassets::kSoundRun: return Shaped(Noise(0.15, 0.35, 40 + uint32_t(c), 0.7), 0.01, 0.08);
    case mazeassets::kSoundThrow: return Whoosh(0.3, 50 + uint32_t(c), 0.5);
    default: return Shaped(Sweep(1500 * pitch, 900 * pitch, 0.18, 1, 0.25), 0.002, 0.1);  // weapon
  }
}

}  // namespace

void GenerateMazeSounds(Output& out) {
  auto wav = [&out](const char* path, const Samples& s) {
    const Root root = SoundInProgramDir(path) ? Root::Program : Root::Data;
    if (!out.Has(root, path)) out.Write(root, path, EncodeWav(ToPcm(s), kRate, 16));
  };
  {
    Samples a = Tone(660, 0.2, 1, 0.2);
    Append(a, Speak("The three D maze! Find the key man and get out!", 6));
    wav(mazeassets::kAnnounceSound, a);
  }
  {
    Samples roar = Noise(1.4, 0.6, 71, 0.85);
    MixInto(roar, Sweep(140, 70, 1.4, 2, 0.35), 0);
    wav(mazeassets::kRoarSound, Shaped(roar, 0.08, 0.6));
  }
  wav(mazeassets::kRegenSound, Shaped(Sweep(120, 600, 0.6, 3, 0.4), 0.05, 0.2));
  {
    Samples boom = Noise(0.7, 0.7, 73, 0.5);
    MixInto(boom, Sweep(200, 40, 0.7, 0, 0.5), 0);
    wav(mazeassets::kDestroySound, Shaped(boom, 0.005, 0.5));
  }
  wav(mazeassets::kShootSound, Shaped(Sweep(900, 300, 0.25, 1, 0.3), 0.005, 0.15));
  {
    Samples hit = Noise(0.3, 0.6, 75, 0.3);
    MixInto(hit, Sweep(240, 90, 0.3, 0, 0.5), 0);
    wav(mazeassets::kRockHitSound, Shaped(hit, 0.002, 0.2));
  }
  wav(mazeassets::kPillSound, Shaped(Sweep(300, 1200, 0.35, 1, 0.3), 0.01, 0.1));
  for (int c = 0; c < mazeassets::kCharacters; ++c)
    for (int k = 0; k < kCharacterSounds; ++k) wav(mazeassets::kCharacterSound[c][k], CharacterSound(k, c));
}

}  // namespace assetgen
