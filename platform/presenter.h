#pragma once
// Presentation of the game's display. The drawing code hands over whole
// frames: 8-bit pixels with the 256-colour palette they are to be seen through,
// or 16-bit RGB555/RGB565 pixels. A presenter turns them into 0x00RRGGBB and
// shows them: in a real SDL2 window, or (headless) only in memory, where tests
// read the last frame back or write it out as a PNG file.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;

// One palette colour as the presenter needs it.
struct PresentColour {
  uint8_t r, g, b;
};

// Converts 8-bit pixels through a palette already packed as 0x00RRGGBB.
// Rows of `src` are `srcPitch` bytes apart, rows of `dst` `dstPitch` pixels.
void ConvertIndexedFrame(const uint8_t* src, int width, int height, int srcPitch,
                         const uint32_t palette[256], uint32_t* dst, int dstPitch);
// Converts 16-bit pixels (RGB565 when `rgb565`, else RGB555) to 0x00RRGGBB,
// widening each channel to 8 bits so that full intensity stays 255.
void ConvertRgb16Frame(const uint8_t* src, int width, int height, int srcPitch, bool rgb565,
                       uint32_t* dst, int dstPitch);
// Packs a 256-entry palette as 0x00RRGGBB.
void PackPalette(const PresentColour palette[256], uint32_t packed[256]);

class Presenter {
 public:
  virtual ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // Shows an 8-bit frame through `palette` (256 entries).
  void PresentIndexed(const uint8_t* pixels, int width, int height, int pitch,
                      const PresentColour palette[256]);
  // Shows a 16-bit frame; `pitch` in bytes.
  void PresentRgb16(const uint8_t* pixels, int width, int height, int pitch, bool rgb565);
  // Shows the last frame again (after the window was exposed or resized).
  virtual void Refresh() = 0;

  // The frame last presented, converted: FrameWidth() x FrameHeight() values
  // 0x00RRGGBB, row after row. Empty before the first frame.
  const std::vector<uint32_t>& LastFrame() const {
    EnsureConverted();
    return frame_;
  }
  int FrameWidth() const { return width_; }
  int FrameHeight() const { return height_; }
  // Colour of one pixel of the last frame (0 outside it).
  uint32_t PixelAt(int x, int y) const;
  // Number of frames presented so far.
  uint64_t FrameCount() const { return frameCount_; }
  // Writes the last frame as an 8-bit RGB PNG (written to a temporary name,
  // then renamed). False when there is no frame or the file cannot be written.
  bool WritePng(const std::string& path) const;

  // The SDL window, null for the memory presenter. The program's event loop
  // handles its events; SDL_GetWindowID gives its id.
  virtual SDL_Window* GetWindow() const { return nullptr; }
  uint32_t GetWindowId() const;
  virtual bool IsHeadless() const = 0;

 protected:
  Presenter() = default;
  // Called after a new frame was handed over; EnsureConverted() makes frame_
  // hold it. ChangedTop() .. ChangedBottom() - 1 are the rows that differ
  // from the frame handed over before (every row after a change of size,
  // depth or palette; none for the same frame again).
  virtual void Show() = 0;
  // Converts the frame last handed over into frame_, once, and only the rows
  // that changed since the last conversion. The conversion is deferred
  // because headless runs present every frame and look at few.
  void EnsureConverted() const;
  int ChangedTop() const { return changedTop_; }
  int ChangedBottom() const { return changedBottom_; }

  mutable std::vector<uint32_t> frame_;
  int width_ = 0;
  int height_ = 0;
  uint64_t frameCount_ = 0;

 private:
  enum class Pending { kNone, kIndexed, kRgb555, kRgb565 };
  void Resize(int width, int height);
  // Copies the new frame into raw_, noting the rows that changed.
  void TakeFrame(const uint8_t* pixels, int pitch, size_t rowBytes, Pending kind, bool allChanged);

  // The frame as it was handed over; rows pendingTop_ .. pendingBottom_ - 1
  // are not converted yet.
  mutable Pending pending_ = Pending::kNone;
  Pending kind_ = Pending::kNone;  // of the last frame handed over
  mutable int pendingTop_ = 0;
  mutable int pendingBottom_ = 0;
  int changedTop_ = 0;
  int changedBottom_ = 0;
  std::vector<uint8_t> raw_;
  uint32_t rawPalette_[256] = {};
};

// Keeps the frames in memory only.
class MemoryPresenter : public Presenter {
 public:
  MemoryPresenter() = default;
  void Refresh() override {}
  bool IsHeadless() const override { return true; }

 protected:
  void Show() override {}
};

// True when the program must run without a window: KELVANTHROP_HEADLESS=1 or
// SDL's dummy/offscreen video driver is selected.
bool IsHeadlessEnvironment();
// The real window titled "Kelvanthrop", showing the display scaled with its
// aspect kept and sharp pixels. Null (with the reason in *error) when SDL video
// or the window cannot be made.
std::unique_ptr<Presenter> CreateWindowPresenter(std::string* error = nullptr);
std::unique_ptr<MemoryPresenter> CreateMemoryPresenter();
// The window, or the memory presenter when IsHeadlessEnvironment().
std::unique_ptr<Presenter> CreatePresenter(std::string* error = nullptr);
