#include "firmware/firmware.h"

Firmware::Firmware(HardwareState& board) : board_(board) { ForgetConfig(); }

