#include "frontend/main_menu_screen.h"

#include <algorithm>
#include <cstring>

#include "base/player_records.h"
#include "base/registry.h"
#include "base/stopwatch.h"
#include "base/string.h"
#include "frontend/screen_kit.h"
#include "graphics/display.h"
#include "graphics/text_fit.h"
#include "input/input.h"
#include "input/joystick.h"
#include "net/net_session.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "screen/game_screen_services.h"
#include "shell/screen_factory.h"
#include "sound/sound.h"

namespace {

int g_lastTrainingChoice = 0;
constexpr uint32_t kConfirmFrames = 8;

const char* Text(unsigned id) {
  const char* t = GetStringText(id);
  return t ? t : "";
}

const char* ProviderName(int i) { return g_netSession ? g_netSession->GetProviderName(i) : nullptr; }
const char* SessionName(int i) { return g_netSession ? g_netSession->GetSessionName(i) : nullptr; }

// The host address the session search asks besides the broadcast.
std::string HostAddress() {
  char buf[128] = {};
  if (!RegReadString(kRegConfig, "NETHOST", buf, sizeof buf)) return "";
  return buf;
}

// A key pressed since the wait for a key began, also one already let go: a
// tap shorter than a frame is a press like any other.
bool KeyPressed(int vk) { return GetKeyPressCount(vk) > 0; }

// A new press of a mouse button (index 1 left, 2 right), taken once.
bool MouseClicked(int button) {
  if (GetKeyPressCount(button) == 0) return false;
  ClearKey(button);
  return true;
}

// An event that cannot be played yet: every other pixel of its picture
// in black, a veil that lets it still be seen.
void ShadeUnavailable(DDSurface* back, int x, int y, int w, int h) {
  uint8_t* bits = nullptr;
  int pitch = 0;
  if (!back || back->GetPixelFormat() != kFormatIndexed8 || back->Lock(&bits, &pitch) != kDDOk) return;
  for (int j = std::max(0, y); j < std::min(back->GetHeight(), y + h); ++j) {
    for (int i = std::max(0, x); i < std::min(back->GetWidth(), x + w); ++i) {
      if (((i + j) & 1) == 0) bits[j * pitch + i] = 0;
    }
  }
  back->Unlock();
}

}  // namespace

int LastMenuTrainingChoice() { return g_lastTrainingChoice; }

MainMenuScreen::MainMenuScreen() : GameScreen(0) {
  if (g_netSession) g_netSession->Close();
  for (PlayerRecord& p : g_players) {
    p.country = -1;
    p.human = 0;
  }
  FlipToGDISurface();
  if (DDSurface* back = ShellBackSurface()) {
    back->FillRect(0, 0, 640, 480, 0);
    back->FillRect(0, 0, 640, 480, 0);
  }
  tile_ = LoadProgramPicture("Menu\\tile.bmp");
  logo_ = LoadProgramPicture("Menu\\logomain.bmp");
  font_ = LoadProgramFont("Menu\\font8.mbm");
  fontHighlight_ = LoadProgramFont("Menu\\font8_2.mbm");
  fontSmall_ = LoadProgramFont("Menu\\font8s.mbm");
  cursor_ = LoadProgramSprite("Menu\\cursor.mbm");
  events_ = LoadProgramSprite("Menu\\Events.mbm");
  DDSurface* withPalette = logo_ ? logo_.get() : tile_.get();
  if (withPalette && withPalette->GetPalette()) {
    palette_ = withPalette->GetPalette();
    palette_->AddRef();
  }
  timer_ = StartScreenTimer();
  background_ = MakeTiledBackground(tile_.get());
  Draw();
  ShellFlip();
  if (g_soundManager && g_musicSound >= 0 && !g_soundManager->IsPlaying(g_musicSound)) {
    std::string music = ShellProgramPath("sounds\\menu\\MAIN1.wav");
    g_soundManager->LoadWaveFile(g_musicSound, music.c_str(), 1, 1, 0);
    g_soundManager->SetVolume(g_musicSound, -1000);
    g_soundManager->Play(g_musicSound, 0, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 1);
  }
  ShowPalette(palette_, 16);
  ResetInput();
  SetJoysticksEnabled(0);
}

MainMenuScreen::~MainMenuScreen() {
  background_.reset();
  ReleaseScreenTimer(timer_);
  if (palette_) palette_->Release();
  if (result_ == 1) g_lastTrainingChoice = trainingEvent_;
}

void MainMenuScreen::OnDeactivate() {
  musicOn_ = 0;
  StopSoundSlot(g_musicSound);
}

