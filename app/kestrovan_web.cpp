// kestrovan-web: the print run behind an HTTP API and a Japanese page, so
// any machine in the office with a browser prints drawings on the server.
#include <httplib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/web/WebJobs.h"
#include "app/web/WebService.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: kestrovan-web [options]\n"
    "Prints drawings sent from a browser or a script: a Japanese page at / and an HTTP API\n"
    "(POST /api/jobs, GET /api/jobs/ID, GET /api/jobs/ID/pdf, POST /api/jobs/ID/print,\n"
    "GET /api/queues, GET /healthz). Each job runs kestrovan-print in a process of its own.\n"
    "\n"
    "  --listen ADDR:PORT      where to listen (127.0.0.1:8631; 0.0.0.0:8631 for the network)\n"
    "  --password-file FILE    ask for the password in FILE's first line (HTTP Basic with any\n"
    "                          user name, or Authorization: Bearer PASSWORD); the variable\n"
    "                          KESTROVAN_WEB_PASSWORD does the same\n"
    "  --workers N             jobs printed at once (the number of cores)\n"
    "  --max-file-mb N         largest drawing (100)\n"
    "  --max-files N           drawings in one job (500)\n"
    "  --max-job-mb N          largest upload (1024)\n"
    "  --max-waiting N         jobs waiting for a worker (20)\n"
    "  --keep-minutes N        a result not fetched is removed after N minutes (60)\n"
    "  --keep-fetched-seconds N   a fetched result is removed after N seconds (300)\n"
    "  --job-minutes N         a job running longer is stopped (30)\n"
    "  --temp DIR              where the service makes its private folder ($TMPDIR or /tmp)\n"
    "  --print-program PATH    kestrovan-print (the one beside this program)\n"
    "  --page-dir DIR          the page's files (installed with the program)\n"
    "  --version\n";

struct Config {
  std::string host = "127.0.0.1";
  int port = 8631;
  std::string password;
  std::string temp;
  std::string print;
  std::string pageDir;
  web::WebLimits limits;
};

std::string ProgramFolder() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : self.parent_path().string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Number(const std::string& v, long min, long max, long& out) {
  char* end = nullptr;
  out = std::strtol(v.c_str(), &end, 10);
  return !v.empty() && *end == '\0' && out >= min && out <= max;
}

bool Parse(int argc, char** argv, Config& c, std::string& error) {
  c.limits.Workers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    }
    if (a == "--version") {
      std::printf("kestrovan-web %s\n", KESTROVAN_VERSION);
      std::exit(0);
    }
    if (i + 1 >= argc) {
      error = a.rfind("--", 0) == 0 ? a + " needs a value" : "unknown argument " + a;
      return false;
    }
    const std::string v = argv[++i];
    long n = 0;
    auto number = [&](long min, long max) {
      if (Number(v, min, max, n)) return true;
      error = a + " takes a whole number " + std::to_string(min) + ".." + std::to_string(max) + ", not \"" + v + "\"";
      return false;
    };
    if (a == "--listen") {
      const size_t colon = v.rfind(':');
      if (colon == std::string::npos || colon == 0 || !Number(v.substr(colon + 1), 0, 65535, n)) {
        error = "--listen takes ADDR:PORT (127.0.0.1:8631, 0.0.0.0:8631, [::1]:8631), not \"" + v + "\"";
        return false;
      }
      c.host = v.substr(0, colon);
      if (c.host.size() > 2 && c.host.front() == '[' && c.host.back() == ']') c.host = c.host.substr(1, c.host.size() - 2);
      c.port = static_cast<int>(n);
    } else if (a == "--password-file") {
      std::ifstream in(v);
      if (!in || !std::getline(in, c.password) || c.password.empty()) {
        error = "--password-file: no password in the first line of " + v;
        return false;
      }
      if (!c.password.empty() && c.password.back() == '\r') c.password.pop_back();
    } else if (a == "--workers") {
      if (!number(1, 256)) return false;
      c.limits.Workers = static_cast<int>(n);
    } else if (a == "--max-file-mb") {
      if (!number(1, 1 << 20)) return false;
      c.limits.FileBytes = static_cast<uint64_t>(n) << 20;
    } else if (a == "--max-files") {
      if (!number(1, 100000)) return false;
      c.limits.Files = static_cast<size_t>(n);
    } else if (a == "--max-job-mb") {
      if (!number(1, 1 << 22)) return false;
      c.limits.JobBytes = static_cast<uint64_t>(n) << 20;
    } else if (a == "--max-waiting") {
      if (!number(0, 100000)) return false;
      c.limits.Waiting = static_cast<size_t>(n);
    } else if (a == "--keep-minutes") {
      if (!number(0, 100000)) return false;
      c.limits.KeepMinutes = static_cast<int>(n);
    } else if (a == "--keep-fetched-seconds") {
      if (!number(0, 1000000)) return false;
      c.limits.KeepFetchedSeconds = static_cast<int>(n);
    } else if (a == "--job-minutes") {
      if (!number(1, 100000)) return false;
      c.limits.JobMinutes = static_cast<int>(n);
    } else if (a == "--temp") {
      c.temp = v;
    } else if (a == "--print-program") {
      c.print = v;
    } else if (a == "--page-dir") {
      c.pageDir = v;
    } else {
      error = "unknown option " + a;
      return false;
    }
  }
  if (c.password.empty()) {
    const char* p = std::getenv("KESTROVAN_WEB_PASSWORD");
    if (p) c.password = p;
  }
  if (c.print.empty()) c.print = ProgramFolder() + "/kestrovan-print";
  if (c.pageDir.empty()) {
    const std::string installed = ProgramFolder() + "/../share/kestrovan/web";
    std::error_code ec;
    c.pageDir = fs::is_regular_file(installed + "/index.html", ec) ? installed : KESTROVAN_WEB_PAGE_SOURCE;
  }
  if (c.temp.empty()) {
    const char* t = std::getenv("TMPDIR");
    c.temp = t && *t ? t : "/tmp";
  }
  return true;
}

