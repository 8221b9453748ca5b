#pragma once
// The mouse pointers the screens choose from: 30 slots, slot 0 the system
// arrow, and a show counter that starts at 1 (shown). Without a display
// (headless) the slots and the counter still work; nothing is drawn.
struct SDL_Cursor;

// Stock pointer ids (the system's standard shapes).
enum : int {
  kCursorArrow = 32512,
  kCursorIBeam = 32513,
  kCursorWait = 32514,
  kCursorCross = 32515,
  kCursorHand = 32649,
};

class CursorSet {
 public:
  static constexpr int kSlots = 30;

  CursorSet();  // slot 0 = the arrow, current 0, counter 1
  ~CursorSet();  // puts back the pointer that was current before the first Select
  CursorSet(const CursorSet&) = delete;
  CursorSet& operator=(const CursorSet&) = delete;

  // A pointer from a picture file (.bmp; the hot spot at its top left).
  // False when the slot or file is bad; the slot then keeps what it had.
  bool LoadFromFile(int slot, const char* path);
  bool LoadStock(int slot, int id);
  // Makes the slot's pointer current (a bad or empty slot changes nothing).
  void Select(int slot);
  void Show();  // counter up until it is at least 1
  void Hide();  // counter down until it is below 1
  bool IsShown() const { return counter_ > 0; }
  int Current() const { return current_; }
  int ShowCounter() const { return counter_; }

 private:
  void Apply() const;
  SDL_Cursor* slots_[kSlots] = {};
  SDL_Cursor* saved_ = nullptr;
  bool savedTaken_ = false;
  int current_ = 0;
  int counter_ = 1;
};

extern CursorSet* g_cursorSet;  // made when the window is, deleted with it
