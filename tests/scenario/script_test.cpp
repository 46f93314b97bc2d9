#include <gtest/gtest.h>

#include "scenario/script.h"

using namespace scenario;

namespace {

template <class T>
T Parse(const std::string& line) {
  const std::optional<Command> command = ParseLine(line);
  EXPECT_TRUE(command.has_value()) << line;
  EXPECT_TRUE(std::holds_alternative<T>(*command)) << line;
  return std::get<T>(*command);
}

std::string ErrorOf(const std::string& line) {
  try {
    ParseLine(line);
  } catch (const ScriptError& error) {
    return error.message;
  }
  return "";
}

}  // namespace

TEST(ScriptDuration, WholeFiveMillisecondSteps) {
  const std::pair<const char*, int64_t> table[] = {
      {"250ms", 50}, {"1.5s", 300},   {"2min", 24000},   {"1h", 720000},
      {"5ms", 1},    {"0ms", 0},      {"0.005s", 1},     {"7.25min", 87000},
  };
  for (const auto& [text, steps] : table) EXPECT_EQ(ParseDurationSteps(text), steps) << text;
}

TEST(ScriptDuration, AnythingBetweenStepsIsAnErrorNamingTheNearest) {
  const std::pair<const char*, const char*> table[] = {
      {"1ms", "duration '1ms' is not a multiple of 5 ms: write 0ms or 5ms"},
      {"6ms", "duration '6ms' is not a multiple of 5 ms: write 5ms or 10ms"},
      {"0.0051s", "duration '0.0051s' is not a multiple of 5 ms: write 5ms or 10ms"},
      {"1.00001h", "duration '1.00001h' is not a multiple of 5 ms: write 3600035ms or 3600040ms"},
  };
  for (const auto& [text, message] : table) {
    try {
      ParseDurationSteps(text);
      ADD_FAILURE() << text;
    } catch (const ScriptError& error) {
      EXPECT_EQ(error.message, message);
    }
  }
}

TEST(ScriptDuration, BadNumbersAndUnitsAreErrors) {
  for (const char* text : {"", "5", "ms", "1.s", ".5s", "1..5s", "1.2.3s", "5sec", "-1s", "1e3ms", "5 s", "1234567890h"}) {
    EXPECT_THROW(ParseDurationSteps(text), ScriptError) << text;
  }
}

TEST(ScriptValue, DecimalHexAndStrings) {
  EXPECT_EQ(ParseValue("42").number, 42);
  EXPECT_EQ(ParseValue("0x40").number, 0x40);
  EXPECT_EQ(ParseValue("-3").number, -3);
  EXPECT_THROW(ParseValue("0x"), ScriptError);
  EXPECT_THROW(ParseValue("12a"), ScriptError);
  const Expect e = Parse<Expect>(R"(expect Vbatt "27.8\r\n\"q\"\\ # not a comment")");
  EXPECT_TRUE(e.value.isString);
  EXPECT_EQ(e.value.text, "27.8\r\n\"q\"\\ # not a comment");
  EXPECT_EQ(FormatValue(e.value), R"("27.8\r\n\"q\"\\ # not a comment")");
}

TEST(ScriptTargets, ControlsAttributesVariablesConfigAndPorts) {
  Target t = Parse<Expect>("expect Zone1FireLED 1").target;
  EXPECT_EQ(t.kind, Target::Kind::Control);
  EXPECT_EQ(t.name, "Zone1FireLED");
  EXPECT_EQ(t.form, "");
  EXPECT_EQ(t.attr, "");

  t = Parse<Expect>("expect frmMainDisplay.Label1.visible 0").target;
  EXPECT_EQ(t.form, "frmMainDisplay");
  EXPECT_EQ(t.name, "Label1");
  EXPECT_EQ(t.attr, "visible");

  t = Parse<Expect>("expect var panelMode&0x40 0x40").target;
  EXPECT_EQ(t.kind, Target::Kind::Var);
  EXPECT_EQ(t.name, "panelMode");
  EXPECT_EQ(*t.mask, 0x40u);
  EXPECT_EQ(t.text, "var panelMode&0x40");

  t = Parse<Expect>("expect var zoneAlarmCount[3] 2").target;
  EXPECT_EQ(t.name, "zoneAlarmCount");
  EXPECT_EQ(t.index, 3);

  t = Parse<Print>("print config 129").target;
  EXPECT_EQ(t.kind, Target::Kind::Config);
  EXPECT_EQ(t.index, 129);

  t = Parse<Print>("print port 24&0x18").target;
  EXPECT_EQ(t.kind, Target::Kind::Port);
  EXPECT_EQ(t.index, 24);
  EXPECT_EQ(*t.mask, 0x18u);
}

