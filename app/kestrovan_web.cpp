// kestrovan-web: the print run behind an HTTP API and a Japanese page, so
// any machine in the office with a browser prints drawings on the server.
#include <cups/cups.h>
#include <fcntl.h>
#include <httplib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/web/WebJobs.h"
#include "app/web/WebRecords.h"

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

void Answer(httplib::Response& res, int status, const std::string& json) {
  res.status = status;
  res.set_content(json, "application/json; charset=utf-8");
}

void Fail(httplib::Response& res, int status, const std::string& message) {
  Answer(res, status, web::ErrorJson(message));
}

std::string Base64Decode(const std::string& in) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  int bits = 0;
  uint32_t value = 0;  // the bits not yet written, at most 14 of them
  for (const char c : in) {
    const char* p = c ? std::strchr(kDigits, c) : nullptr;
    if (!p) break;
    value = ((value << 6) | static_cast<uint32_t>(p - kDigits)) & 0x3FFF;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((value >> bits) & 0xFF);
    }
  }
  return out;
}

// Compared in a time that does not tell how much of it matched.
bool SameSecret(const std::string& a, const std::string& b) {
  unsigned char diff = a.size() != b.size();
  for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i % (b.empty() ? 1 : b.size())]);
  return diff == 0 && !b.empty();
}

bool Authorized(const httplib::Request& req, const std::string& password) {
  if (password.empty()) return true;
  const std::string h = req.get_header_value("Authorization");
  if (h.rfind("Bearer ", 0) == 0) return SameSecret(h.substr(7), password);
  if (h.rfind("Basic ", 0) == 0) {
    const std::string pair = Base64Decode(h.substr(6));
    const size_t colon = pair.find(':');
    return colon != std::string::npos && SameSecret(pair.substr(colon + 1), password);
  }
  return false;
}

// A browser sends Origin with a POST from another site's page: such a page
// must not start or print jobs with the credentials the browser keeps.
bool SameOrigin(const httplib::Request& req) {
  if (!req.has_header("Origin")) return true;
  const std::string origin = req.get_header_value("Origin");
  for (const char* header : {"Host", "X-Forwarded-Host"}) {
    const std::string host = req.get_header_value(header);
    if (!host.empty() && (origin == "http://" + host || origin == "https://" + host)) return true;
  }
  return false;
}

// The server's print queues, by name.
std::vector<std::pair<std::string, bool>> Queues(QJsonArray* out) {
  cups_dest_t* dests = nullptr;
  const int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  std::vector<std::pair<std::string, bool>> names;
  for (int i = 0; i < n; ++i) {
    if (dests[i].instance) continue;
    names.emplace_back(dests[i].name, dests[i].is_default != 0);
    if (out) {
      QJsonObject q;
      q["name"] = QString::fromUtf8(dests[i].name);
      q["default"] = dests[i].is_default != 0;
      const char* info = cupsGetOption("printer-info", dests[i].num_options, dests[i].options);
      q["description"] = QString::fromUtf8(info ? info : "");
      out->append(q);
    }
  }
  cupsFreeDests(n, dests);
  return names;
}

struct Upload {
  std::shared_ptr<web::Job> job;
  int file = -1;
  bool field = false;
  std::string fieldName, fieldValue;
  std::vector<std::pair<std::string, std::string>> fields;
  uint64_t fileBytes = 0, total = 0;
  int status = 0;  // a refusal, with its message
  std::string message;

  void Refuse(int s, const std::string& m) {
    if (status == 0) {
      status = s;
      message = m;
    }
    CloseFile();
  }
  void CloseFile() {
    if (file >= 0 && close(file) != 0 && status == 0) Refuse(500, "the server could not keep a drawing");
    file = -1;
  }
  void EndField() {
    if (field) fields.emplace_back(fieldName, fieldValue);
    field = false;
  }
};