// The HTTP server's request as the service's record.
web::Request RequestOf(const httplib::Request& req) {
  web::Request r;
  r.Method = req.method;
  r.Path = req.path;
  for (const auto& [k, v] : req.headers) r.Headers.emplace_back(k, v);
  for (const auto& [k, v] : req.params) r.Params.emplace_back(k, v);
  // A form's fields sent as multipart/form-data.
  for (const auto& [k, f] : req.files)
    if (f.filename.empty()) r.Params.emplace_back(k, f.content);
  return r;
}

// The service's answer as the HTTP server's response.
void Respond(const web::Answer& a, httplib::Response& res) {
  res.status = a.Status;
  for (const auto& [k, v] : a.Headers) res.set_header(k, v);
  if (a.File.empty()) {
    res.set_content(a.Body, a.ContentType);
    return;
  }
  auto file = std::make_shared<std::ifstream>(a.File, std::ios::binary);
  std::error_code ec;
  const uintmax_t size = fs::file_size(a.File, ec);
  if (!*file || ec) {
    const web::Answer gone = web::Service::Error(404, words::WebProblem::NoSuchJob, "the job's PDF is no longer here");
    res.status = gone.Status;
    res.set_content(gone.Body, gone.ContentType);
    return;
  }
  const std::function<void()> sent = a.Sent;
  res.set_content_provider(
      static_cast<size_t>(size), a.ContentType,
      [file](size_t offset, size_t length, httplib::DataSink& sink) {
        std::vector<char> buffer(std::min<size_t>(length, 1 << 16));
        file->seekg(static_cast<std::streamoff>(offset));
        file->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = file->gcount();
        if (got <= 0) return false;
        sink.write(buffer.data(), static_cast<size_t>(got));
        return true;
      },
      [sent](bool success) {
        if (success && sent) sent();
      });
}

}  // namespace

