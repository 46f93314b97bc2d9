#include "classroom/class_server.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <random>
#include <regex>
#include <set>

namespace classroom {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using Json = nlohmann::json;

constexpr size_t maxNameLength = 80;
constexpr size_t maxSayLength = 500;
constexpr size_t maxLineLength = 200;
constexpr size_t keptEvents = 1000;
// A message up to this many times the limit is read and refused; a larger one closes the connection.
constexpr size_t readLimitFactor = 4;
// A client whose replies pile up (a stalled console) loses its connection rather than the server its memory.
constexpr size_t maxQueued = 1024;

int64_t WallMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

const std::map<std::string, std::string>& ContentTypes() {
  static const std::map<std::string, std::string> types = {
      {".html", "text/html; charset=utf-8"}, {".js", "text/javascript"}, {".css", "text/css"},
      {".wasm", "application/wasm"},         {".data", "application/octet-stream"}, {".png", "image/png"},
      {".jpg", "image/jpeg"},                {".ttf", "font/ttf"},                {".json", "application/json"}};
  return types;
}

// A request's path as a file under the folder, or empty for anything outside it or oddly named.
std::string FileFor(const std::string& folder, std::string path) {
  path = path.substr(0, path.find('?'));
  static const std::regex safe("(/[A-Za-z0-9_][A-Za-z0-9_.-]*)*/?");
  if (!std::regex_match(path, safe)) return {};
  if (path.empty() || path.back() == '/') path += "index.html";
  return folder + path;
}

bool OneLineText(const Json& value, size_t limit) {
  if (!value.is_string()) return false;
  const std::string& text = value.get_ref<const std::string&>();
  if (text.empty() || text.size() > limit) return false;
  for (unsigned char c : text) {
    if (c < ' ' || c == 0x7f) return false;
  }
  return true;
}

// Tokens compared in time independent of where they differ.
bool SameToken(const std::string& given, const std::string& token) {
  if (given.size() != token.size()) return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < token.size(); ++i) difference |= static_cast<unsigned char>(given[i] ^ token[i]);
  return difference == 0;
}

class Client;

struct Trainee {
  int id = 0;
  std::string name;
  std::weak_ptr<Client> client;
  bool online = true;
  Json panel = Json::object();
  Json exercise = Json::object();
  std::string thumb;
  std::deque<Json> events;
};

}  // namespace

struct ClassServer::State : std::enable_shared_from_this<ClassServer::State> {
  State(asio::io_context& context, ServerOptions given, ResultStore& results)
      : io(context), options(std::move(given)), store(results), acceptor(context) {}

  asio::io_context& io;
  ServerOptions options;
  ResultStore& store;
  tcp::acceptor acceptor;
  std::map<int, Trainee> trainees;
  std::set<std::shared_ptr<Client>> instructors;
  Json library = Json::array();
  std::map<std::string, int64_t> refused;  // by kind
  int nextTrainee = 1;

  void Accept();
  void Handle(const std::shared_ptr<Client>& client, const std::string& text);
  void ToInstructors(const Json& message);
  Json TraineeJson(const Trainee& trainee, bool withEvents) const;
  void Refuse(Client& client, const std::string& kind, const std::string& message);
  void Gone(Client& client);
};

namespace {

// One connection: HTTP requests for files until it asks for the WebSocket.
class Client : public std::enable_shared_from_this<Client> {
 public:
  Client(tcp::socket socket, std::shared_ptr<ClassServer::State> server)
      : stream_(std::move(socket)), server_(std::move(server)),
        tokens_(server_->options.burst), refilled_(std::chrono::steady_clock::now()) {}

  void Start() { ReadRequest(); }

  void Send(const Json& message) { Send(std::make_shared<const std::string>(message.dump())); }
  void Send(std::shared_ptr<const std::string> text) {
    if (!ws_ || closing_) return;
    if (queue_.size() >= maxQueued) {
      Close(websocket::close_code::policy_error, "too many messages waiting; reconnect");
      return;
    }
    queue_.push_back(std::move(text));
    if (queue_.size() == 1) Write();
  }

  // After what is queued has been written, as one write may run at a time.
  void Close(websocket::close_code code, const std::string& reason) {
    if (!ws_ || closing_) return;
    closing_ = true;
    closeReason_ = websocket::close_reason(code, reason);
    if (queue_.empty()) SendClose();
  }

  // False once the client has sent more than its burst faster than the rate.
  bool WithinRate() {
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - refilled_).count();
    refilled_ = now;
    tokens_ = std::min(server_->options.burst, tokens_ + seconds * server_->options.perSecond);
    if (tokens_ < 1) return false;
    tokens_ -= 1;
    return true;
  }