TEST(ScriptCommands, MouseLevelSetAndTheRest) {
  Mouse m = Parse<Mouse>("press AcceptButton");
  EXPECT_EQ(m.action, Mouse::Action::Press);
  EXPECT_EQ(m.button, Button::Left);
  EXPECT_FALSE(m.at);
  m = Parse<Mouse>("click frmHardwareControl.OptionalRelays right at -3 40");
  EXPECT_EQ(m.form, "frmHardwareControl");
  EXPECT_EQ(m.button, Button::Right);
  EXPECT_EQ(*m.at, std::make_pair(-3, 40));
  m = Parse<Mouse>("move Keyswitch 10 70");
  EXPECT_EQ(*m.at, std::make_pair(10, 70));

  Level l = Parse<Level>("level ZoneAnalogueControl1 500 ohm");
  EXPECT_EQ(l.unit, Level::Unit::Ohm);
  EXPECT_EQ(l.amount, 500);
  EXPECT_EQ(Parse<Level>("level VssAnalogueValueBox 27100 mV").unit, Level::Unit::Millivolt);
  EXPECT_EQ(Parse<Level>("level VssAnalogueValueBox 180").unit, Level::Unit::Width);
  // Kilohms as written, and as the window's reading writes them.
  const std::pair<const char*, int64_t> ohms[] = {{"4.7 kohm", 4700}, {"4.72 k", 4720}, {"4K72", 4720},
                                                  {"506R", 506},      {"2k", 2000},     {"1K04", 1040}};
  for (const auto& [amount, value] : ohms) {
    l = Parse<Level>(std::string("level ZoneAnalogueControl1 ") + amount);
    EXPECT_EQ(l.unit, Level::Unit::Ohm) << amount;
    EXPECT_EQ(l.amount, value) << amount;
  }
  const Measure measure = Parse<Measure>(R"(measure "fire within 10 s" var zonesInFire 0x01 within 10s)");
  EXPECT_EQ(measure.label, "fire within 10 s");
  EXPECT_EQ(measure.until.steps, 2000);

  SetMemory s = Parse<SetMemory>("set nv 255 0x12");
  EXPECT_TRUE(s.raw);
  EXPECT_EQ(s.address, 255);
  EXPECT_EQ(s.value, 0x12);

  WaitUntil w = Parse<WaitUntil>("wait-until Zone1FireLED 1 within 2s");
  EXPECT_EQ(w.steps, 400);
  EXPECT_EQ(Parse<Wait>("wait 1.5s").steps, 300);
  EXPECT_EQ(Parse<Screenshot>("screenshot frmMainDisplay out.png").file, "out.png");
  Parse<Restart>("  restart   # again");
  EXPECT_EQ(Parse<Stall>("stall 2.4s").steps, 480);
  EXPECT_FALSE(ParseLine("   # only a comment"));
  EXPECT_FALSE(ParseLine(""));
}

TEST(ScriptCommands, MalformedLinesSayWhatIsWrong) {
  const std::pair<const char*, const char*> table[] = {
      {"jump 5", "unknown command 'jump'"},
      {"wiat 5s", "unknown command 'wiat': did you mean wait?"},
      {"expect Zone1FireLED.tga 1", "unknown attribute 'tga': did you mean tag or top?"},
      {"measure FireLED 1 within 1s", "measure takes \"REQUIREMENT\" TARGET VALUE within LIMIT [since MARK]"},
      {"level ZoneAnalogueControl1 4.7777 k", "bad kilohms '4.7777'"},
      {"level ZoneAnalogueControl1 -5 ohm", "level out of range: -5"},
      {"wait", "wait takes one duration"},
      {"wait 5", "bad duration unit in '5'"},
      {"expect Zone1FireLED.colour 1", "unknown attribute 'colour'"},
      {"expect Zone1FireLED", "missing value"},
      {"expect Zone1FireLED 1 2", "expect takes TARGET VALUE [throughout DURATION]"},
      {"expect Zone1FireLED 1 throughout", "expect takes TARGET VALUE [throughout DURATION]"},
      {"meanwhile wait 1s", "meanwhile takes a wait-until, a measure or an expect ... throughout"},
      {"say hello", "say takes one \"TEXT\""},
      {"expect port 38 0", "port out of range: 38"},
      {"expect config 256 0", "address out of range: 256"},
      {"expect var 1", "missing value"},
      {"level ZoneAnalogueControl1 500 kV", "unknown unit 'kV': write ohm, kohm, k or mV"},
      {"set config 5", "set takes config ADDR VALUE or nv ADDR VALUE"},
      {"set config 5 256", "value out of range: 256"},
      {"press", "missing control name"},
      {"press AcceptButton at 1", "at takes X Y"},
      {"screenshot frmOther x.png", "screenshot takes frmMainDisplay|frmHardwareControl FILE.png"},
      {"expect Vbatt \"27", "unterminated string"},
      {"wait-until FireLED 1 2s", "wait-until takes TARGET VALUE within DURATION"},
      {"restart now", "unexpected 'now'"},
      {"stall", "stall takes one duration"},
  };
  for (const auto& [line, message] : table) EXPECT_EQ(ErrorOf(line), message) << line;
}
