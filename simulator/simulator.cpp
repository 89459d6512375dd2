#include "simulator/simulator.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <optional>

#include "simulator/control/controlapi.h"
#include "simulator/control/faultinjector.h"
#include "simulator/control/randomfaults.h"
#include "simulator/control/stopsignal.h"
#include "simulator/fql/usertable.h"
#include "simulator/http/accessguard.h"
#include "simulator/http/incomingrequest.h"
#include "simulator/http/requestlog.h"
#include "simulator/http/simhttpserver.h"
#include "simulator/http/textcase.h"
#include "simulator/http/wirefault.h"
#include "simulator/rest/callsignature.h"
#include "simulator/rest/resterror.h"
#include "simulator/rest/restservice.h"
#include "simulator/simstate.h"
#include "simulator/site/adserver.h"
#include "simulator/site/loginpages.h"
#include "simulator/site/mobilesite.h"
#include "simulator/world/picturecache.h"
#include "simulator/world/simclock.h"
#include "simulator/world/statefile.h"
#include "simulator/world/worldgenerator.h"

namespace sim {
namespace {

constexpr const char* kXmlType = "text/xml; charset=utf-8";
// A thread keeps an answer buffer up to this size for its next answer.
constexpr size_t kMaxKeptAnswer = 16 * 1024 * 1024;

void apply(const PageReply& page, httplib::Response& res) {
  res.status = page.status;
  if (!page.location.empty()) res.set_header("Location", page.location);
  res.set_content(page.body, page.contentType.c_str());
}

// The number of a path made of `prefix`, decimal digits and ".jpg" or ".php":
// "/photos/42.jpg" with the prefix "/photos/" gives 42.
bool parseNumberedPath(std::string_view path, std::string_view prefix, int64_t& number) {
  if (!startsWith(path, prefix) || path.size() < prefix.size() + 5) return false;
  std::string_view digits = path.substr(prefix.size());
  if (digits.substr(digits.size() - 4) != ".jpg" && digits.substr(digits.size() - 4) != ".php")
    return false;
  digits.remove_suffix(4);
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  return ec == std::errc() && ptr == digits.data() + digits.size() && number >= 0;
}

}  // namespace

class Simulator::Impl {
 public:
  Impl(const SimOptions& options, Clock clock)
      : options_(options),
        clock_(std::move(clock)),
        state_(options),
        faults_(options.seed),
        pictures_(options.seed),
        rest_(state_),
        mobile_(state_),
        login_(state_),
        controlToken_(options.controlToken.empty() ? AccessGuard::newToken()
                                                   : options.controlToken),
        control_(state_, faults_, chaos_, log_, options.seed, controlToken_, clock_,
                 [this](bool sessions) { reset(sessions); }) {
    if (controlToken_.empty()) error_ = "cannot make a control token: no random source";
    state_.origin = {options.seed, options.friends, clock_()};
    state_.world = WorldGenerator::generate(state_.origin);
    chaos_.configure(startChaos());
    if (!options.stateFile.empty()) {
      stateFile_.emplace(options.stateFile);
      std::string note;
      if (!stateFile_->load(state_, options_, clock_(), error_, note))
        error_ = "cannot read the state file " + error_;
      if (!note.empty()) std::fprintf(stderr, "socialsim: %s\n", note.c_str());
    }
    server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      return refuseForeign(req, res);
    });
    server_.Get(".*",
                [this](const httplib::Request& req, httplib::Response& res) { handle(req, res); });
    server_.Post(".*",
                 [this](const httplib::Request& req, httplib::Response& res) { handle(req, res); });
  }

  // Why the server cannot start, or empty.
  std::string& error() { return error_; }
  // The first write of the state file, before any request: a file that cannot be written is
  // found at the start, not after the first login.
  bool writeState() {
    if (!stateFile_) return true;
    std::string why;
    if (stateFile_->saveIfChanged(state_, why)) return true;
    error_ = "cannot write the state file " + why;
    return false;
  }

  SimHttpServer& server() { return server_; }
  const SimOptions& options() const { return options_; }
  const std::string& controlToken() const { return controlToken_; }
  // Before the server thread starts, which then sees it.
  void setPort(int port) {
    port_ = port;
    state_.baseUrl = "http://127.0.0.1:" + std::to_string(port);
  }
  void stopping() { stopSignal_.stop(); }

 private:
  ChaosSettings startChaos() const {
    ChaosSettings settings;
    settings.rate = options_.chaosRate;
    settings.seed = options_.seed;
    return settings;
  }

  void reset(bool dropSessions) {
    faults_.clear();
    chaos_.configure(startChaos());
    log_.clear();
    std::lock_guard<std::mutex> lock(state_.mutex);
    state_.origin = {options_.seed, options_.friends, clock_()};
    state_.world = WorldGenerator::generate(state_.origin);
    state_.uploads.clear();
    state_.autoLogin = options_.autoLogin;
    state_.answers = SiteAnswers{};
    if (dropSessions) {
      state_.sessions = SessionStore(options_.sessionLifetime);
    } else {
      state_.sessions.setLifetime(options_.sessionLifetime);
    }
    state_.changed();
  }

  // Written before the answer leaves, so a client never holds a session that a restart
  // would forget.
  void saveState() {
    if (!stateFile_) return;
    std::string why;
    if (!stateFile_->saveIfChanged(state_, why))
      std::fprintf(stderr, "socialsim: cannot write the state file %s\n", why.c_str());
  }

  // An injected fault for this request, else a random one for a REST call or a picture.
  std::optional<FaultRule> faultFor(const IncomingRequest& in, const std::string& restMethod,
                                    bool& random) {
    const std::string* query =
        restMethod == kFqlMethod ? findField(in.bodyFields, "query") : nullptr;
    if (auto rule = faults_.take({restMethod, in.path, query})) return rule;
    const bool rest = in.path == "/restserver.php";
    if (!rest && !startsWith(in.path, "/pics/")) return std::nullopt;
    auto rule = chaos_.draw(rest);
    random = rule.has_value();
    return rule;
  }

  // Every route, before anything else reads the request: a browser sends the name it was
  // given, so a foreign Host is a page that has had its name rebound to this address.
  httplib::Server::HandlerResponse refuseForeign(const httplib::Request& req,
                                                 httplib::Response& res) const {
    if (req.get_header_value_count("Host") == 1 &&
        AccessGuard::isOwnHost(req.get_header_value("Host"), port_))
      return httplib::Server::HandlerResponse::Unhandled;
    WireFault::request({WireFault::Kind::CloseAfterAnswer, 0});
    res.status = 403;
    res.set_content(
        "<html><body><h1>403 Forbidden</h1><p>socialsim answers requests to "
        "127.0.0.1 or localhost at its port only.</p></body></html>\n",
        "text/html");
    return httplib::Server::HandlerResponse::Handled;
  }

  void handle(const httplib::Request& req, httplib::Response& res) {
    IncomingRequest in = IncomingRequest::from(req);
    if (startsWith(in.path, "/_sim/")) {
      apply(control_.handle(in, req.get_header_value(AccessGuard::kTokenHeader)), res);
      saveState();
      return;
    }
    LoggedRequest entry;
    entry.time = clock_();
    entry.httpMethod = in.httpMethod;
    entry.path = in.path;
    entry.query = in.query;
    entry.contentType = in.contentType;
    entry.remoteAddr = in.remoteAddr;
    entry.params = in.fields();
    entry.bodySize = req.body.size();
    if (!in.multipart && !in.isJson) entry.body = req.body.substr(0, 65536);
    for (const MultipartPart& f : in.files)
      entry.files.push_back(
          {f.name, f.filename, f.contentType, f.data.size(), CallSignature::md5Hex(f.data)});
    const bool isRest = in.path == "/restserver.php";
    if (isRest) {
      if (const std::string* method = findField(in.bodyFields, "method"))
        entry.restMethod = *method;
    }

    const auto fault = faultFor(in, entry.restMethod, entry.chaos);
    if (fault) {
      entry.fault = FaultInjector::actionName(fault->action);
      if (fault->delayMs > 0) stopSignal_.waitFor(std::chrono::milliseconds(fault->delayMs));
    }
    if (fault && fault->action == FaultAction::Close) {
      WireFault::request({WireFault::Kind::CloseWithoutAnswer, 0});
      res.set_content("", "text/plain");
    } else if (fault && fault->action == FaultAction::Http500) {
      res.status = 500;
      res.set_content("<html><body><h1>500 Internal Server Error</h1></body></html>\n",
                      "text/html");
    } else if (fault && fault->action == FaultAction::Http404) {
      res.status = 404;
      res.set_content("<html><body><h1>404 Not Found</h1></body></html>\n", "text/html");
    } else if (fault && fault->action == FaultAction::Error) {
      entry.errorCode = fault->errorCode;
      res.set_content(RestError::document(fault->errorCode, in.fields()), kXmlType);
    } else {
      dispatch(in, req, res, entry, isRest);
      const size_t length = res.body.empty() ? res.content_length_ : res.body.size();
      if (fault && fault->action == FaultAction::Cut)
        WireFault::request({WireFault::Kind::CutBody, length / 2});
      if (fault && fault->action == FaultAction::Truncate)
        WireFault::request({WireFault::Kind::EndBodyEarly, faults_.cutPoint(*fault, length)});
    }
    // A connection closed on purpose carries no status at all.
    const bool closed = fault && fault->action == FaultAction::Close;
    entry.status = closed ? 0 : (res.status < 0 ? 200 : res.status);
    log_.add(std::move(entry));
    saveState();
  }

  void dispatch(const IncomingRequest& in, const httplib::Request& req, httplib::Response& res,
                LoggedRequest& entry, bool isRest) {
    const std::string& path = in.path;
    const bool post = in.httpMethod == "POST";
    if (isRest && post) {
      if (!in.malformed.empty()) {
        entry.errorCode = kErrorInvalidParameter;
        entry.detail = in.malformed;
        res.set_content(RestError::document(kErrorInvalidParameter, in.bodyFields), kXmlType);
        return;
      }
      // One answer buffer per thread, kept between requests so that its pages stay mapped
      // (see RestService::handle); the answer is written to the client straight from it.
      thread_local std::string t_answer;
      const RestReply reply = rest_.handle(RestCall{in.bodyFields, in.files}, clock_(), t_answer);
      entry.signatureValid = reply.signatureValid;
      entry.errorCode = reply.errorCode;
      entry.detail = reply.detail;
      const size_t length = t_answer.size();
      res.set_content_provider(
          length, kXmlType, [length](size_t offset, size_t size, httplib::DataSink& sink) {
            const bool written = sink.write(t_answer.data() + offset, size);
            if (offset + size >= length && t_answer.capacity() > kMaxKeptAnswer)
              std::string().swap(t_answer);
            return written;
          });
      return;
    }
    if (path == "/login.php") {
      apply(post ? login_.post(in.fields()) : login_.get(in.queryFields), res);
      return;
    }
    if (path == "/ad_source.php") {
      serveAd(res);
      return;
    }
    if (path == "/verify/ip.php") {
      std::lock_guard<std::mutex> lock(state_.mutex);
      res.set_content(state_.answers.ipAnswer.value_or(req.remote_addr), "text/plain");
      return;
    }
    int64_t number = 0;
    if (startsWith(path, "/pics/") && path.size() > 7) {
      PictureKind kind;
      if (PictureCache::kindFromLetter(path[6], kind) &&
          parseNumberedPath(path, path.substr(0, 7), number)) {
        servePicture(kind, number, res);
        return;
      }
    }
    if (parseNumberedPath(path, "/photos/", number)) {
      std::lock_guard<std::mutex> lock(state_.mutex);
      if (const Upload* upload = state_.uploads.find(number)) {
        res.set_content(upload->bytes, "image/jpeg");
        return;
      }
    }
    if (parseNumberedPath(path, "/ads/", number) && number < AdServer::adCount()) {
      if (auto page = AdServer::landingPage(static_cast<int>(number))) {
        res.set_content(*page, "text/html; charset=utf-8");
        return;
      }
    }
    if (auto page = mobile_.page(path, in.queryFields)) {
      apply(*page, res);
      return;
    }
    res.status = 404;
    res.set_content("<html><body><h1>404 Not Found</h1></body></html>\n", "text/html");
  }

  void serveAd(httplib::Response& res) {
    std::optional<std::string> fixed;
    {
      std::lock_guard<std::mutex> lock(state_.mutex);
      fixed = state_.answers.adHtml;
      res.status = state_.answers.adStatus;
    }
    res.set_content(fixed ? *fixed : ads_.nextAd(state_.baseUrl), "text/html; charset=utf-8");
  }

  void servePicture(PictureKind kind, int64_t uid, httplib::Response& res) {
    PictureSize size;
    {
      std::lock_guard<std::mutex> lock(state_.mutex);
      const Person* person = state_.world.findPerson(uid);
      if (!person) {
        res.status = 404;
        res.set_content("no such picture\n", "text/plain");
        return;
      }
      size = kind == PictureKind::Square     ? person->squarePic
             : kind == PictureKind::Standard ? person->pic
                                             : person->bigPic;
    }
    const auto picture = pictures_.get(kind, uid, size.width, size.height);
    res.set_content(*picture, "image/jpeg");
  }

  SimOptions options_;
  Clock clock_;
  SimState state_;
  FaultInjector faults_;
  RandomFaults chaos_;
  RequestLog log_;
  PictureCache pictures_;
  AdServer ads_;
  RestService rest_;
  MobileSite mobile_;
  LoginPages login_;
  std::string controlToken_;
  ControlApi control_;
  int port_ = 0;
  StopSignal stopSignal_;
  std::optional<StateFile> stateFile_;
  std::string error_;
  SimHttpServer server_;
};

