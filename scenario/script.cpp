#include "scenario/script.h"

#include <cctype>
#include <charconv>
#include <tuple>

namespace scenario {

namespace {

constexpr const char* forms[] = {"frmMainDisplay", "frmHardwareControl"};
constexpr const char* attributes[] = {"index", "width", "value", "tag", "caption", "hint", "visible", "left", "top"};

struct Token {
  std::string text;
  bool quoted = false;
};

[[noreturn]] void Fail(const std::string& message) { throw ScriptError{message}; }

char Unescape(char c) {
  switch (c) {
    case 'r': return '\r';
    case 'n': return '\n';
    case '"': return '"';
    case '\\': return '\\';
    default: Fail(std::string("unknown escape \\") + c);
  }
}

// Splits on white space; a double-quoted string is one token; '#' outside a
// string ends the line.
std::vector<Token> Tokenize(const std::string& line) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    if (c == '#') break;
    Token token;
    if (c == '"') {
      token.quoted = true;
      for (++i;; ++i) {
        if (i >= line.size()) Fail("unterminated string");
        if (line[i] == '"') break;
        token.text += line[i] == '\\' && i + 1 < line.size() ? Unescape(line[++i]) : line[i];
      }
      ++i;
    } else {
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])) && line[i] != '#') token.text += line[i++];
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

// Decimal or 0x hexadecimal, with a minus sign only in front.
int64_t ParseInteger(const std::string& text, const char* what) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::string digits = negative ? text.substr(1) : text;
  const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  const char* first = digits.data() + (hex ? 2 : 0);
  const char* last = digits.data() + digits.size();
  int64_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
  // from_chars would take a second sign of its own.
  const bool signedDigits = first != last && *first == '-';
  if (digits.empty() || signedDigits || error != std::errc() || end != last) {
    Fail(std::string("bad ") + what + " '" + text + "'");
  }
  return negative ? -value : value;
}

int ParseInt(const std::string& text, const char* what, int64_t low, int64_t high) {
  const int64_t value = ParseInteger(text, what);
  if (value < low || value > high) Fail(std::string(what) + " out of range: " + text);
  return int(value);
}

bool IsForm(const std::string& name) {
  for (const char* form : forms) {
    if (name == form) return true;
  }
  return false;
}

bool IsAttribute(const std::string& name) {
  for (const char* attr : attributes) {
    if (name == attr) return true;
  }
  return false;
}

// NAME or FORM.NAME into form and name.
std::pair<std::string, std::string> SplitControlName(const std::string& text) {
  const size_t dot = text.find('.');
  if (dot != std::string::npos && IsForm(text.substr(0, dot))) return {text.substr(0, dot), text.substr(dot + 1)};
  if (text.empty() || text.find('.') != std::string::npos) Fail("bad control name '" + text + "'");
  return {"", text};
}

std::optional<uint32_t> TakeMask(std::string& text) {
  const size_t amp = text.find('&');
  if (amp == std::string::npos) return std::nullopt;
  const int64_t mask = ParseInteger(text.substr(amp + 1), "mask");
  if (mask < 0 || mask > 0xFFFFFFFF) Fail("mask out of range");
  text.resize(amp);
  return uint32_t(mask);
}

