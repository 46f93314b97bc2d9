#include <gtest/gtest.h>

#include "board/hardware_interface.h"
#include "tests/support/test_board.h"

TEST(HardwareRequest, FreshBoardReadsErasedMemoryAndBlankCounter) {
  TestBoard t;
  for (int address = 0; address < 256; ++address) EXPECT_EQ(HardwareRequest(READ_NV_BYTE, address), 0);
  EXPECT_EQ(HardwareRequest(READ_ZONE_COUNT, 0), 2);
  EXPECT_EQ(t.board().Port(21), 0x7F);
  EXPECT_EQ(t.board().Port(22), 0x7F);
  EXPECT_EQ(t.board().Port(23), 0x7F);
  EXPECT_EQ(t.board().Port(24), 0x18);
}
