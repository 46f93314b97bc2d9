#include <gtest/gtest.h>

#include <sstream>

#include "scenario/vcd.h"

using scenario::VcdWriter;

TEST(VcdWriter, HeaderScopesAndInitialValues) {
  VcdWriter vcd;
  vcd.AddSignal("frmMainDisplay", "FireLED", 1);
  vcd.AddSignal("frmMainDisplay", "Segment1", 4);
  vcd.AddSignal("board", "port24", 8);
  std::ostringstream out;
  vcd.Begin(out, {1, 10, 0x18});
  EXPECT_EQ(out.str(),
            "$date simulated $end\n$version qx40-scenario $end\n$timescale 1ms $end\n"
            "$scope module frmMainDisplay $end\n"
            "$var wire 1 ! FireLED $end\n"
            "$var wire 4 \" Segment1 $end\n"
            "$upscope $end\n"
            "$scope module board $end\n"
            "$var wire 8 # port24 $end\n"
            "$upscope $end\n"
            "$enddefinitions $end\n#0\n$dumpvars\n1!\nb1010 \"\nb11000 #\n$end\n");
}

TEST(VcdWriter, OnlyChangesAreWrittenUnderOneTimestamp) {
  VcdWriter vcd;
  vcd.AddSignal("s", "a", 1);
  vcd.AddSignal("s", "b", 8);
  std::ostringstream out;
  vcd.Begin(out, {0, 0});
  out.str("");
  vcd.Sample(out, 5, {0, 0});
  EXPECT_EQ(out.str(), "");
  vcd.Sample(out, 10, {1, 0});
  vcd.Sample(out, 15, {1, 3});
  vcd.Sample(out, 20, {0, 0});
  EXPECT_EQ(out.str(), "#10\n1!\n#15\nb11 \"\n#20\n0!\nb0 \"\n");
}

TEST(VcdWriter, IdentifiersStayUniqueBeyondOneCharacter) {
  VcdWriter vcd;
  for (int i = 0; i < 200; ++i) vcd.AddSignal("s", "x" + std::to_string(i), 1);
  std::ostringstream out;
  vcd.Begin(out, std::vector<int64_t>(200, 0));
  const std::string text = out.str();
  EXPECT_NE(text.find("$var wire 1 ! x0 $end"), std::string::npos);
  EXPECT_NE(text.find("$var wire 1 !\" x94 $end"), std::string::npos);
}
