#include "app/web/WebService.h"

#include <cups/cups.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <regex>

#include <nlohmann/json.hpp>

#include "app/web/WebRecords.h"
#include "util/Strings.h"

namespace web {
namespace fs = std::filesystem;
using Json = nlohmann::json;
using words::WebProblem;

namespace {

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

Answer JsonAnswer(int status, const Json& body) {
  Answer a;
  a.Status = status;
  a.ContentType = "application/json; charset=utf-8";
  a.Body = body.dump(-1, ' ', false, Json::error_handler_t::replace);
  return a;
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

bool Authorized(const Request& req, const std::string& password) {
  if (password.empty()) return true;
  const std::string h = req.Header("Authorization");
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
bool SameOrigin(const Request& req) {
  if (!req.HasHeader("Origin")) return true;
  const std::string origin = req.Header("Origin");
  for (const char* header : {"Host", "X-Forwarded-Host"}) {
    const std::string host = req.Header(header);
    if (!host.empty() && (origin == "http://" + host || origin == "https://" + host)) return true;
  }
  return false;
}

std::string Megabytes(uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

// An upload as it is read: the drawing being kept, the field being read,
// and the first refusal (read on after it, so the client hears why).
struct Upload {
  std::shared_ptr<Job> job;
  int file = -1;
  bool field = false;
  std::string fieldName, fieldValue;
  std::vector<std::pair<std::string, std::string>> fields;
  uint64_t fileBytes = 0, total = 0;
  int status = 0;
  WebProblem kind = WebProblem::BadRequest;
  std::string message;

  void Refuse(int s, WebProblem k, const std::string& m) {
    if (status == 0) {
      status = s;
      kind = k;
      message = m;
    }
    CloseFile();
  }
  void CloseFile() {
    if (file >= 0 && close(file) != 0 && status == 0)
      Refuse(500, WebProblem::ServerFolder, "the server could not keep a drawing");
    file = -1;
  }
  void EndField() {
    if (field) fields.emplace_back(fieldName, fieldValue);
    field = false;
  }
};

}  // namespace

std::string Request::Header(const std::string& name) const {
  for (const auto& [k, v] : Headers)
    if (SameName(k, name)) return v;
  return std::string();
}

bool Request::HasHeader(const std::string& name) const {
  for (const auto& [k, v] : Headers)
    if (SameName(k, name)) return true;
  return false;
}

std::string Request::Param(const std::string& name) const {
  for (const auto& [k, v] : Params)
    if (k == name) return v;
  return std::string();
}

std::vector<QueueInfo> PrintQueues() {
  cups_dest_t* dests = nullptr;
  const int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  std::vector<QueueInfo> queues;
  for (int i = 0; i < n; ++i) {
    if (dests[i].instance) continue;
    const char* info = cupsGetOption("printer-info", dests[i].num_options, dests[i].options);
    queues.push_back({dests[i].name, dests[i].is_default != 0, info ? info : ""});
  }
  cupsFreeDests(n, dests);
  return queues;
}

Service::Service(JobTable& table, PageFiles page, std::string password, std::string version)
    : table_(table), page_(std::move(page)), password_(std::move(password)), version_(std::move(version)) {}

Answer Service::Error(int status, WebProblem kind, const std::string& english) {
  Answer a;
  a.Status = status;
  a.ContentType = "application/json; charset=utf-8";
  a.Body = ErrorJson(kind, english);
  return a;
}

Answer Service::ErrorAnswer(int status) {
  switch (status) {
    case 404:
      return Error(status, WebProblem::NoSuchPage, "there is no such page here");
    case 413:
      return Error(status, WebProblem::JobTooLarge, "the upload is larger than this server takes");
    case 405:
      return Error(status, WebProblem::MethodNotAllowed, "that method is not taken here");
    case 500:
      return Error(status, WebProblem::ServerError, "the server could not answer this request");
    default:
      return Error(status, WebProblem::BadRequest, "the request could not be read");
  }
}

std::optional<Answer> Service::Gate(const Request& req) const {
  if (req.Path == "/healthz") return std::nullopt;  // monitoring needs no password
  if (!Authorized(req, password_)) {
    Answer a = Error(401, WebProblem::PasswordNeeded, "this server asks for its password");
    a.Headers.emplace_back("WWW-Authenticate", "Basic realm=\"Kestrovan\", charset=\"UTF-8\"");
    return a;
  }
  if (req.Method != "GET" && req.Method != "HEAD" && !SameOrigin(req))
    return Error(403, WebProblem::OtherSite, "a page of another site cannot send jobs to this server");
  return std::nullopt;
}

Answer Service::Handle(const Request& req) {
  static const std::regex kJob(R"(/api/jobs/([0-9a-f]{32}))");
  static const std::regex kJobPdf(R"(/api/jobs/([0-9a-f]{32})/pdf)");
  static const std::regex kJobPrint(R"(/api/jobs/([0-9a-f]{32})/print)");
  std::smatch m;
  const bool get = req.Method == "GET" || req.Method == "HEAD";
  if (get) {
    auto page = [](const std::string& body, const char* type) {
      Answer a;
      a.ContentType = type;
      a.Body = body;
      a.Headers = {{"Content-Security-Policy",
                    "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'; form-action 'self'"},
                   {"X-Frame-Options", "DENY"}};
      return a;
    };
    if (req.Path == "/" || req.Path == "/index.html") return page(page_.Html, "text/html; charset=utf-8");
    if (req.Path == "/app.js") return page(page_.Script, "text/javascript; charset=utf-8");
    if (req.Path == "/style.css") return page(page_.Style, "text/css; charset=utf-8");
    if (req.Path == "/healthz") return Health();
    if (req.Path == "/api/queues") return Queues();
    if (std::regex_match(req.Path, m, kJob)) return JobState(m[1]);
    if (std::regex_match(req.Path, m, kJobPdf)) return JobPdf(m[1]);
  } else if (req.Method == "POST" && std::regex_match(req.Path, m, kJobPrint)) {
    return PrintJob(m[1], req);
  }
  return ErrorAnswer(404);
}

Answer Service::Health() {
  return JsonAnswer(200, {{"status", "ok"},
                          {"version", version_},
                          {"workers", table_.Limits().Workers},
                          {"running", table_.Count(JobState::Running)},
                          {"queued", table_.Count(JobState::Queued)}});
}

Answer Service::Queues() {
  Json list = Json::array();
  for (const QueueInfo& q : PrintQueues())
    list.push_back({{"name", q.Name}, {"default", q.Default}, {"description", q.Description}});
  return JsonAnswer(200, {{"queues", list}});
}

Answer Service::JobState(const std::string& id) {
  const auto job = table_.Find(id);
  if (!job) return Error(404, WebProblem::NoSuchJob, "there is no such job (a result is kept for a while only)");
  Answer a;
  a.ContentType = "application/json; charset=utf-8";
  a.Body = table_.Describe(*job);
  return a;
}

Answer Service::JobPdf(const std::string& id) {
  const auto job = table_.Find(id);
  if (!job) return Error(404, WebProblem::NoSuchJob, "there is no such job (a result is kept for a while only)");
  bool hasPdf = false;
  const web::JobState state = table_.StateOf(*job, hasPdf);
  if (state != web::JobState::Done && state != web::JobState::Failed)
    return Error(409, WebProblem::NotFinished, "the job has not finished yet");
  if (!hasPdf) return Error(404, WebProblem::NoPdf, "the job printed no page, so it has no PDF");
  const std::string path = job->Folder + "/kestrovan.pdf";
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return Error(404, WebProblem::NoSuchJob, "the job's PDF is no longer here");
  Answer a;
  a.ContentType = "application/pdf";
  a.File = path;
  a.Headers = {{"Content-Disposition", "attachment; filename=\"kestrovan.pdf\""}};
  a.Sent = [this, id] { table_.Fetched(id); };
  return a;
}

Answer Service::PrintJob(const std::string& id, const Request& req) {
  const auto job = table_.Find(id);
  if (!job) return Error(404, WebProblem::NoSuchJob, "there is no such job (a result is kept for a while only)");
  const std::string queue = req.Param("queue");
  if (queue.empty())
    return Error(400, WebProblem::NoQueueNamed, "name the print queue: queue=NAME (GET /api/queues lists them)");
  bool hasPdf = false;
  const web::JobState state = table_.StateOf(*job, hasPdf);
  if (state != web::JobState::Done && state != web::JobState::Failed)
    return Error(409, WebProblem::NotFinished, "the job has not finished yet");
  if (!hasPdf) return Error(404, WebProblem::NoPdf, "the job printed no page, so there is nothing to send");
  bool known = false;
  for (const QueueInfo& q : PrintQueues()) known = known || q.Name == queue;
  if (!known) return Error(400, WebProblem::NoSuchQueue, "this server has no print queue \"" + queue + "\"");
  // The job's title in the queue: its first drawing, and how many more.
  const size_t more = job->Names.size() - 1;
  const std::string title =
      "Kestrovan " + job->Names.front() + (more > 0 ? " +" + std::to_string(more) : std::string());
  const int cupsJob = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.c_str(), (job->Folder + "/kestrovan.pdf").c_str(),
                                     title.c_str(), 0, nullptr);
  if (cupsJob <= 0)
    return Error(502, WebProblem::QueueRefused,
                 std::string("the print queue did not take the job: ") + cupsLastErrorString());
  return JsonAnswer(200, {{"queue", queue}, {"cups_job", cupsJob}});
}

Answer Service::ReceiveJob(const Request& req, bool multipart, const PartReader& parts) {
  const WebLimits& limits = table_.Limits();
  // Read and dropped, so the client hears the answer.
  auto drain = [&] { parts([](const PartHead&) { return true; }, [](const char*, size_t) { return true; }); };
  if (!multipart) {
    drain();
    return Error(400, WebProblem::NotMultipart,
                 "send the drawings as multipart/form-data, one part named \"files\" per drawing");
  }
  (void)req;
  std::string error;
  WebProblem kind = WebProblem::QueueFull;
  Upload up;
  up.job = table_.Create(error, kind);
  if (!up.job) {
    drain();
    Answer a = Error(kind == WebProblem::QueueFull ? 503 : 500, kind, error);
    if (kind == WebProblem::QueueFull) a.Headers.emplace_back("Retry-After", "60");
    return a;
  }
  Job& job = *up.job;
  const bool read = parts(
      [&](const PartHead& part) {
        up.CloseFile();
        up.EndField();
        up.fileBytes = 0;
        if (up.status) return true;  // read on, so the client hears why
        if (part.Name == "files") {
          if (job.Paths.size() >= limits.Files) {
            up.Refuse(413, WebProblem::TooManyFiles,
                      "more than " + std::to_string(limits.Files) + " drawings in one job; send them as several jobs");
            return true;
          }
          char number[24];
          std::snprintf(number, sizeof number, "%04zu", job.Paths.size() + 1);
          const std::string folder = job.Folder + "/in/" + number;
          const std::string path = folder + "/" + KeptFileName(part.FileName);
          std::error_code ec;
          fs::create_directory(folder, ec);
          up.file = ec ? -1 : open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
          if (up.file < 0) {
            up.Refuse(500, WebProblem::ServerFolder, "the server could not keep a drawing");
            return true;
          }
          job.Names.push_back(part.FileName.empty() ? "drawing.jww" : part.FileName);
          job.Paths.push_back(path);
        } else if (!part.FileName.empty()) {
          up.Refuse(400, WebProblem::FileAsField,
                    "a file was sent as \"" + part.Name + "\"; send each drawing as a part named \"files\"");
        } else if (up.fields.size() >= 100) {
          up.Refuse(400, WebProblem::TooManyFields, "too many fields");
        } else {
          up.field = true;
          up.fieldName = part.Name;
          up.fieldValue.clear();
        }
        return true;
      },
      [&](const char* data, size_t n) {
        up.total += n;
        if (up.total > limits.JobBytes) {
          up.Refuse(413, WebProblem::JobTooLarge,
                    "the upload is larger than " + Megabytes(limits.JobBytes) +
                        ", the most one job takes; send the drawings as several jobs");
          return false;
        }
        if (up.status) return true;
        if (up.file >= 0) {
          up.fileBytes += n;
          if (up.fileBytes > limits.FileBytes) {
            up.Refuse(413, WebProblem::FileTooLarge,
                      "\"" + job.Names.back() + "\" is larger than " + Megabytes(limits.FileBytes) +
                          ", the largest drawing this server takes");
            return true;
          }
          while (n > 0) {
            const ssize_t w = write(up.file, data, n);
            if (w <= 0) {
              up.Refuse(507, WebProblem::NoRoom, "the server has no room to keep the drawings");
              return true;
            }
            data += w;
            n -= static_cast<size_t>(w);
          }
        } else if (up.field) {
          up.fieldValue.append(data, n);
          if (up.fieldValue.size() > 4096)
            up.Refuse(400, WebProblem::FieldTooLong, "the field \"" + up.fieldName + "\" is too long");
        }
        return true;
      });
  up.CloseFile();
  up.EndField();
  if (!read && !up.status) up.Refuse(400, WebProblem::UploadIncomplete, "the upload is not complete multipart/form-data");
  if (!up.status && job.Paths.empty())
    up.Refuse(400, WebProblem::NoDrawings, "no drawings: send each drawing as a part named \"files\"");
  if (!up.status && !OptionsFromFields(up.fields, job.Options, error)) up.Refuse(400, WebProblem::BadOption, error);
  if (up.status) {
    table_.Discard(up.job);
    return Error(up.status, up.kind, up.message);
  }
  table_.Enqueue(up.job);
  Answer a = JsonAnswer(201, {{"id", job.Id}});
  a.Headers.emplace_back("Location", "/api/jobs/" + job.Id);
  return a;
}

}  // namespace web
