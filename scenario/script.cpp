#include "scenario/script.h"

#include <cctype>
#include <algorithm>
#include <charconv>
#include <tuple>

namespace scenario {

namespace {

constexpr const char* forms[] = {"frmMainDisplay", "frmHardwareControl"};
constexpr const char* attributes[] = {"index", "width", "value", "tag", "caption", "hint", "visible", "left", "top"};
constexpr const char* commands[] = {"wait",  "wait-until", "press",      "release", "move",    "click", "level",
                                    "set",   "expect",     "print",      "screenshot", "stall", "restart", "measure", "mark",
                                    "say",   "meanwhile",  "snapshot",   "start-from"};
constexpr int64_t ohmsPerKilohm = 1000;
// Suggestions are names at most this many edits away, and at most this many.
constexpr size_t nearEdits = 2;
constexpr size_t maxSuggestions = 3;

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
    if (!IsAttribute(target.attr)) Fail("unknown attribute '" + target.attr + "'" + DidYouMean(target.attr, Attributes()));
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

WaitUntil ParseWaitUntil(const std::vector<Token>& tokens, size_t at, const char* usage) {
  WaitUntil command{ParseTarget(tokens, at), {}, 0};
  command.value = ParseValueToken(tokens, at);
  if (at + 2 != tokens.size() || tokens[at].text != "within") Fail(usage);
  command.steps = ParseDurationSteps(tokens[at + 1].text);
  return command;
}

// measure "REQUIREMENT" TARGET VALUE within LIMIT [since MARK]
Measure ParseMeasure(std::vector<Token> tokens) {
  constexpr const char* usage = "measure takes \"REQUIREMENT\" TARGET VALUE within LIMIT [since MARK]";
  if (tokens.size() < 2 || !tokens[1].quoted) Fail(usage);
  std::string since;
  if (tokens.size() > 3 && tokens[tokens.size() - 2].text == "since") {
    since = tokens.back().text;
    tokens.resize(tokens.size() - 2);
  }
  return Measure{tokens[1].text, ParseWaitUntil(tokens, 2, usage), since};
}

// expect TARGET VALUE [throughout DURATION]
Command ParseExpect(const std::vector<Token>& tokens) {
  size_t at = 1;
  Target target = ParseTarget(tokens, at);
  Value value = ParseValueToken(tokens, at);
  if (at == tokens.size()) return Expect{std::move(target), std::move(value)};
  if (at + 2 != tokens.size() || tokens[at].text != "throughout") Fail("expect takes TARGET VALUE [throughout DURATION]");
  return Throughout{std::move(target), std::move(value), ParseDurationSteps(tokens[at + 1].text)};
}

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) == std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
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

// A decimal number of kilohms with at most three places, in ohms.
int64_t ParseKilohms(const std::string& text) {
  const size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
  if (fraction.size() > 3 || (point != std::string::npos && fraction.empty())) Fail("bad kilohms '" + text + "'");
  int64_t ohms = ParseInteger(whole, "kilohms") * ohmsPerKilohm;
  int64_t place = ohmsPerKilohm;
  for (const char digit : fraction) {
    if (!std::isdigit(static_cast<unsigned char>(digit))) Fail("bad kilohms '" + text + "'");
    place /= 10;
    ohms += (digit - '0') * place;
  }
  return ohms;
}

// As the window's reading writes a resistance: "506R" or "4K72".
std::optional<int64_t> ParseReading(const std::string& text) {
  const size_t k = text.find_first_of("Kk");
  if (k != std::string::npos && k > 0 && k + 1 < text.size()) {
    return ParseKilohms(text.substr(0, k) + "." + text.substr(k + 1));
  }
  if (text.size() > 1 && (text.back() == 'R' || text.back() == 'K' || text.back() == 'k')) {
    const std::string number = text.substr(0, text.size() - 1);
    return text.back() == 'R' ? ParseInteger(number, "ohms") : ParseKilohms(number);
  }
  return std::nullopt;
}

Level ParseLevel(const std::vector<Token>& tokens) {
  if (tokens.size() != 3 && tokens.size() != 4) {
    Fail("level takes NAME WIDTH, NAME VALUE ohm|kohm|k|mV or NAME READING (506R, 4K72)");
  }
  Level level;
  std::tie(level.form, level.name) = SplitControlName(tokens[1].text);
  const std::string& amount = tokens[2].text;
  if (tokens.size() == 3) {
    const std::optional<int64_t> ohms = ParseReading(amount);
    level.unit = ohms ? Level::Unit::Ohm : Level::Unit::Width;
    level.amount = ohms ? *ohms : ParseInteger(amount, "level");
  } else if (tokens[3].text == "ohm" || tokens[3].text == "mV") {
    level.unit = tokens[3].text == "ohm" ? Level::Unit::Ohm : Level::Unit::Millivolt;
    level.amount = ParseInteger(amount, "level");
  } else if (tokens[3].text == "kohm" || tokens[3].text == "k") {
    level.unit = Level::Unit::Ohm;
    level.amount = ParseKilohms(amount);
  } else {
    Fail("unknown unit '" + tokens[3].text + "': write ohm, kohm, k or mV");
  }
  if (level.amount < 0) Fail("level out of range: " + amount);
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
  const unsigned __int128 steps = numerator / denominator;
  if (steps > (unsigned __int128)(INT64_MAX)) Fail("duration too long");
  if (numerator % denominator != 0) {
    const int64_t below = int64_t(steps) * stepMs;
    Fail("duration '" + text + "' is not a multiple of " + std::to_string(stepMs) + " ms: write " + std::to_string(below) +
         "ms or " + std::to_string(below + stepMs) + "ms");
  }
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

std::vector<std::string> Commands() { return {std::begin(commands), std::end(commands)}; }
std::vector<std::string> Attributes() { return {std::begin(attributes), std::end(attributes)}; }

std::string DidYouMean(const std::string& name, const std::vector<std::string>& known) {
  std::vector<std::pair<size_t, std::string>> near;
  for (const std::string& candidate : known) {
    const size_t distance = EditDistance(name, candidate);
    if (distance <= nearEdits && distance < std::max(name.size(), candidate.size())) near.emplace_back(distance, candidate);
  }
  if (near.empty()) return "";
  std::stable_sort(near.begin(), near.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  near.resize(std::min(near.size(), maxSuggestions));
  std::string text = ": did you mean " + near[0].second;
  for (size_t i = 1; i < near.size(); ++i) text += (i + 1 == near.size() ? " or " : ", ") + near[i].second;
  return text + "?";
}

namespace {

// meanwhile wait-until|measure|expect ... throughout: a checkpoint that does not hold the lines after it.
Command ParseMeanwhile(const std::string& line) {
  constexpr const char* usage = "meanwhile takes a wait-until, a measure or an expect ... throughout";
  const size_t verb = line.find("meanwhile");
  std::optional<Command> command = ParseLine(line.substr(verb + std::string("meanwhile").size()));
  if (!command) Fail(usage);
  if (auto* until = std::get_if<WaitUntil>(&*command)) until->meanwhile = true;
  else if (auto* measure = std::get_if<Measure>(&*command)) measure->until.meanwhile = true;
  else if (auto* throughout = std::get_if<Throughout>(&*command)) throughout->meanwhile = true;
  else Fail(usage);
  return *command;
}

}  // namespace

std::optional<Command> ParseLine(const std::string& line) {
  const std::vector<Token> tokens = Tokenize(line);
  if (tokens.empty()) return std::nullopt;
  const std::string& verb = tokens[0].text;
  if (verb == "wait") {
    if (tokens.size() != 2) Fail("wait takes one duration");
    return Wait{ParseDurationSteps(tokens[1].text)};
  }
  if (verb == "wait-until") return ParseWaitUntil(tokens, 1, "wait-until takes TARGET VALUE within DURATION");
  if (verb == "measure") return ParseMeasure(tokens);
  if (verb == "mark") {
    if (tokens.size() != 2) Fail("mark takes one name");
    return Mark{tokens[1].text};
  }
  if (verb == "press") return ParseMouse(Mouse::Action::Press, tokens);
  if (verb == "release") return ParseMouse(Mouse::Action::Release, tokens);
  if (verb == "move") return ParseMouse(Mouse::Action::Move, tokens);
  if (verb == "click") return ParseMouse(Mouse::Action::Click, tokens);
  if (verb == "level") return ParseLevel(tokens);
  if (verb == "set") return ParseSet(tokens);
  if (verb == "expect") return ParseExpect(tokens);
  if (verb == "say") {
    if (tokens.size() != 2 || !tokens[1].quoted) Fail("say takes one \"TEXT\"");
    return Say{tokens[1].text};
  }
  if (verb == "meanwhile") return ParseMeanwhile(line);
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
  if (verb == "snapshot" || verb == "start-from") {
    if (tokens.size() != 2) Fail(verb + " takes one FILE.qxstate");
    if (verb == "snapshot") return Snapshot{tokens[1].text};
    return StartFrom{tokens[1].text};
  }
  if (verb == "restart") {
    ExpectEnd(tokens, 1);
    return Restart{};
  }
  Fail("unknown command '" + verb + "'" + DidYouMean(verb, Commands()));
}

}  // namespace scenario