  int trainee = 0;
  bool instructor = false;

 private:
  void ReadRequest() {
    request_ = {};
    stream_.expires_after(std::chrono::seconds(30));
    http::async_read(stream_, buffer_, request_, [self = shared_from_this()](beast::error_code error, size_t) {
      if (!error) self->OnRequest();
    });
  }

  void OnRequest() {
    if (websocket::is_upgrade(request_) && request_.target() == "/ws") {
      Upgrade();
      return;
    }
    auto response = std::make_shared<http::response<http::string_body>>(Answer());
    http::async_write(stream_, *response, [self = shared_from_this(), response](beast::error_code error, size_t) {
      if (!error && response->keep_alive()) self->ReadRequest();
    });
  }

  http::response<http::string_body> Answer() const {
    const std::string target(request_.target());
    const auto& options = server_->options;
    std::string file;
    if (target == "/class.json") return Reply(http::status::ok, "application/json", R"({"class":true})");
    if (target == "/console") return Redirect("/console/");
    if (target.rfind("/console/", 0) == 0) file = FileFor(options.consoleFolder, target.substr(8));
    else file = FileFor(options.pageFolder, target);
    if (request_.method() != http::verb::get) return Reply(http::status::method_not_allowed, "text/plain", "GET only\n");
    std::error_code failed;
    if (file.empty() || !std::filesystem::is_regular_file(file, failed)) {
      return Reply(http::status::not_found, "text/plain", "not found: " + target + "\n");
    }
    beast::error_code error;
    http::file_body::value_type body;
    body.open(file.c_str(), beast::file_mode::scan, error);
    std::string text(body.size(), '\0');
    body.file().read(text.data(), text.size(), error);
    const auto type = ContentTypes().find(std::filesystem::path(file).extension().string());
    return Reply(http::status::ok, type == ContentTypes().end() ? "application/octet-stream" : type->second,
                 std::move(text));
  }

  http::response<http::string_body> Reply(http::status status, const std::string& type, std::string body) const {
    http::response<http::string_body> response{status, request_.version()};
    response.set(http::field::server, "qx40-classroom");
    response.set(http::field::content_type, type);
    response.set(http::field::cache_control, "no-cache");
    response.set("X-Content-Type-Options", "nosniff");
    response.keep_alive(request_.keep_alive());
    response.body() = std::move(body);
    response.prepare_payload();
    return response;
  }

  http::response<http::string_body> Redirect(const std::string& to) const {
    auto response = Reply(http::status::moved_permanently, "text/plain", "");
    response.set(http::field::location, to);
    return response;
  }

  void Upgrade() {
    stream_.expires_never();
    ws_.emplace(std::move(stream_));
    ws_->read_message_max(server_->options.messageLimit * readLimitFactor);
    ws_->set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
    ws_->async_accept(request_, [self = shared_from_this()](beast::error_code error) {
      if (!error) self->ReadMessage();
    });
  }

  void ReadMessage() {
    ws_->async_read(message_, [self = shared_from_this()](beast::error_code error, size_t) {
      if (error) {
        if (error == websocket::error::message_too_big) self->server_->refused["too_large"]++;
        self->server_->Gone(*self);
        return;
      }
      const std::string text = beast::buffers_to_string(self->message_.data());
      self->message_.consume(self->message_.size());
      self->server_->Handle(self, text);
      if (!self->closing_) self->ReadMessage();
    });
  }

  void Write() {
    ws_->text(true);
    ws_->async_write(asio::buffer(*queue_.front()), [self = shared_from_this()](beast::error_code error, size_t) {
      if (error) return;
      self->queue_.pop_front();
      if (!self->queue_.empty()) self->Write();
      else if (self->closing_) self->SendClose();
    });
  }

  void SendClose() {
    ws_->async_close(closeReason_, [self = shared_from_this()](beast::error_code) { self->server_->Gone(*self); });
  }

  beast::tcp_stream stream_;
  std::optional<websocket::stream<beast::tcp_stream>> ws_;
  beast::flat_buffer buffer_, message_;
  http::request<http::string_body> request_;
  std::deque<std::shared_ptr<const std::string>> queue_;
  std::shared_ptr<ClassServer::State> server_;
  double tokens_;
  std::chrono::steady_clock::time_point refilled_;
  bool closing_ = false;
  websocket::close_reason closeReason_;
};

}  // namespace

void ClassServer::State::Accept() {
  acceptor.async_accept(asio::make_strand(io), [self = shared_from_this()](beast::error_code error, tcp::socket socket) {
    if (error == asio::error::operation_aborted) return;
    if (!error) std::make_shared<Client>(std::move(socket), self)->Start();
    self->Accept();
  });
}