std::string Megabytes(uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

void ReceiveJob(web::JobTable& table, const httplib::Request& req, httplib::Response& res,
                const httplib::ContentReader& reader) {
  const web::WebLimits& limits = table.Limits();
  // Read and dropped, so the client hears the answer (a multipart body
  // through the multipart reader: the plain one takes no parts).
  auto drain = [&] {
    const auto skip = [](const char*, size_t) { return true; };
    if (req.is_multipart_form_data())
      reader([](const httplib::MultipartFormData&) { return true; }, skip);
    else
      reader(skip);
  };
  if (!req.is_multipart_form_data()) {
    drain();
    return Fail(res, 400, "send the drawings as multipart/form-data, one part named \"files\" per drawing");
  }
  std::string error;
  Upload up;
  up.job = table.Create(error);
  if (!up.job) {
    drain();
    res.set_header("Retry-After", "60");
    return Fail(res, 503, error);
  }
  web::Job& job = *up.job;
  const bool read = reader(
      [&](const httplib::MultipartFormData& part) {
        up.CloseFile();
        up.EndField();
        up.fileBytes = 0;
        if (up.status) return true;  // read on, so the client hears why
        if (part.name == "files") {
          if (job.Paths.size() >= limits.Files) {
            up.Refuse(413, "more than " + std::to_string(limits.Files) + " drawings in one job; send them as several jobs");
            return true;
          }
          char number[24];
          std::snprintf(number, sizeof number, "%04zu", job.Paths.size() + 1);
          const std::string folder = job.Folder + "/in/" + number;
          const std::string path = folder + "/" + web::KeptFileName(part.filename);
          std::error_code ec;
          fs::create_directory(folder, ec);
          up.file = ec ? -1 : open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
          if (up.file < 0) {
            up.Refuse(500, "the server could not keep a drawing");
            return true;
          }
          job.Names.push_back(part.filename.empty() ? "drawing.jww" : part.filename);
          job.Paths.push_back(path);
        } else if (!part.filename.empty()) {
          up.Refuse(400, "a file was sent as \"" + part.name + "\"; send each drawing as a part named \"files\"");
        } else if (up.fields.size() >= 100) {
          up.Refuse(400, "too many fields");
        } else {
          up.field = true;
          up.fieldName = part.name;
          up.fieldValue.clear();
        }
        return true;
      },
      [&](const char* data, size_t n) {
        up.total += n;
        if (up.total > limits.JobBytes) {
          up.Refuse(413, "the upload is larger than " + Megabytes(limits.JobBytes) +
                             ", the most one job takes; send the drawings as several jobs");
          return false;
        }
        if (up.status) return true;
        if (up.file >= 0) {
          up.fileBytes += n;
          if (up.fileBytes > limits.FileBytes) {
            up.Refuse(413, "\"" + job.Names.back() + "\" is larger than " + Megabytes(limits.FileBytes) +
                               ", the largest drawing this server takes");
            return true;
          }
          while (n > 0) {
            const ssize_t w = write(up.file, data, n);
            if (w <= 0) {
              up.Refuse(507, "the server has no room to keep the drawings");
              return true;
            }
            data += w;
            n -= static_cast<size_t>(w);
          }
        } else if (up.field) {
          up.fieldValue.append(data, n);
          if (up.fieldValue.size() > 4096) up.Refuse(400, "the field \"" + up.fieldName + "\" is too long");
        }
        return true;
      });
  up.CloseFile();
  up.EndField();
  if (!read && !up.status)
    up.Refuse(res.status == 413 ? 413 : 400,
              res.status == 413 ? "the upload is larger than " + Megabytes(limits.JobBytes) +
                                      ", the most one job takes; send the drawings as several jobs"
                                : "the upload is not complete multipart/form-data");
  if (!up.status && job.Paths.empty())
    up.Refuse(400, "no drawings: send each drawing as a part named \"files\"");
  if (!up.status && !web::OptionsFromFields(up.fields, job.Options, error)) up.Refuse(400, error);
  if (up.status) {
    table.Discard(up.job);
    return Fail(res, up.status, up.message);
  }
  table.Enqueue(up.job);
  res.set_header("Location", "/api/jobs/" + job.Id);
  QJsonObject o;
  o["id"] = QString::fromStdString(job.Id);
  Answer(res, 201, QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString());
}

void SendPdf(web::JobTable& table, const std::shared_ptr<web::Job>& job, httplib::Response& res) {
  const std::string path = job->Folder + "/kestrovan.pdf";
  auto file = std::make_shared<std::ifstream>(path, std::ios::binary);
  std::error_code ec;
  const uintmax_t size = fs::file_size(path, ec);
  if (!*file || ec) return Fail(res, 404, "the job's PDF is no longer here");
  res.set_header("Content-Disposition", "attachment; filename=\"kestrovan.pdf\"");
  const std::string id = job->Id;
  res.set_content_provider(
      static_cast<size_t>(size), "application/pdf",
      [file](size_t offset, size_t length, httplib::DataSink& sink) {
        std::vector<char> buffer(std::min<size_t>(length, 1 << 16));
        file->seekg(static_cast<std::streamoff>(offset));
        file->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = file->gcount();
        if (got <= 0) return false;
        sink.write(buffer.data(), static_cast<size_t>(got));
        return true;
      },
      [&table, id](bool success) {
        if (success) table.Fetched(id);
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
  std::string page[3];
  static const char* const kPageFiles[3] = {"index.html", "app.js", "style.css"};
  for (int i = 0; i < 3; ++i) {
    page[i] = ReadFile(config.pageDir + "/" + kPageFiles[i]);
    if (page[i].empty()) {
      std::fprintf(stderr, "kestrovan-web: the page's %s is not in %s\n", kPageFiles[i], config.pageDir.c_str());
      return 2;
    }
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
    httplib::Server server;
    server.set_payload_max_length(static_cast<size_t>(config.limits.JobBytes + (1 << 20)));
    server.set_read_timeout(30);
    server.set_write_timeout(30);
    const std::string password = config.password;

    server.set_pre_routing_handler([&](const httplib::Request& req, httplib::Response& res) {
      res.set_header("X-Content-Type-Options", "nosniff");
      res.set_header("Cache-Control", "no-store");
      if (req.path == "/healthz") return httplib::Server::HandlerResponse::Unhandled;
      if (!Authorized(req, password)) {
        res.set_header("WWW-Authenticate", "Basic realm=\"Kestrovan\", charset=\"UTF-8\"");
        Fail(res, 401, "this server asks for its password");
        return httplib::Server::HandlerResponse::Handled;
      }
      if (req.method != "GET" && req.method != "HEAD" && !SameOrigin(req)) {
        Fail(res, 403, "a page of another site cannot send jobs to this server");
        return httplib::Server::HandlerResponse::Handled;
      }
      return httplib::Server::HandlerResponse::Unhandled;
    });
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
      if (!res.body.empty()) return;
      const int s = res.status;
      Fail(res, s, s == 404   ? "there is no such page here"
                   : s == 413 ? "the upload is larger than this server takes"
                   : s == 405 ? "that method is not taken here"
                              : "the request could not be read");
    });
    server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
      Fail(res, 500, "the server could not answer this request");
    });

    auto servePage = [&](int i, const char* type) {
      return [&page, i, type](const httplib::Request&, httplib::Response& res) {
        res.set_header("Content-Security-Policy",
                       "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'; form-action 'self'");
        res.set_header("X-Frame-Options", "DENY");
        res.set_content(page[i], type);
      };
    };
    server.Get("/", servePage(0, "text/html; charset=utf-8"));
    server.Get("/index.html", servePage(0, "text/html; charset=utf-8"));
    server.Get("/app.js", servePage(1, "text/javascript; charset=utf-8"));
    server.Get("/style.css", servePage(2, "text/css; charset=utf-8"));

    server.Get("/healthz", [&](const httplib::Request&, httplib::Response& res) {
      QJsonObject o;
      o["status"] = "ok";
      o["version"] = KESTROVAN_VERSION;
      o["workers"] = config.limits.Workers;
      o["running"] = static_cast<qint64>(table.Count(web::JobState::Running));
      o["queued"] = static_cast<qint64>(table.Count(web::JobState::Queued));
      Answer(res, 200, QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString());
    });
    server.Post("/api/jobs", [&](const httplib::Request& req, httplib::Response& res,
                                 const httplib::ContentReader& reader) { ReceiveJob(table, req, res, reader); });
    server.Get(R"(/api/jobs/([0-9a-f]{32}))", [&](const httplib::Request& req, httplib::Response& res) {
      const auto job = table.Find(req.matches[1]);
      if (!job) return Fail(res, 404, "there is no such job (a result is kept for a while only)");
      Answer(res, 200, table.Describe(*job));
    });
    server.Get(R"(/api/jobs/([0-9a-f]{32})/pdf)", [&](const httplib::Request& req, httplib::Response& res) {
      const auto job = table.Find(req.matches[1]);
      if (!job) return Fail(res, 404, "there is no such job (a result is kept for a while only)");
      bool hasPdf = false;
      const web::JobState state = table.StateOf(*job, hasPdf);
      if (state != web::JobState::Done && state != web::JobState::Failed)
        return Fail(res, 409, "the job has not finished yet");
      if (!hasPdf) return Fail(res, 404, "the job printed no page, so it has no PDF");
      SendPdf(table, job, res);
    });
    server.Post(R"(/api/jobs/([0-9a-f]{32})/print)", [&](const httplib::Request& req, httplib::Response& res) {
      const auto job = table.Find(req.matches[1]);
      if (!job) return Fail(res, 404, "there is no such job (a result is kept for a while only)");
      std::string queue = req.get_param_value("queue");
      if (queue.empty() && req.has_file("queue")) queue = req.get_file_value("queue").content;
      if (queue.empty()) return Fail(res, 400, "name the print queue: queue=NAME (GET /api/queues lists them)");
      bool hasPdf = false;
      const web::JobState state = table.StateOf(*job, hasPdf);
      if (state != web::JobState::Done && state != web::JobState::Failed)
        return Fail(res, 409, "the job has not finished yet");
      if (!hasPdf) return Fail(res, 404, "the job printed no page, so there is nothing to send");
      bool known = false;
      for (const auto& [name, isDefault] : Queues(nullptr)) known = known || name == queue;
      if (!known) return Fail(res, 400, "this server has no print queue \"" + queue + "\"");
      // The job's title in the queue: its first drawing, and how many more.
      const size_t more = job->Names.size() - 1;
      const std::string title = "Kestrovan " + job->Names.front() +
                                (more > 0 ? " +" + std::to_string(more) : std::string());
      const int cupsJob = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.c_str(), (job->Folder + "/kestrovan.pdf").c_str(),
                                         title.c_str(), 0, nullptr);
      if (cupsJob <= 0) return Fail(res, 502, std::string("the print queue did not take the job: ") + cupsLastErrorString());
      QJsonObject o;
      o["queue"] = QString::fromStdString(queue);
      o["cups_job"] = cupsJob;
      Answer(res, 200, QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString());
    });
    server.Get("/api/queues", [&](const httplib::Request&, httplib::Response& res) {
      QJsonArray list;
      Queues(&list);
      QJsonObject o;
      o["queues"] = list;
      Answer(res, 200, QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString());
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
