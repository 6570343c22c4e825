#pragma once
// Keys and mouse buttons as the editor's handlers receive them: virtual-key
// codes of the desktop the stage files come from, and a set of held modifiers.

#include <cstdint>

using TShiftState = unsigned;
constexpr TShiftState ssShift = 1u << 0;
constexpr TShiftState ssAlt = 1u << 1;
constexpr TShiftState ssCtrl = 1u << 2;
constexpr TShiftState ssLeft = 1u << 3;
constexpr TShiftState ssRight = 1u << 4;
constexpr TShiftState ssMiddle = 1u << 5;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

namespace VK {
constexpr std::uint16_t Prior = 33;  // Page Up
constexpr std::uint16_t Next = 34;   // Page Down
constexpr std::uint16_t End = 35;
constexpr std::uint16_t Home = 36;
constexpr std::uint16_t Left = 37;
constexpr std::uint16_t Up = 38;
constexpr std::uint16_t Right = 39;
constexpr std::uint16_t Down = 40;
constexpr std::uint16_t Insert = 45;
constexpr std::uint16_t Delete = 46;
constexpr std::uint16_t C = 'C';
constexpr std::uint16_t F = 'F';
constexpr std::uint16_t V = 'V';
constexpr std::uint16_t X = 'X';
constexpr std::uint16_t Y = 'Y';
constexpr std::uint16_t Z = 'Z';
constexpr std::uint16_t Digit0 = '0';
constexpr std::uint16_t Add = 0x6B;       // the keypad's plus
constexpr std::uint16_t Subtract = 0x6D;  // the keypad's minus
constexpr std::uint16_t OemPlus = 0xBB;   // the plus key of the main block (= and +)
constexpr std::uint16_t OemMinus = 0xBD;
constexpr std::uint16_t F2 = 0x71;  // our cursor readout
constexpr std::uint16_t F3 = 0x72;  // our find: the next stage holding it
constexpr std::uint16_t F4 = 0x73;  // our "Stages" window switch
constexpr std::uint16_t F5 = 0x74;
constexpr std::uint16_t F6 = 0x75;
constexpr std::uint16_t F7 = 0x76;
constexpr std::uint16_t F8 = 0x77;
constexpr std::uint16_t F9 = 0x78;   // our time-mode switch
constexpr std::uint16_t F11 = 0x7A;  // our compare outline
}  // namespace VK
