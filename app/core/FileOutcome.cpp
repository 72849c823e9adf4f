#include "app/core/FileOutcome.h"

#include "jww/jwwunit.h"

#include "util/CodePage.h"

namespace {

// Every status once: the report's key, written and read back here alone,
// and whether a resumed run prints the file again.
struct StatusRow {
  FileStatus Status;
  const char* Key;
  bool PrintAgain;
};
constexpr StatusRow kStatuses[] = {
    {FileStatus::Printed, "printed", false},       {FileStatus::Damaged, "damaged", false},
    {FileStatus::Blank, "blank", false},           {FileStatus::PassedOver, "passed_over", true},
    {FileStatus::Stopped, "stopped", true},        {FileStatus::NotReached, "not_reached", true},
    {FileStatus::NotWritten, "not_written", true},
};

const StatusRow& RowOf(FileStatus status) {
  for (const StatusRow& row : kStatuses)
    if (row.Status == status) return row;
  return kStatuses[0];  // not reached: the table holds every status
}

}  // namespace

const char* FileStatusKey(FileStatus status) { return RowOf(status).Key; }

bool FileStatusFromKey(const std::string& key, FileStatus& out) {
  for (const StatusRow& row : kStatuses)
    if (key == row.Key) {
      out = row.Status;
      return true;
    }
  return false;
}

bool PrintAgain(FileStatus status) { return RowOf(status).PrintAgain; }

ProblemWeight WeightOf(FileProblem::Kind kind) {
  using K = FileProblem::Kind;
  switch (kind) {
    case K::NoSuchFile:
    case K::NotAFile:
    case K::Empty:
    case K::NotDrawing:
    case K::OutOfMemory:
    case K::TooLarge:
    case K::Unreadable:
      return ProblemWeight::PassesOver;
    case K::Damaged:
    case K::ImagesNotUnpacked:
      return ProblemWeight::Damages;
    case K::BlocksCut:
    case K::PageCut:
    case K::ImagesMissing:
      return ProblemWeight::CutsShort;
  }
  return ProblemWeight::CutsShort;
}

std::string DescribeFileProblem(const FileProblem& p) {
  using K = FileProblem::Kind;
  switch (p.What) {
    case K::NoSuchFile:
      return "no such file";
    case K::NotAFile:
      return "not a regular file (a folder or a device, say)";
    case K::Empty:
      return "the file is empty";
    case K::NotDrawing:
      return "not a drawing file (it does not begin with \"JwwData.\")";
    case K::OutOfMemory:
      return "there is not enough memory to read it";
    case K::TooLarge:
      return "it is too large for a drawing (" + std::to_string(p.Count >> 20) + " MB; a drawing is read up to " +
             std::to_string(TJwwData::kMaxFileBytes >> 20) + " MB)";
    case K::Unreadable:
      return "it could not be read: " + p.Why;
    case K::Damaged:
      return p.Why + " at byte " + std::to_string(p.Count);
    case K::ImagesNotUnpacked:
      return std::to_string(p.Count) + " embedded image(s) could not be unpacked";
    case K::BlocksCut:
      return "its blocks insert themselves or multiply past " + std::to_string(p.Count) + " placed blocks or " +
             std::to_string(TJwwData::kMaxBlockContents) +
             " entities drawn in them; only those within the limits are printed";
    case K::PageCut:
      return "a page asks for more than " + std::to_string(p.Count) +
             " strokes, texts and figures (its blocks multiply); only those were printed";
    case K::ImagesMissing: {
      std::string list;
      for (const std::string& n : p.Names) list += (list.empty() ? "" : ", ") + util::Cp932ToUtf8(n);
      return std::to_string(p.Names.size()) + " image(s) it places could not be found or read: " + list;
    }
  }
  return std::string();
}

const FileProblem* MainProblem(const FileRecord& file) {
  for (const FileProblem& p : file.Problems)
    if (WeightOf(p.What) != ProblemWeight::CutsShort) return &p;
  return nullptr;
}

void MarkOutputLost(std::vector<FileRecord>& files) {
  for (FileRecord& f : files)
    if (f.Status == FileStatus::Printed || f.Status == FileStatus::Damaged || f.Status == FileStatus::Stopped)
      f.Status = FileStatus::NotWritten;
}