void MainMenuScreen::OnActivate() {
  musicOn_ = 1;
  PlaySoundSlot(g_musicSound, true);
}

int MainMenuScreen::Run() {
  if (!PeriodElapsed(timer_, 50)) return 0;
  PollInput();
  if (g_soundManager) {
    g_soundManager->FeedAllStreams();
    int v = GetSoundVolume(g_musicSound);
    if (v < 0) SetSoundVolume(g_musicSound, v + 100 > 0 ? 0 : v + 100);
  }
  ++frame_;
  if (tile_) {
    scrollX_ = (scrollX_ + 1) % tile_->GetWidth();
    scrollY_ = (scrollY_ + 1) % tile_->GetHeight();
  }

  if (pending_ != 0) BuildPending();
  if (confirming_) {
    if (++confirmFrames_ >= kConfirmFrames) {
      confirming_ = false;
      Act();
    }
  } else if (currentMenu_ == kMenuTraining) {
    HandlePicker();
  } else if (awaitingKey_) {
    AwaitKey();
  } else if (awaitingButton_) {
    AwaitButton();
  } else if (editingAddress_) {
    EditAddress();
  } else {
    HandleInput();
  }
  Draw();
  ShellFlip();
  if (result_ != 0 && !confirming_) return result_;
  return 0;
}

void MainMenuScreen::BuildPending() {
  int p = pending_;
  pending_ = 0;
  if (p == 70 || p == 71) {
    int player = p - 70;
    rows_.Set(player + 1, ControlModeText(player + 1, g_controlModes[player]).c_str(), 6, 1);
    return;
  }
  if (p == kMenuTraining) {
    currentMenu_ = kMenuTraining;
    pickerEvent_ = 1;
    if (events_) ShowPalette(events_->GetFramePalette(1), 16);
    return;
  }
  if (currentMenu_ == kMenuTraining) ShowPalette(palette_, 16);
  MenuSources sources;
  sources.providerName = ProviderName;
  sources.sessionName = SessionName;
  sources.hostAddress = HostAddress();
  if (p == kMenuSessions && g_netSession) g_netSession->EnumSessions(0, 0);
  selected_ = BuildMenu(p, &rows_, sources);
  if (!rows_.items[selected_].selectable) selected_ = NextMenuRow(rows_, selected_, 1);
  currentMenu_ = p;
  if (p == kMenuKeys) ShowKeyRows();
  if (p == kMenuButtons) ShowButtonRows();
}

void MainMenuScreen::ShowKeyRows() {
  int set = editedSet_ - 1;
  for (int i = 0; i < kKeySetSize; ++i) rows_.SetValue(i, KeyNameText(g_keySets[set][i]).c_str(), 0);
}

void MainMenuScreen::ShowButtonRows() {
  const int32_t* config = editedSet_ == 1 ? g_joystickConfig1 : g_joystickConfig2;
  for (int i = 0; i < kJoyConfigSize; ++i) rows_.SetValue(i, ButtonNameText(config[i]).c_str(), 0);
}

void MainMenuScreen::HandleInput() {
  bool backAllowed = currentMenu_ != kMenuMain && currentMenu_ != kMenuKeys && currentMenu_ != kMenuButtons;
  if (backAllowed && (IsFire2Active(0) || IsEscapeActive(0) || MouseClicked(kVkRButton))) {
    Back();
    return;
  }
  int before = selected_;
  // One row per press: two quick taps within a frame move two rows.
  for (int n = DownPresses(0); n > 0; --n) selected_ = NextMenuRow(rows_, selected_, 1);
  for (int n = UpPresses(0); n > 0; --n) selected_ = NextMenuRow(rows_, selected_, -1);
  bool moved = g_mouseX != lastMouseX_ || g_mouseY != lastMouseY_;
  lastMouseX_ = g_mouseX;
  lastMouseY_ = g_mouseY;
  if (moved) {
    int row = MenuRowAt(rows_, g_mouseX, g_mouseY);
    if (row >= 0) {
      selected_ = row;
      pointerFrame_ = 2;
    } else {
      pointerFrame_ = 1;
    }
  }
  if (selected_ != before) PlayShared(g_naviSound);
  bool click = pointerFrame_ == 2 && MouseClicked(kVkLButton);
  if (click) pointerFrame_ = 3;
  if (IsFire1Active(0) || IsFire3Active(0) || IsEnterActive(0) || click) Confirm();
}