void ClassServer::State::Refuse(Client& client, const std::string& kind, const std::string& message) {
  refused[kind]++;
  client.Send(Json{{"type", "error"}, {"kind", kind}, {"message", message}});
}

void ClassServer::State::ToInstructors(const Json& message) {
  const auto text = std::make_shared<const std::string>(message.dump());
  for (const auto& instructor : instructors) instructor->Send(text);
}

Json ClassServer::State::TraineeJson(const Trainee& trainee, bool withEvents) const {
  Json json = {{"type", "trainee"},  {"id", trainee.id},           {"name", trainee.name},
               {"online", trainee.online}, {"panel", trainee.panel}, {"exercise", trainee.exercise},
               {"thumb", trainee.thumb}};
  if (!withEvents) return json;
  json["events"] = Json::array();
  for (const Json& event : trainee.events) json["events"].push_back(event);
  return json;
}

void ClassServer::State::Gone(Client& client) {
  instructors.erase(client.shared_from_this());
  const auto found = trainees.find(client.trainee);
  if (found == trainees.end() || !found->second.online) return;
  found->second.online = false;
  ToInstructors(TraineeJson(found->second, false));
}

namespace {

using Handler = std::function<void(ClassServer::State&, const std::shared_ptr<Client>&, const Json&)>;
enum class Role { Anyone, Trainee, Instructor };
struct Kind {
  Role role;
  Handler handle;
};

// The trainee an instructor's message names, or none, refused.
Trainee* Named(ClassServer::State& server, Client& client, const Json& message) {
  const Json& id = message.contains("trainee") ? message["trainee"] : Json();
  const auto found = id.is_number_integer() ? server.trainees.find(id.get<int>()) : server.trainees.end();
  if (found == server.trainees.end()) {
    server.Refuse(client, "no_trainee", "no trainee " + id.dump() + " in the class; choose one of the list");
    return nullptr;
  }
  return &found->second;
}

// To one trainee, or with none named to every trainee; false if a named one is unknown.
bool ToTrainees(ClassServer::State& server, Client& client, const Json& message, const Json& out) {
  const bool whole = !message.contains("trainee") || message["trainee"].is_null() || message["trainee"] == 0;
  if (!whole) {
    Trainee* trainee = Named(server, client, message);
    if (!trainee) return false;
    if (auto connection = trainee->client.lock()) connection->Send(out);
    return true;
  }
  for (auto& [id, trainee] : server.trainees) {
    if (auto connection = trainee.client.lock()) connection->Send(out);
  }
  return true;
}

void Ok(Client& client, const std::string& what) { client.Send(Json{{"type", "ok"}, {"of", what}}); }

Json ClassSnapshot(ClassServer::State& server) {
  Json trainees = Json::array();
  for (const auto& [id, trainee] : server.trainees) trainees.push_back(server.TraineeJson(trainee, false));
  return {{"type", "class"},       {"code", server.options.classCode}, {"trainees", trainees},
          {"library", server.library}, {"results", server.store.Summaries()}};
}

void Join(ClassServer::State& server, const std::shared_ptr<Client>& client, const Json& message) {
  if (client->trainee || client->instructor) {
    server.Refuse(*client, "joined", "this connection has joined already");
    return;
  }
  if (!OneLineText(message.value("name", Json()), maxNameLength)) {
    server.Refuse(*client, "bad_field", "a name of 1 to 80 characters on one line is needed to join");
    return;
  }
  if (!message.value("code", Json()).is_string() || !SameToken(message["code"], server.options.classCode)) {
    server.Refuse(*client, "wrong_code", "that is not the class code; ask the instructor for it");
    return;
  }
  // The page's exercise library, which the console offers to start.
  if (message.contains("library") && message["library"].is_array() && message["library"] != server.library) {
    server.library = message["library"];
    server.ToInstructors(Json{{"type", "library"}, {"library", server.library}});
  }
  const int id = server.nextTrainee++;
  client->trainee = id;
  Trainee& trainee = server.trainees[id];
  trainee.id = id;
  trainee.name = message["name"];
  trainee.client = client;
  client->Send(Json{{"type", "joined"}, {"id", id}});
  server.ToInstructors(server.TraineeJson(trainee, false));
}

void Hello(ClassServer::State& server, const std::shared_ptr<Client>& client, const Json&) {
  client->instructor = true;
  server.instructors.insert(client);
  client->Send(ClassSnapshot(server));
}

void Report(ClassServer::State& server, const std::shared_ptr<Client>& client, const Json& message) {
  Trainee& trainee = server.trainees[client->trainee];
  if (message.contains("panel")) trainee.panel = message["panel"];
  if (message.contains("exercise")) trainee.exercise = message["exercise"];
  if (message.contains("thumb")) {
    const Json& thumb = message["thumb"];
    if (!thumb.is_string() || thumb.get_ref<const std::string&>().rfind("data:image/", 0) != 0) {
      server.Refuse(*client, "bad_field", "thumb must be a data: URL of an image");
      return;
    }
    trainee.thumb = thumb;
  }
  Json update = server.TraineeJson(trainee, false);
  if (message.contains("sent")) update["sent"] = message["sent"];
  server.ToInstructors(update);
}

void Events(ClassServer::State& server, const std::shared_ptr<Client>& client, const Json& message) {
  const Json& events = message.value("events", Json());
  if (!events.is_array()) {
    server.Refuse(*client, "bad_field", "events must be a list");
    return;
  }
  Trainee& trainee = server.trainees[client->trainee];
  for (const Json& event : events) {
    trainee.events.push_back(event);
    if (trainee.events.size() > keptEvents) trainee.events.pop_front();
  }
  server.ToInstructors(Json{{"type", "events"}, {"trainee", trainee.id}, {"events", events}});
}

void Finished(ClassServer::State& server, const std::shared_ptr<Client>& client, const Json& message) {
  const Json& result = message.value("result", Json());
  if (!result.is_object() || !message.value("debrief", Json()).is_string() ||
      !message.value("recording", Json()).is_string()) {
    server.Refuse(*client, "bad_field", "a result needs result (an object), debrief and recording (text)");
    return;
  }
  Result kept;
  kept.trainee = server.trainees[client->trainee].name;
  kept.exercise = result.value("file", "");
  kept.title = result.value("title", "");
  kept.startedMs = result.value("started", WallMs());
  kept.durationMs = result.value("duration_ms", int64_t(0));
  kept.checkpoints = result.value("checkpoints", Json::array());
  kept.debrief = message["debrief"];
  kept.recording = message["recording"];
  const int64_t id = server.store.Add(kept);
  Ok(*client, "result");
  Json summary = {{"type", "result"},        {"id", id},
                  {"trainee", kept.trainee}, {"trainee_id", client->trainee},
                  {"exercise", kept.exercise}, {"title", kept.title},
                  {"started", kept.startedMs}, {"duration_ms", kept.durationMs},
                  {"checkpoints", kept.checkpoints}};
  server.ToInstructors(summary);
}

// A hidden fault: one line that sets an input of the hardware window, as if wired that way.
void Fault(ClassServer::State& server, const std::shared_ptr<Client>& client, const Json& message) {
  static const std::regex input(R"((level|click) (frmHardwareControl\.)?[A-Za-z0-9]+( [A-Za-z0-9. ]+)?)");
  const Json& line = message.value("line", Json());
  if (!OneLineText(line, maxLineLength) || !std::regex_match(line.get<std::string>(), input)) {
    server.Refuse(*client, "bad_field", "line must set one input of the hardware window: level NAME VALUE or click NAME");
    return;
  }
  Trainee* trainee = Named(server, *client, message);
  if (!trainee) return;
  if (auto connection = trainee->client.lock()) connection->Send(Json{{"type", "fault"}, {"line", line}});
  Ok(*client, "fault");
}

void Say(ClassServer::State& server, const std::shared_ptr<Client>& client, const Json& message) {
  const Json& text = message.value("text", Json());
  if (!text.is_string() || text.get_ref<const std::string&>().empty() ||
      text.get_ref<const std::string&>().size() > maxSayLength) {
    server.Refuse(*client, "bad_field", "text must be a message of 1 to 500 characters");
    return;
  }
  if (ToTrainees(server, *client, message, Json{{"type", "say"}, {"text", text}})) Ok(*client, "say");
}

void StartExercise(ClassServer::State& server, const std::shared_ptr<Client>& client, const Json& message) {
  static const std::regex name("[A-Za-z0-9_-]+\\.qxs");
  const Json& file = message.value("file", Json());
  if (!file.is_string() || !std::regex_match(file.get<std::string>(), name)) {
    server.Refuse(*client, "bad_field", "file must be an exercise's file name, as the library lists it");
    return;
  }
  if (ToTrainees(server, *client, message, Json{{"type", "exercise"}, {"file", file}})) Ok(*client, "start");
}

void Debrief(ClassServer::State& server, const std::shared_ptr<Client>& client, const Json& message) {
  const Json& id = message.value("result", Json());
  const std::string page = id.is_number_integer() ? server.store.Debrief(id.get<int64_t>()) : std::string();
  if (page.empty()) {
    server.Refuse(*client, "no_result", "no result " + id.dump() + "; choose one of the list");
    return;
  }
  client->Send(Json{{"type", "debrief"}, {"result", id}, {"html", page}});
}

void Watch(ClassServer::State& server, const std::shared_ptr<Client>& client, const Json& message) {
  if (Trainee* trainee = Named(server, *client, message)) client->Send(server.TraineeJson(*trainee, true));
}

void ResultsCsv(ClassServer::State& server, const std::shared_ptr<Client>& client, const Json&) {
  client->Send(Json{{"type", "csv"}, {"text", server.store.Csv()}});
}

void Stats(ClassServer::State& server, const std::shared_ptr<Client>& client, const Json&) {
  client->Send(Json{{"type", "stats"}, {"refused", server.refused}, {"trainees", server.trainees.size()}});
}

const std::map<std::string, Kind>& Kinds() {
  static const std::map<std::string, Kind> kinds = {
      {"join", {Role::Anyone, Join}},         {"hello", {Role::Instructor, Hello}},
      {"state", {Role::Trainee, Report}},     {"events", {Role::Trainee, Events}},
      {"result", {Role::Trainee, Finished}},  {"fault", {Role::Instructor, Fault}},
      {"say", {Role::Instructor, Say}},       {"start", {Role::Instructor, StartExercise}},
      {"debrief", {Role::Instructor, Debrief}}, {"watch", {Role::Instructor, Watch}},
      {"csv", {Role::Instructor, ResultsCsv}}, {"stats", {Role::Instructor, Stats}}};
  return kinds;
}

}  // namespace