int main(int argc, char** argv) {
  Config config;
  std::string error;
  if (!Parse(argc, argv, config, error)) {
    std::fprintf(stderr, "kestrovan-web: %s\n\n%s", error.c_str(), kUsage);
    return 2;
  }
  web::PageFiles page{ReadFile(config.pageDir + "/index.html"), ReadFile(config.pageDir + "/app.js"),
                      ReadFile(config.pageDir + "/style.css")};
  for (const auto& [name, text] : {std::pair<const char*, std::string*>{"index.html", &page.Html},
                                   {"app.js", &page.Script}, {"style.css", &page.Style}})
    if (text->empty()) {
      std::fprintf(stderr, "kestrovan-web: the page's %s is not in %s\n", name, config.pageDir.c_str());
      return 2;
    }
  if (access(config.print.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "kestrovan-web: the print program %s cannot be run\n", config.print.c_str());
    return 2;
  }
  // Everything the service and its children write is theirs alone.
  umask(077);
  const std::string pattern = config.temp + "/kestrovan-web-XXXXXX";
  std::vector<char> root(pattern.begin(), pattern.end());
  root.push_back('\0');
  if (!mkdtemp(root.data())) {
    std::fprintf(stderr, "kestrovan-web: cannot make a private folder in %s\n", config.temp.c_str());
    return 2;
  }
  const std::string rootFolder = root.data();

  // Signals are taken by one thread, which stops the server; every other
  // thread starts with them blocked (the print children get them back).
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&stopSignals, s);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  int status = 0;
  {
    web::JobTable table(rootFolder, config.print, config.limits);
    web::Service service(table, page, config.password, KESTROVAN_VERSION);
    httplib::Server server;
    server.set_payload_max_length(static_cast<size_t>(config.limits.JobBytes + (1 << 20)));
    server.set_read_timeout(30);
    server.set_write_timeout(30);

    server.set_pre_routing_handler([&](const httplib::Request& req, httplib::Response& res) {
      res.set_header("X-Content-Type-Options", "nosniff");
      res.set_header("Cache-Control", "no-store");
      if (const std::optional<web::Answer> refused = service.Gate(RequestOf(req))) {
        Respond(*refused, res);
        return httplib::Server::HandlerResponse::Handled;
      }
      return httplib::Server::HandlerResponse::Unhandled;
    });
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
      if (res.body.empty()) Respond(web::Service::ErrorAnswer(res.status), res);
    });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
      Respond(web::Service::ErrorAnswer(500), res);
    });
    const auto handle = [&](const httplib::Request& req, httplib::Response& res) {
      Respond(service.Handle(RequestOf(req)), res);
    };
    server.Get(".*", handle);
    server.Post(R"(/api/jobs/[0-9a-f]{32}/print)", handle);
    server.Post("/api/jobs", [&](const httplib::Request& req, httplib::Response& res,
                                 const httplib::ContentReader& reader) {
      bool tooLarge = false;
      const web::PartReader parts = [&](const std::function<bool(const web::PartHead&)>& head,
                                        const std::function<bool(const char*, size_t)>& data) {
        bool read;
        if (req.is_multipart_form_data())
          read = reader([&](const httplib::MultipartFormData& part) { return head({part.name, part.filename}); },
                        [&](const char* p, size_t n) { return data(p, n); });
        else
          read = reader([&](const char* p, size_t n) { return data(p, n); });
        tooLarge = !read && res.status == 413;
        return read;
      };
      web::Answer answer = service.ReceiveJob(RequestOf(req), req.is_multipart_form_data(), parts);
      // Larger than the server reads at all: said as such.
      if (tooLarge && answer.Status == 400) answer = web::Service::ErrorAnswer(413);
      Respond(answer, res);
    });

    int port = config.port;
    const bool bound = port == 0 ? (port = server.bind_to_any_port(config.host)) > 0
                                 : server.bind_to_port(config.host, port);
    if (!bound) {
      std::fprintf(stderr, "kestrovan-web: cannot listen on %s:%d\n", config.host.c_str(), config.port);
      status = 2;
    } else {
      const bool v6 = config.host.find(':') != std::string::npos;
      std::printf("kestrovan-web: listening on http://%s%s%s:%d/\n", v6 ? "[" : "", config.host.c_str(), v6 ? "]" : "",
                  port);
      std::fflush(stdout);
      std::thread stopper([&] {
        int sig = 0;
        sigwait(&stopSignals, &sig);
        server.stop();
      });
      server.listen_after_bind();
      // Stopped other than by a signal: wake the signal thread.
      kill(getpid(), SIGTERM);
      stopper.join();
    }
    table.Shutdown();
  }
  std::error_code ignored;
  fs::remove_all(rootFolder, ignored);
  return status;
}