void MainMenuScreen::Confirm() {
  PlayShared(g_selectSound);
  ResetInput();
  SetJoysticksEnabled(0);
  confirming_ = true;
  confirmFrames_ = 0;
}

void MainMenuScreen::Back() {
  PlayShared(g_selectSound);
  ResetInput();
  SetJoysticksEnabled(0);
  switch (currentMenu_) {
    case kMenuPlayerCount:
      pending_ = kMenuMain;
      break;
    case kMenuConnections:
      pending_ = kMenuPlayerCount;
      break;
    case kMenuCreateConnect:
      pending_ = kMenuConnections;
      if (g_netSession) g_netSession->Close();
      break;
    case kMenuSessions:
      pending_ = kMenuPlayerCount;
      break;
    case kMenuControls:
      pending_ = kMenuMain;
      break;
    case kMenuRedefine:
      pending_ = kMenuControls;
      break;
    default:
      break;
  }
}

// The confirmed row's action, once the row has flashed.
void MainMenuScreen::Act() {
  const int row = selected_;
  const MenuItem& item = rows_.items[row];
  switch (currentMenu_) {
    case kMenuMain:
      switch (row) {
        case 1:
          trainingEvent_ = 0;
          pending_ = kMenuPlayerCount;
          break;
        case 2:
          pending_ = kMenuTraining;
          break;
        case 3:
          pending_ = kMenuControls;
          break;
        case 4:
          result_ = 3;
          break;
        case 5:
          result_ = 2;
          break;
        case 6:
          result_ = -1;
          break;
      }
      break;
    case kMenuPlayerCount:
      if (row == 1) {
        g_playMode = 0;
        result_ = 1;
      } else if (row == 2) {
        pending_ = kMenuConnections;
      } else if (row == 3) {
        pending_ = kMenuMain;
      }
      break;
    case kMenuConnections:
      if (item.index >= 0) {
        if (g_netSession && g_netSession->SelectProvider(1, item.index) == kNetOk) {
          g_playMode = 2;
          pending_ = kMenuCreateConnect;
        } else {
          ShowMessageBox(Text(10538), Text(10500), kMbOk);
        }
      } else if (item.index == -1) {
        g_playMode = 1;
        result_ = 1;
      } else {
        pending_ = kMenuPlayerCount;
      }
      break;
    case kMenuCreateConnect:
      if (row == 1) {
        result_ = 1;
      } else if (row == 2) {
        pending_ = kMenuSessions;
      } else if (row == 3) {
        pending_ = kMenuConnections;
        if (g_netSession) g_netSession->Close();
      }
      break;
    case kMenuSessions:
      if (item.index == kAddressRowIndex) {
        // The player types the address; Enter keeps it, Escape not.
        editingAddress_ = true;
        address_ = HostAddress();
        ClearTypedChars();
      } else if (item.index >= 0) {
        if (g_netSession && g_netSession->JoinSession(item.index) == kNetOk) {
          result_ = 1;
        } else {
          ShowMessageBox(Text(static_cast<unsigned>(NetErrorTextId(kNetErrLost))), Text(1010),
                         kMbOk);
        }
      } else {
        pending_ = kMenuCreateConnect;
      }
      break;
    case kMenuControls:
      if (row == 1 || row == 2) {
        CycleControlMode(row - 1);
        pending_ = 70 + row - 1;
      } else if (row == 3) {
        pending_ = kMenuRedefine;
      } else if (row == 4) {
        pending_ = kMenuMain;
      }
      break;
    case kMenuRedefine:
      if (row == 1 || row == 2) {
        editedSet_ = row;
        pending_ = kMenuKeys;
      } else if (row == 3 || row == 4) {
        int n = row - 2;
        Joystick* joy = GetJoystick(n);
        if (!joy || !joy->IsConnected()) {
          ShowMessageBox(Text(n == 1 ? 1016 : 1017), Text(1010), kMbIconExclamation);
        } else if (joy->IsConfigurable() < 7) {
          ShowMessageBox(Text(n == 1 ? 1018 : 1019), Text(1010), kMbIconExclamation);
        } else {
          editedSet_ = n;
          joy->ClearButtonPressCounts();
          pending_ = kMenuButtons;
        }
      } else if (row == 5) {
        pending_ = kMenuControls;
      }
      break;
    case kMenuKeys:
      if (row >= 0 && row < kKeySetSize) {
        awaitingKey_ = true;
        reservedWasDown_ = true;  // the confirming key is no reason to warn
        ClearKeyPressCounts();
      } else {
        pending_ = kMenuRedefine;
      }
      break;
    case kMenuButtons:
      if (row >= 0 && row < kJoyConfigSize) {
        awaitingButton_ = true;
        if (Joystick* joy = GetJoystick(editedSet_)) joy->ClearButtonPressCounts();
      } else {
        pending_ = kMenuRedefine;
      }
      break;
    case kMenuTraining:
      trainingEvent_ = pickerEvent_;
      g_playMode = 0;
      result_ = 1;
      break;
    default:
      break;
  }
}

