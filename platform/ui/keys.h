// Virtual-key codes as the components compare them.
#pragma once

#include <cstdint>

#include "platform/classes/ui_types.h"

namespace ui {

constexpr std::uint16_t VK_LBUTTON = 0x01;
constexpr std::uint16_t VK_RBUTTON = 0x02;
constexpr std::uint16_t VK_CANCEL = 0x03;
constexpr std::uint16_t VK_MBUTTON = 0x04;
constexpr std::uint16_t VK_BACK = 0x08;
constexpr std::uint16_t VK_TAB = 0x09;
constexpr std::uint16_t VK_CLEAR = 0x0C;
constexpr std::uint16_t VK_RETURN = 0x0D;
constexpr std::uint16_t VK_SHIFT = 0x10;
constexpr std::uint16_t VK_CONTROL = 0x11;
constexpr std::uint16_t VK_MENU = 0x12;
constexpr std::uint16_t VK_PAUSE = 0x13;
constexpr std::uint16_t VK_CAPITAL = 0x14;
constexpr std::uint16_t VK_ESCAPE = 0x1B;
constexpr std::uint16_t VK_SPACE = 0x20;
constexpr std::uint16_t VK_PRIOR = 0x21;
constexpr std::uint16_t VK_NEXT = 0x22;
constexpr std::uint16_t VK_END = 0x23;
constexpr std::uint16_t VK_HOME = 0x24;
constexpr std::uint16_t VK_LEFT = 0x25;
constexpr std::uint16_t VK_UP = 0x26;
constexpr std::uint16_t VK_RIGHT = 0x27;
constexpr std::uint16_t VK_DOWN = 0x28;
constexpr std::uint16_t VK_SNAPSHOT = 0x2C;
constexpr std::uint16_t VK_INSERT = 0x2D;
constexpr std::uint16_t VK_DELETE = 0x2E;
constexpr std::uint16_t VK_HELP = 0x2F;
// '0'..'9' are 0x30..0x39, 'A'..'Z' are 0x41..0x5A.
constexpr std::uint16_t VK_LWIN = 0x5B;
constexpr std::uint16_t VK_RWIN = 0x5C;
constexpr std::uint16_t VK_APPS = 0x5D;
constexpr std::uint16_t VK_NUMPAD0 = 0x60;
constexpr std::uint16_t VK_NUMPAD9 = 0x69;
constexpr std::uint16_t VK_MULTIPLY = 0x6A;
constexpr std::uint16_t VK_ADD = 0x6B;
constexpr std::uint16_t VK_SEPARATOR = 0x6C;
constexpr std::uint16_t VK_SUBTRACT = 0x6D;
constexpr std::uint16_t VK_DECIMAL = 0x6E;
constexpr std::uint16_t VK_DIVIDE = 0x6F;
constexpr std::uint16_t VK_F1 = 0x70;
constexpr std::uint16_t VK_F2 = 0x71;
constexpr std::uint16_t VK_F3 = 0x72;
constexpr std::uint16_t VK_F4 = 0x73;
constexpr std::uint16_t VK_F5 = 0x74;
constexpr std::uint16_t VK_F12 = 0x7B;
constexpr std::uint16_t VK_F24 = 0x87;
constexpr std::uint16_t VK_NUMLOCK = 0x90;
constexpr std::uint16_t VK_SCROLL = 0x91;
constexpr std::uint16_t VK_OEM_1 = 0xBA;       // ;:
constexpr std::uint16_t VK_OEM_PLUS = 0xBB;    // =+
constexpr std::uint16_t VK_OEM_COMMA = 0xBC;   // ,<
constexpr std::uint16_t VK_OEM_MINUS = 0xBD;   // -_
constexpr std::uint16_t VK_OEM_PERIOD = 0xBE;  // .>
constexpr std::uint16_t VK_OEM_2 = 0xBF;       // /?
constexpr std::uint16_t VK_OEM_3 = 0xC0;       // `~
constexpr std::uint16_t VK_OEM_4 = 0xDB;       // [{
constexpr std::uint16_t VK_OEM_5 = 0xDC;       // \|
constexpr std::uint16_t VK_OEM_6 = 0xDD;       // ]}
constexpr std::uint16_t VK_OEM_7 = 0xDE;       // '"

// Shortcut modifiers.
constexpr std::uint16_t scShift = 0x2000;
constexpr std::uint16_t scCtrl = 0x4000;
constexpr std::uint16_t scAlt = 0x8000;

// Whether a key is down now, as the keyboard state of the last input event
// says (only Shift, Ctrl and Alt are tracked). High bit set when down.
std::int16_t GetKeyState(int VirtualKey);

// --- platform side ----------------------------------------------------------
// Qt key code (+ keypad flag) -> virtual key; 0 when unknown.
std::uint16_t VirtualKeyFromQt(int QtKey, bool Keypad);
// Virtual key -> Qt key code; 0 when unknown.
int QtKeyFromVirtualKey(std::uint16_t Key);
// Qt keyboard modifiers + mouse buttons (Qt bit values) -> shift state.
TShiftState ShiftStateFromQt(unsigned Modifiers, unsigned Buttons);
void NoteKeyboardModifiers(unsigned Modifiers);
// The modifiers after a key event: a modifier key's own press or release
// sets or clears its bit whatever the event's state says.
void NoteKeyEventModifiers(int QtKey, unsigned Modifiers, bool Pressed);

}  // namespace ui
