// kestrovan-web's routes as plain functions from a request record to an
// answer record: the HTTP server (cpp-httplib, in the program) only turns
// its requests into Requests and Answers back into responses, so every
// route is tested without a socket.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/core/RecordWords.h"
#include "app/web/WebJobs.h"

namespace web {

struct Request {
  std::string Method;  // "GET", "POST", …
  std::string Path;    // without the query
  std::vector<std::pair<std::string, std::string>> Headers;
  std::vector<std::pair<std::string, std::string>> Params;  // the query's, and a form's fields
  // The header's value (names compared without case), or "".
  std::string Header(const std::string& name) const;
  bool HasHeader(const std::string& name) const;
  std::string Param(const std::string& name) const;
};

struct Answer {
  int Status = 200;
  std::string ContentType;
  std::string Body;
  std::vector<std::pair<std::string, std::string>> Headers;
  std::string File;            // a file sent as the body instead (Body empty)
  std::function<void()> Sent;  // told when the whole file has gone
};

// One part of an upload as it begins: its field name and file name.
struct PartHead {
  std::string Name;
  std::string FileName;
};
// Reads an upload's parts: each part's head, then its bytes in pieces;
// either callback answers false to stop. False when the body is not
// complete multipart/form-data (or a callback stopped it).
using PartReader = std::function<bool(const std::function<bool(const PartHead&)>&,
                                      const std::function<bool(const char*, size_t)>&)>;

// The page's three files, as the service serves them.
struct PageFiles {
  std::string Html, Script, Style;
};

class Service {
 public:
  // password: empty when none is asked for.
  Service(JobTable& table, PageFiles page, std::string password, std::string version);

  // What every request meets first: an answer when it is refused (a
  // password, a page of another site), else nothing.
  std::optional<Answer> Gate(const Request& req) const;
  // Every route but a job's upload.
  Answer Handle(const Request& req);
  // POST /api/jobs: the drawings and the options, read as they arrive.
  // tooLarge: the body said in advance that it is larger than a job takes.
  Answer ReceiveJob(const Request& req, bool multipart, const PartReader& parts);
  // An answer for an error the HTTP server found itself (404, 413, …).
  static Answer ErrorAnswer(int status);
  static Answer Error(int status, words::WebProblem kind, const std::string& english);

 private:
  Answer Health();
  Answer Queues();
  Answer JobState(const std::string& id);
  Answer JobPdf(const std::string& id);
  Answer PrintJob(const std::string& id, const Request& req);

  JobTable& table_;
  PageFiles page_;
  std::string password_;
  std::string version_;
};

// The server's print queues: name, whether it is the default, its description.
struct QueueInfo {
  std::string Name;
  bool Default = false;
  std::string Description;
};
std::vector<QueueInfo> PrintQueues();

}  // namespace web
