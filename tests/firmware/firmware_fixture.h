#pragma once
// A test that is the firmware on a test board, for the routines tried alone.

#include <gtest/gtest.h>

#include "tests/support/test_board.h"

class FirmwareTest : public ::testing::Test, public FirmwareOnBoard {};
