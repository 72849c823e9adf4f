#include "platform/CupsQueue.h"

#include <cups/cups.h>
#include <unistd.h>

// The PPD calls are marked deprecated, but a queue with a driver is still
// described by its PPD in CUPS 2.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace platform {

namespace {

std::string TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

}  // namespace

util::Result<std::string> QueuePpd(const std::string& queue) {
  char path[4096] = "";
  time_t modified = 0;
  const http_status_t got = cupsGetPPD3(CUPS_HTTP_DEFAULT, queue.c_str(), &modified, path, sizeof path);
  if (got != HTTP_STATUS_OK) {
    if (path[0]) unlink(path);
    return util::Status::Failure("the queue " + queue + " has no PPD to read: " + cupsLastErrorString());
  }
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const bool read = !in.bad();
  unlink(path);  // ours: a copy, or a link to the scheduler's own file
  if (!read || text.empty()) return util::Status::Failure("the PPD of the queue " + queue + " could not be read");
  return text;
}

util::Status SetQueuePpd(const std::string& queue, const std::string& ppd) {
  std::string name = TempFolder() + "/kestrovan-ppd-XXXXXX";
  std::vector<char> path(name.begin(), name.end());
  path.push_back('\0');
  const int fd = mkstemp(path.data());
  if (fd < 0) return util::Status::Failure("cannot write a PPD in " + TempFolder());
  const bool written = write(fd, ppd.data(), ppd.size()) == static_cast<ssize_t>(ppd.size());
  close(fd);
  if (!written) {
    unlink(path.data());
    return util::Status::Failure("cannot write a PPD in " + TempFolder());
  }
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s", queue.c_str());
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  ippDelete(cupsDoFileRequest(CUPS_HTTP_DEFAULT, request, "/admin/", path.data()));
  unlink(path.data());
  if (cupsLastError() > IPP_STATUS_OK_CONFLICTING)
    return util::Status::Failure("the queue " + queue + " did not take the PPD: " + cupsLastErrorString());
  return util::Status();
}

}  // namespace platform