Simulator::Simulator(const SimOptions& options, Clock clock)
    : impl_(std::make_unique<Impl>(options, std::move(clock))) {}

Simulator::~Simulator() { stop(); }

bool Simulator::start() {
  if (thread_.joinable()) return true;
  if (!impl_->error().empty() || !impl_->writeState()) return false;
  SimHttpServer& server = impl_->server();
  const int wanted = impl_->options().port;
  const std::string cannotListen = "cannot listen on 127.0.0.1:" + std::to_string(wanted);
  // Only the loopback interface: the server has no business on a real network.
  if (wanted == 0) {
    port_ = server.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
      impl_->error() = cannotListen;
      return false;
    }
  } else {
    if (!server.bind_to_port("127.0.0.1", wanted)) {
      impl_->error() = cannotListen;
      return false;
    }
    port_ = wanted;
  }
  impl_->setPort(port_);
  thread_ = std::thread([&server] { server.listen_after_bind(); });
  // stop() only reaches a server that is running, so wait until it does.
  for (int i = 0; i < 5000 && !server.is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

const std::string& Simulator::error() const { return impl_->error(); }

const std::string& Simulator::controlToken() const { return impl_->controlToken(); }

void Simulator::stop() {
  if (!thread_.joinable()) return;
  impl_->stopping();
  impl_->server().stop();
  thread_.join();
}

std::string Simulator::baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

}  // namespace sim