// A target takes one token, or two after var, config and port.
Target ParseTarget(const std::vector<Token>& tokens, size_t& at) {
  if (at >= tokens.size()) Fail("missing target");
  Target target;
  const std::string& head = tokens[at].text;
  if (head == "var" || head == "config" || head == "port") {
    if (at + 1 >= tokens.size()) Fail("missing " + head + " operand");
    std::string operand = tokens[at + 1].text;
    target.text = head + " " + operand;
    at += 2;
    target.mask = TakeMask(operand);
    if (head == "config") {
      target.kind = Target::Kind::Config;
      target.index = ParseInt(operand, "address", 0, 255);
    } else if (head == "port") {
      target.kind = Target::Kind::Port;
      target.index = ParseInt(operand, "port", 0, 37);
    } else {
      target.kind = Target::Kind::Var;
      const size_t bracket = operand.find('[');
      if (bracket != std::string::npos) {
        if (operand.back() != ']') Fail("bad variable '" + operand + "'");
        target.index = ParseInt(operand.substr(bracket + 1, operand.size() - bracket - 2), "index", 0, 255);
        operand.resize(bracket);
      }
      if (operand.empty()) Fail("missing variable name");
      target.name = operand;
    }
    return target;
  }
  std::string text = head;
  target.text = text;
  ++at;
  target.mask = TakeMask(text);
  std::string rest = text;
  const size_t first = rest.find('.');
  if (first != std::string::npos && IsForm(rest.substr(0, first))) {
    target.form = rest.substr(0, first);
    rest = rest.substr(first + 1);
  }
  const size_t dot = rest.find('.');
  if (dot != std::string::npos) {
    target.attr = rest.substr(dot + 1);
    rest.resize(dot);
    if (!IsAttribute(target.attr)) Fail("unknown attribute '" + target.attr + "'");
  }
  if (rest.empty()) Fail("missing control name");
  target.name = rest;
  return target;
}

void ExpectEnd(const std::vector<Token>& tokens, size_t at) {
  if (at < tokens.size()) Fail("unexpected '" + tokens[at].text + "'");
}

Value ParseValueToken(const std::vector<Token>& tokens, size_t& at) {
  if (at >= tokens.size()) Fail("missing value");
  const Token& token = tokens[at++];
  if (token.quoted) return Value{true, 0, token.text};
  return ParseValue(token.text);
}

Button ParseButton(const std::string& text) {
  if (text == "left") return Button::Left;
  if (text == "right") return Button::Right;
  return Button::Middle;
}

Mouse ParseMouse(Mouse::Action action, const std::vector<Token>& tokens) {
  if (tokens.size() < 2) Fail("missing control name");
  Mouse mouse{action, "", "", Button::Left, std::nullopt};
  std::tie(mouse.form, mouse.name) = SplitControlName(tokens[1].text);
  size_t at = 2;
  if (action == Mouse::Action::Move) {
    if (tokens.size() != 4) Fail("move takes NAME X Y");
    mouse.at = {ParseInt(tokens[2].text, "x", -100000, 100000), ParseInt(tokens[3].text, "y", -100000, 100000)};
    return mouse;
  }
  if (at < tokens.size() && (tokens[at].text == "left" || tokens[at].text == "right" || tokens[at].text == "middle")) {
    mouse.button = ParseButton(tokens[at++].text);
  }
  if (at < tokens.size() && tokens[at].text == "at") {
    if (at + 3 != tokens.size()) Fail("at takes X Y");
    mouse.at = {ParseInt(tokens[at + 1].text, "x", -100000, 100000), ParseInt(tokens[at + 2].text, "y", -100000, 100000)};
    at += 3;
  }
  ExpectEnd(tokens, at);
  return mouse;
}

Level ParseLevel(const std::vector<Token>& tokens) {
  if (tokens.size() != 3 && tokens.size() != 4) Fail("level takes NAME WIDTH, NAME VALUE ohm or NAME VALUE mV");
  Level level;
  std::tie(level.form, level.name) = SplitControlName(tokens[1].text);
  level.amount = ParseInteger(tokens[2].text, "level");
  if (level.amount < 0 || level.amount > 10000000) Fail("level out of range: " + tokens[2].text);
  if (tokens.size() == 4) {
    if (tokens[3].text == "ohm") level.unit = Level::Unit::Ohm;
    else if (tokens[3].text == "mV") level.unit = Level::Unit::Millivolt;
    else Fail("unknown unit '" + tokens[3].text + "'");
  }
  return level;
}

SetMemory ParseSet(const std::vector<Token>& tokens) {
  if (tokens.size() != 4 || (tokens[1].text != "config" && tokens[1].text != "nv")) {
    Fail("set takes config ADDR VALUE or nv ADDR VALUE");
  }
  return {tokens[1].text == "nv", ParseInt(tokens[2].text, "address", 0, 255), ParseInt(tokens[3].text, "value", 0, 255)};
}

}  // namespace

