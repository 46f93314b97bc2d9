#include "firmware/firmware.h"

Firmware::Firmware(HardwareState& board) : board_(board) {}

int32_t Firmware::HardwareRequest(uint8_t op, int32_t arg) { return ::HardwareRequest(board_, op, arg); }