void MainMenuScreen::AwaitKey() {
  bool reserved = false;
  int vk = FirstAssignableKeyDown(KeyPressed, &reserved);
  if (reserved && !reservedWasDown_) PlayShared(g_warningSound);
  reservedWasDown_ = reserved;
  if (vk < 0) {
    // This frame's presses are answered (a reserved key's warning): the
    // next press of the same key warns again.
    ClearKeyPressCounts();
    rows_.SetValue(selected_, Text(10184 + frame_ % 3), 0);
    return;
  }
  ClearKey(vk);
  int set = editedSet_ - 1;
  KeyAssign r = AssignKey(g_keySets, set, selected_, vk);
  if (r == KeyAssign::kOtherSet || r == KeyAssign::kReserved) {
    PlayShared(g_warningSound);
    return;
  }
  ShowKeyRows();
  BindDefaultActions();
  awaitingKey_ = false;
  PlayShared(g_naviSound);
  selected_ = (selected_ + 1) % kKeySetSize;
  ResetInput();
}

void MainMenuScreen::EditAddress() {
  for (char c = ReadTypedChar(); c != 0; c = ReadTypedChar()) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u == 8) {
      if (!address_.empty()) address_.pop_back();
    } else if (u == 13 || u == 27) {
      FinishAddress(u == 13);
      return;
    } else if (IsAddressCharacter(c) && address_.size() < static_cast<size_t>(netwire::kAddressField + 5)) {
      address_.push_back(c);
    }
  }
  // The address as typed so far, the cursor blinking after it.
  std::string text = Text(10590);
  text += " " + address_ + ((frame_ / 4) % 2 ? "_" : " ");
  rows_.Set(selected_, text.c_str(), rows_.items[selected_].labelFlags, 1);
}

void MainMenuScreen::FinishAddress(bool keep) {
  if (keep && !address_.empty() && !ParseHostAddress(address_, nullptr, nullptr)) {
    PlayShared(g_warningSound);  // not an address: the player types on
    return;
  }
  editingAddress_ = false;
  PlayShared(g_selectSound);
  // The Enter or Escape that ended the typing is no menu key.
  ResetInput();
  SetJoysticksEnabled(0);
  if (keep) RegWriteString(kRegConfig, "NETHOST", address_.c_str());
  // The list again, with what the address answers.
  pending_ = kMenuSessions;
}

void MainMenuScreen::AwaitButton() {
  Joystick* joy = GetJoystick(editedSet_);
  rows_.SetValue(selected_, Text(10187), 0);
  if (!joy) {
    awaitingButton_ = false;
    ShowButtonRows();
    return;
  }
  for (int b = Joystick::kFirstRealButton; b < Joystick::kButtonCount; ++b) {
    if (joy->GetButtonPressCount(b) > 0) {
      AssignButton(editedSet_ == 1 ? g_joystickConfig1 : g_joystickConfig2, selected_, b);
      ShowButtonRows();
      BindDefaultActions();
      awaitingButton_ = false;
      PlayShared(g_naviSound);
      selected_ = (selected_ + 1) % kJoyConfigSize;
      ResetInput();
      return;
    }
  }
}

void MainMenuScreen::HandlePicker() {
  if (IsFire2Active(0) || IsEscapeActive(0) || MouseClicked(kVkRButton)) {
    PlayShared(g_selectSound);
    ResetInput();
    pending_ = kMenuMain;
    return;
  }
  int before = pickerEvent_;
  for (int n = RightPresses(0); n > 0; --n) pickerEvent_ = TrainingPickerMove(pickerEvent_, PickerMove::kRight);
  for (int n = LeftPresses(0); n > 0; --n) pickerEvent_ = TrainingPickerMove(pickerEvent_, PickerMove::kLeft);
  for (int n = UpPresses(0) + DownPresses(0); n > 0; --n)
    pickerEvent_ = TrainingPickerMove(pickerEvent_, PickerMove::kUpDown);
  bool moved = g_mouseX != lastMouseX_ || g_mouseY != lastMouseY_;
  lastMouseX_ = g_mouseX;
  lastMouseY_ = g_mouseY;
  int cellW = 124, cellH = 116;
  if (events_ && events_->GetFrameInfo(2)) {
    const BitmapInfoHeader* info = events_->GetFrameInfo(2);
    cellW = info->width / 5;
    cellH = (info->height < 0 ? -info->height : info->height) / 2;
  }
  int under = TrainingPickerCellAt(g_mouseX, g_mouseY, cellW, cellH);
  if (moved && under > 0) pickerEvent_ = under;
  if (pickerEvent_ != before) {
    PlayShared(g_naviSound);
    pointerFrame_ = 1;
  }
  bool click = under > 0 && MouseClicked(kVkLButton);
  if (IsFire1Active(0) || IsFire3Active(0) || IsEnterActive(0) || click) {
    // An event that has no screen yet cannot be trained.
    if (!IsEventAvailable(pickerEvent_)) {
      PlayShared(g_warningSound);
      return;
    }
    Confirm();
  }
}