void ClassServer::State::Handle(const std::shared_ptr<Client>& client, const std::string& text) {
  if (!client->WithinRate()) {
    refused["flood"]++;
    client->Send(Json{{"type", "error"}, {"kind", "flood"}, {"message", "too many messages; the connection is closed"}});
    client->Close(websocket::close_code::policy_error, "too many messages");
    return;
  }
  if (text.size() > options.messageLimit) {
    Refuse(*client, "too_large", "a message may have " + std::to_string(options.messageLimit) + " bytes; this one has " +
                                     std::to_string(text.size()));
    return;
  }
  const Json message = Json::parse(text, nullptr, false);
  if (message.is_discarded() || !message.is_object() || !message.value("type", Json()).is_string()) {
    Refuse(*client, "malformed", "a message is a JSON object with a \"type\"");
    return;
  }
  const std::string type = message["type"];
  const auto kind = Kinds().find(type);
  if (kind == Kinds().end()) {
    Refuse(*client, "unknown_type", "unknown message type '" + type.substr(0, 40) + "'");
    return;
  }
  const Role role = kind->second.role;
  if (role == Role::Instructor &&
      !(message.value("token", Json()).is_string() && SameToken(message["token"], options.token))) {
    Refuse(*client, "token", "'" + type + "' is an instructor's action: it needs the instructor's token");
    return;
  }
  if (role == Role::Trainee && !client->trainee) {
    Refuse(*client, "not_joined", "join the class first (type join, with your name and the class code)");
    return;
  }
  if (role == Role::Trainee && message.contains("trainee") && message["trainee"] != client->trainee) {
    Refuse(*client, "not_yours", "a trainee's connection acts on her own panel only");
    return;
  }
  kind->second.handle(*this, client, message);
}

ClassServer::ClassServer(asio::io_context& io, ServerOptions options, ResultStore& store)
    : state_(std::make_shared<State>(io, std::move(options), store)) {
  const tcp::endpoint endpoint(asio::ip::make_address(state_->options.address), state_->options.port);
  state_->acceptor.open(endpoint.protocol());
  state_->acceptor.set_option(asio::socket_base::reuse_address(true));
  state_->acceptor.bind(endpoint);
  state_->acceptor.listen(asio::socket_base::max_listen_connections);
  state_->Accept();
}

ClassServer::~ClassServer() {
  beast::error_code ignored;
  state_->acceptor.close(ignored);
}

unsigned short ClassServer::Port() const { return state_->acceptor.local_endpoint().port(); }

std::string NewToken() {
  std::random_device random;
  std::string token;
  static const char digits[] = "0123456789abcdef";
  for (int i = 0; i < 32; ++i) token += digits[random() % 16];
  return token;
}

std::string NewClassCode() {
  std::random_device random;
  std::string code;
  for (int i = 0; i < 6; ++i) code += char('0' + random() % 10);
  return code;
}

}  // namespace classroom
