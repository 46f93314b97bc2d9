#pragma once
// Where the front panel window places its controls (client pixels). The
// pictures are drawn around these spots so that every image sits in its
// socket, bezel or keep-out area.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace artwork {

enum class Lamp { Red, Yellow, Green };

constexpr QSize kPanelSize{780, 361};
// The board picture sits 8 pixels above the client area.
constexpr int kBoardOffsetY = 8;
// The board picture: taller by that offset, so that it reaches the window's bottom edge.
constexpr QSize kBoardPictureSize{kPanelSize.width(), kPanelSize.height() + kBoardOffsetY};

constexpr int kLedSize = 11;
constexpr QPoint kFireLed{298, 104};
constexpr int kZoneFireX = 298;
constexpr int kZoneFaultX = 321;
constexpr int kZoneRows[8] = {132, 160, 187, 215, 243, 271, 298, 326};

struct CommonLed {
  int y;
  Lamp lamp;
  const char* boardMark;  // two letters printed beside it on the bare board
};
constexpr int kCommonX = 349;
constexpr CommonLed kCommonLeds[] = {
    {104, Lamp::Green, "PW"},  {123, Lamp::Yellow, "FT"}, {141, Lamp::Yellow, "DS"},
    {160, Lamp::Yellow, "TS"}, {178, Lamp::Yellow, "DL"}, {197, Lamp::Yellow, "SF"},
    {215, Lamp::Yellow, "EF"}, {234, Lamp::Yellow, "PS"}, {252, Lamp::Yellow, "SD"},
    {271, Lamp::Red, "FA"},    {289, Lamp::Yellow, "FR"}, {308, Lamp::Yellow, "FO"},
    {326, Lamp::Yellow, "AX"},
};

constexpr int kButtonSize = 29;
constexpr int kButtonX = 634;
struct Key {
  int y;
  const char* boardName;
};
constexpr Key kKeys[8] = {
    {95, "ACCEPT"},       {127, "SNDR START/STOP"}, {158, "RESET"},     {190, "BUZZER MUTE"},
    {222, "DELAY ON/OFF"}, {254, "ITEM SELECT"},     {285, "DIS/TEST/NORM"}, {317, "LAMP TEST"},
};

constexpr QRect kKeyswitch{680, 200, 75, 75};
constexpr QRect kInternalTone{738, 320, 32, 32};
constexpr int kSelectorSize = 24;
constexpr QPoint kMarvaneSelector{696, 24};
constexpr QPoint kCorvellaSelector{720, 24};
constexpr QPoint kCoverOffSelector{744, 24};
// The strip the three view selectors share in every view.
constexpr QRect kSelectorTray{690, 19, 84, 34};
constexpr QPoint kCoverOffSwitch{730, 253};
constexpr QPoint kBoardKeyswitch{730, 206};
constexpr QRect kAlarmCounter{700, 96, 54, 23};

constexpr QRect kButtonSilkScreen{664, 93, 67, 256};
constexpr QRect kSystemNumberSilkScreen{362, 123, 14, 214};
constexpr QRect kZoneNumberSilkScreen{311, 132, 9, 204};

constexpr QRect LedRect(int x, int y) { return QRect(x, y, kLedSize, kLedSize); }
constexpr QRect KeyRect(int y) { return QRect(kButtonX, y, kButtonSize, kButtonSize); }

}  // namespace artwork
