#include "frontend/screen_kit.h"

#include "base/debug.h"
#include "base/paths.h"
#include "base/stopwatch.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/palette.h"
#include "screen/game_screen_services.h"
#include "sound/sound.h"

std::unique_ptr<DDSurface> LoadProgramPicture(const char* relative) {
  std::string path = ShellProgramPath(relative);
  if (!FileExists(path)) {
    DebugPrintf("Missing picture %s.\n", path.c_str());
    return nullptr;
  }
  auto s = std::make_unique<DDSurface>(path.c_str(), 0, 0);
  if (!s->HasSurface()) {
    DebugPrintf("Cannot read the picture %s.\n", path.c_str());
    return nullptr;
  }
  return s;
}

std::unique_ptr<Sprite> LoadProgramSprite(const char* relative) {
  return std::unique_ptr<Sprite>(LoadSpriteOrNull(ShellProgramPath(relative).c_str(), kSpriteLoadAll));
}

std::unique_ptr<BitmapFont> LoadProgramFont(const char* relative) {
  return LoadFontFile(ShellProgramPath(relative));
}

int LoadSoundSlot(const std::string& fullPath, int streaming) {
  if (!g_soundManager) return -1;
  int slot = g_soundManager->AllocSlot();
  if (slot < 0) return -1;
  if (!g_soundManager->LoadWaveFile(slot, fullPath.c_str(), streaming, 1, 0)) {
    // The loader said why; a screen must not hold (and wait on) a slot
    // with no sound in it.
    DebugPrintf("Cannot load the sound %s.\n", fullPath.c_str());
    g_soundManager->FreeSlot(slot);
    return -1;
  }
  return slot;
}

void FreeSoundSlot(int* slot) {
  if (g_soundManager && *slot >= 0) g_soundManager->FreeSlot(*slot);
  *slot = -1;
}

void PlaySoundSlot(int slot, bool loop) {
  if (g_soundManager && slot >= 0 && g_soundManager->IsLoaded(slot)) {
    g_soundManager->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, loop ? 1 : 0);
  }
}

void StopSoundSlot(int slot) {
  if (g_soundManager && slot >= 0) g_soundManager->Stop(slot);
}

bool IsSoundSlotPlaying(int slot) {
  return g_soundManager && slot >= 0 && g_soundManager->IsPlaying(slot);
}

bool IsSoundSlotLoaded(int slot) { return g_soundManager && slot >= 0 && g_soundManager->IsLoaded(slot); }

int GetSoundVolume(int slot) {
  return g_soundManager && slot >= 0 ? g_soundManager->GetVolume(slot) : 0;
}

void SetSoundVolume(int slot, int volume) {
  if (g_soundManager && slot >= 0) g_soundManager->SetVolume(slot, volume);
}

void PlayShared(int slot) {
  if (g_soundManager && slot >= 0) {
    g_soundManager->Play(slot, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
  }
}

void ShowPalette(DDPalette* palette, int steps) {
  if (!palette || !IsDirectDrawReady()) return;
  FadePalette(palette, steps, 1);
}

void FadeOutPalette(int steps) {
  if (!IsDirectDrawReady() || !g_primaryDDSurface) return;
  DDPalette* p = g_primaryDDSurface->GetPalette();
  if (p) FadePalette(p, steps, 0);
}

void DrawFontText(BitmapFont* font, DDSurface* target, int x, int y, const char* text,
                  uint32_t flags) {
  if (!font || !target || !text) return;
  font->SetFlags(flags);
  font->DrawText(target, x, y, text);
}

std::unique_ptr<MaskedBlend> MakeTiledBackground(DDSurface* tile) {
  if (!tile || !ShellBackSurface()) return nullptr;
  ClipRect all{0, 0, 640, 480};
  return std::make_unique<MaskedBlend>(ShellBackSurface(), &all, tile, 0);
}

int StartScreenTimer() {
  if (!g_timers) return -1;
  int timer = g_timers->Allocate();
  g_timers->Restart(timer);
  return timer;
}

void ReleaseScreenTimer(int timer) {
  if (g_timers && timer >= 0) g_timers->Release(timer);
}
