// Virtual-key codes: the Windows values the system's key handling is written against. The GTK
// backend maps GDK key values to them; the headless backend takes them as they are.
#pragma once

#include <cstdint>

namespace platform {

using TVirtualKey = uint16_t;

constexpr TVirtualKey VK_BACK = 8;
constexpr TVirtualKey VK_TAB = 9;
constexpr TVirtualKey VK_CLEAR = 12;
constexpr TVirtualKey VK_RETURN = 13;
constexpr TVirtualKey VK_SHIFT = 16;
constexpr TVirtualKey VK_CONTROL = 17;
constexpr TVirtualKey VK_MENU = 18;  // Alt
constexpr TVirtualKey VK_PAUSE = 19;
constexpr TVirtualKey VK_CAPITAL = 20;
constexpr TVirtualKey VK_ESCAPE = 27;
constexpr TVirtualKey VK_SPACE = 32;
constexpr TVirtualKey VK_PRIOR = 33;  // Page Up
constexpr TVirtualKey VK_NEXT = 34;   // Page Down
constexpr TVirtualKey VK_END = 35;
constexpr TVirtualKey VK_HOME = 36;
constexpr TVirtualKey VK_LEFT = 37;
constexpr TVirtualKey VK_UP = 38;
constexpr TVirtualKey VK_RIGHT = 39;
constexpr TVirtualKey VK_DOWN = 40;
constexpr TVirtualKey VK_SNAPSHOT = 44;
constexpr TVirtualKey VK_INSERT = 45;
constexpr TVirtualKey VK_DELETE = 46;
// '0'..'9' are 48..57 and 'A'..'Z' are 65..90, as their ASCII codes.
constexpr TVirtualKey VK_0 = '0';
constexpr TVirtualKey VK_A = 'A';
constexpr TVirtualKey VK_LWIN = 91;
constexpr TVirtualKey VK_RWIN = 92;
constexpr TVirtualKey VK_APPS = 93;  // context menu key
constexpr TVirtualKey VK_NUMPAD0 = 96;  // VK_NUMPAD0 + n for n = 0..9
constexpr TVirtualKey VK_MULTIPLY = 106;
constexpr TVirtualKey VK_ADD = 107;
constexpr TVirtualKey VK_SEPARATOR = 108;
constexpr TVirtualKey VK_SUBTRACT = 109;
constexpr TVirtualKey VK_DECIMAL = 110;
constexpr TVirtualKey VK_DIVIDE = 111;
constexpr TVirtualKey VK_F1 = 112;  // VK_F1 + n - 1 for F1..F12
constexpr TVirtualKey VK_F2 = 113;
constexpr TVirtualKey VK_F3 = 114;
constexpr TVirtualKey VK_F4 = 115;
constexpr TVirtualKey VK_F5 = 116;
constexpr TVirtualKey VK_F6 = 117;
constexpr TVirtualKey VK_F7 = 118;
constexpr TVirtualKey VK_F8 = 119;
constexpr TVirtualKey VK_F9 = 120;
constexpr TVirtualKey VK_F10 = 121;
constexpr TVirtualKey VK_F11 = 122;
constexpr TVirtualKey VK_F12 = 123;
constexpr TVirtualKey VK_NUMLOCK = 144;
constexpr TVirtualKey VK_SCROLL = 145;
constexpr TVirtualKey VK_OEM_1 = 186;       // ;:
constexpr TVirtualKey VK_OEM_PLUS = 187;    // =+
constexpr TVirtualKey VK_OEM_COMMA = 188;   // ,<
constexpr TVirtualKey VK_OEM_MINUS = 189;   // -_
constexpr TVirtualKey VK_OEM_PERIOD = 190;  // .>
constexpr TVirtualKey VK_OEM_2 = 191;       // /?
constexpr TVirtualKey VK_OEM_3 = 192;       // `~
constexpr TVirtualKey VK_OEM_4 = 219;       // [{
constexpr TVirtualKey VK_OEM_5 = 220;       // \|
constexpr TVirtualKey VK_OEM_6 = 221;       // ]}
constexpr TVirtualKey VK_OEM_7 = 222;       // '"

}  // namespace platform