int64_t ParseDurationSteps(const std::string& text) {
  size_t digits = 0;
  while (digits < text.size() && (std::isdigit(static_cast<unsigned char>(text[digits])) || text[digits] == '.')) ++digits;
  const std::string number = text.substr(0, digits);
  const std::string unit = text.substr(digits);
  const size_t point = number.find('.');
  const std::string whole = number.substr(0, point);
  const std::string fraction = point == std::string::npos ? "" : number.substr(point + 1);
  if (whole.empty() || whole.size() > 9 || fraction.size() > 9 || fraction.find('.') != std::string::npos ||
      (point != std::string::npos && fraction.empty())) {
    Fail("bad duration '" + text + "'");
  }
  int64_t unitMs = 0;
  if (unit == "ms") unitMs = 1;
  else if (unit == "s") unitMs = 1000;
  else if (unit == "min") unitMs = 60000;
  else if (unit == "h") unitMs = 3600000;
  else Fail("bad duration unit in '" + text + "'");
  unsigned __int128 scale = 1;
  for (size_t i = 0; i < fraction.size(); ++i) scale *= 10;
  const unsigned __int128 numerator =
      (unsigned __int128)(std::stoull(whole) * (unsigned long long)(scale) + (fraction.empty() ? 0 : std::stoull(fraction))) *
      unsigned(unitMs);
  const unsigned __int128 denominator = scale * stepMs;
  const unsigned __int128 steps = (numerator + denominator - 1) / denominator;
  if (steps > (unsigned __int128)(INT64_MAX)) Fail("duration too long");
  return int64_t(steps);
}

Value ParseValue(const std::string& text) { return Value{false, ParseInteger(text, "number"), ""}; }

std::string FormatValue(const Value& value) {
  if (!value.isString) return std::to_string(value.number);
  std::string out = "\"";
  for (char c : value.text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '"') out += "\\\"";
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out + "\"";
}

std::optional<Command> ParseLine(const std::string& line) {
  const std::vector<Token> tokens = Tokenize(line);
  if (tokens.empty()) return std::nullopt;
  const std::string& verb = tokens[0].text;
  if (verb == "wait") {
    if (tokens.size() != 2) Fail("wait takes one duration");
    return Wait{ParseDurationSteps(tokens[1].text)};
  }
  if (verb == "wait-until") {
    size_t at = 1;
    WaitUntil command{ParseTarget(tokens, at), {}, 0};
    command.value = ParseValueToken(tokens, at);
    if (at + 2 != tokens.size() || tokens[at].text != "within") Fail("wait-until takes TARGET VALUE within DURATION");
    command.steps = ParseDurationSteps(tokens[at + 1].text);
    return command;
  }
  if (verb == "press") return ParseMouse(Mouse::Action::Press, tokens);
  if (verb == "release") return ParseMouse(Mouse::Action::Release, tokens);
  if (verb == "move") return ParseMouse(Mouse::Action::Move, tokens);
  if (verb == "click") return ParseMouse(Mouse::Action::Click, tokens);
  if (verb == "level") return ParseLevel(tokens);
  if (verb == "set") return ParseSet(tokens);
  if (verb == "expect") {
    size_t at = 1;
    Expect command{ParseTarget(tokens, at), {}};
    command.value = ParseValueToken(tokens, at);
    ExpectEnd(tokens, at);
    return command;
  }
  if (verb == "print") {
    size_t at = 1;
    Print command{ParseTarget(tokens, at)};
    ExpectEnd(tokens, at);
    return command;
  }
  if (verb == "screenshot") {
    if (tokens.size() != 3 || !IsForm(tokens[1].text)) Fail("screenshot takes frmMainDisplay|frmHardwareControl FILE.png");
    return Screenshot{tokens[1].text, tokens[2].text};
  }
  if (verb == "stall") {
    if (tokens.size() != 2) Fail("stall takes one duration");
    return Stall{ParseDurationSteps(tokens[1].text)};
  }
  if (verb == "restart") {
    ExpectEnd(tokens, 1);
    return Restart{};
  }
  Fail("unknown command '" + verb + "'");
}

}  // namespace scenario
