#pragma once
// What the player presses, by name: the keys and joystick buttons of the
// players' present controls. Texts that tell a player what to do (the help
// pages, the training picker's descriptions, the hints in an event) are
// written with placeholders and expanded only when they are shown, so a
// redefined key or a joystick shows under its own name:
//   {ACTION 1} {ACTION 2} {ACTION 3}  the fire actions
//   {UP} {DOWN} {LEFT} {RIGHT}        one direction
//   {DIRECTIONS}                      all four ("the arrow keys", "W/A/S/D",
//                                     "the joystick")
// An unknown placeholder is left as it stands.
#include <string>
#include <string_view>

// The names shown for a virtual key and for a joystick button (4..35), as
// the key-redefine screens show them: at most 13 characters.
std::string KeyNameText(int vk);
std::string ButtonNameText(int button);

enum class ControlAction { kUp, kDown, kLeft, kRight, kAction1, kAction2, kAction3, kDirections };

// The name of what player 0 or 1 presses for the action with his present
// control mode, key sets and joystick set-ups ("Ctrl", "Shift", "W/A/S/D",
// "Joystick button 2"). A key set has no third action: "NONE".
std::string ControlName(int player, ControlAction action);

// The text with every placeholder replaced by the names of `players`' (1:
// player 1 only, 2: the two on one keyboard, "Ctrl or Space") controls.
// When the text around the placeholders has no small letters the names are
// put in capitals too, so that a text in capitals stays in capitals.
std::string ExpandControlNames(std::string_view text, int players = 1);