void MainMenuScreen::Draw() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (background_) {
    background_->Run(scrollX_, scrollY_);
  } else {
    back->FillRect(0, 0, 640, 480, 0);
  }
  if (currentMenu_ == kMenuTraining) {
    DrawPicker();
  } else {
    if (logo_) {
      const int lift = MenuLogoLift(rows_);
      back->Blt(0, 0, 640, kMenuLogoHeight - lift, logo_.get(), 0, lift);
    }
    DrawRows();
  }
  if (cursor_) cursor_->DrawFrame(pointerFrame_, back, g_mouseX, g_mouseY);
}

void MainMenuScreen::DrawRows() {
  DDSurface* back = ShellBackSurface();
  const int blockLeft = MenuBlockLeft(rows_, FontMeasure(font_.get()));
  for (int i = 0; i < kMenuRows; ++i) {
    const MenuItem& it = rows_.items[i];
    if (it.label[0] == 0) continue;
    bool highlighted = i == selected_ && it.selectable;
    if (highlighted && confirming_) highlighted = (confirmFrames_ & 1) != 0;
    BitmapFont* font = highlighted && fontHighlight_ ? fontHighlight_.get() : font_.get();
    DrawTextInBox(font, back, MenuLabelBox(it, i, blockLeft), it.label, it.labelFlags == 6 ? kFontAlignCentre : 0,
                  false);
    if (it.valueOn) DrawTextInBox(font, back, MenuValueBox(i), it.value, 0, false);
  }
}

void MainMenuScreen::DrawPicker() {
  DDSurface* back = ShellBackSurface();
  if (!events_) return;
  events_->DrawFrame(1, back, 5, 10);
  events_->DrawFrame(3, back, 50, 270);
  int cellW = 124, cellH = 116;
  if (const BitmapInfoHeader* info = events_->GetFrameInfo(2)) {
    cellW = info->width / 5;
    cellH = (info->height < 0 ? -info->height : info->height) / 2;
  }
  for (int e = 1; e <= 10; ++e) {
    int column = (e - 1) % 5, row = (e - 1) / 5;
    int frame = e == pickerEvent_ ? 16 * (e - 1) + 4 + static_cast<int>(frame_ % 16)
                                  : 16 * e + 3;
    if (confirming_ && e == pickerEvent_ && (confirmFrames_ & 1) == 0) continue;  // the flash
    int x = 16 + column * cellW, y = 21 + row * cellH;
    events_->DrawFrame(frame, back, x, y);
    if (!IsEventAvailable(e)) ShadeUnavailable(back, x, y, 100, 100);
  }
  int column = (pickerEvent_ - 1) % 5, row = (pickerEvent_ - 1) / 5;
  // The highlight frame covers the whole grid; only its cell is cut out.
  if (DDSurface* hl = events_->GetFrameSurface(2)) {
    hl->SetColorKey(kColorKeySrcBlt, 1, 1);
    back->BltKeyed(5 + column * cellW, 10 + row * cellH, cellW, cellH, hl, 0, 0);
  }
  // The title, then the description as one paragraph with the player's own
  // keys named, wrapped (or made smaller) to stay inside the text panel.
  const unsigned first = 10300 + 4 * (static_cast<unsigned>(pickerEvent_) - 1);
  DrawTextInBox(fontHighlight_ ? fontHighlight_.get() : font_.get(), back, kPickerTitleBox,
                Text(first), kFontAlignCentre, false);
  DrawTextInBox(font_.get(), back, kPickerDescriptionBox, TrainingDescription(pickerEvent_),
                kFontAlignCentre, true, kMenuTextRowStep);
}

