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

// Every kind of file problem once: its key and what it makes of its file.
struct ProblemRow {
  FileProblem::Kind Kind;
  const char* Key;
  ProblemWeight Weight;
};
using K = FileProblem::Kind;
constexpr ProblemRow kProblems[] = {
    {K::NoSuchFile, "no_such_file", ProblemWeight::PassesOver},
    {K::NotAFile, "not_a_file", ProblemWeight::PassesOver},
    {K::Empty, "empty", ProblemWeight::PassesOver},
    {K::NotDrawing, "not_a_drawing", ProblemWeight::PassesOver},
    {K::OutOfMemory, "out_of_memory", ProblemWeight::PassesOver},
    {K::TooLarge, "too_large", ProblemWeight::PassesOver},
    {K::Unreadable, "unreadable", ProblemWeight::PassesOver},
    {K::Damaged, "damaged", ProblemWeight::Damages},
    {K::ImagesNotUnpacked, "images_not_unpacked", ProblemWeight::Damages},
    {K::BlocksCut, "blocks_cut", ProblemWeight::CutsShort},
    {K::PageCut, "page_cut", ProblemWeight::CutsShort},
    {K::ImagesMissing, "images_missing", ProblemWeight::CutsShort},
};

const ProblemRow& RowOf(FileProblem::Kind kind) {
  for (const ProblemRow& row : kProblems)
    if (row.Kind == kind) return row;
  return kProblems[0];  // not reached: the table holds every kind
}

struct FailureRow {
  RunFailure Failure;
  const char* Key;
};
constexpr FailureRow kFailures[] = {
    {RunFailure::None, "none"},
    {RunFailure::NoTemporaryFolder, "no_temporary_folder"},
    {RunFailure::OutputNotWritten, "output_not_written"},
    {RunFailure::OutOfMemory, "out_of_memory"},
    {RunFailure::Refused, "refused"},
};

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

const char* FileProblemKey(FileProblem::Kind kind) { return RowOf(kind).Key; }

bool FileProblemFromKey(const std::string& key, FileProblem::Kind& out) {
  for (const ProblemRow& row : kProblems)
    if (key == row.Key) {
      out = row.Kind;
      return true;
    }
  return false;
}

ProblemWeight WeightOf(FileProblem::Kind kind) { return RowOf(kind).Weight; }

const char* RunFailureKey(RunFailure failure) {
  for (const FailureRow& row : kFailures)
    if (row.Failure == failure) return row.Key;
  return kFailures[0].Key;
}

bool RunFailureFromKey(const std::string& key, RunFailure& out) {
  for (const FailureRow& row : kFailures)
    if (key == row.Key) {
      out = row.Failure;
      return true;
    }
  return false;
}

bool operator==(const FileProblem& a, const FileProblem& b) {
  return a.What == b.What && a.Why == b.Why && a.Count == b.Count && a.Limit == b.Limit && a.Names == b.Names;
}

FileProblem MakeFileProblem(FileProblem::Kind kind, std::string why, int64_t count, std::vector<std::string> names) {
  FileProblem p;
  p.What = kind;
  p.Why = std::move(why);
  p.Count = count;
  p.Names = std::move(names);
  switch (kind) {
    case K::TooLarge:
      p.Limit = static_cast<int64_t>(TJwwData::kMaxFileBytes);
      break;
    case K::BlocksCut:
      p.Limit = static_cast<int64_t>(TJwwData::kMaxBlockContents);
      break;
    case K::NoSuchFile:
    case K::NotAFile:
    case K::Empty:
    case K::NotDrawing:
    case K::OutOfMemory:
    case K::Unreadable:
    case K::Damaged:
    case K::ImagesNotUnpacked:
    case K::PageCut:
    case K::ImagesMissing:
      break;
  }
  return p;
}

std::string DescribeFileProblem(const FileProblem& p) {
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
             std::to_string(p.Limit >> 20) + " MB)";
    case K::Unreadable:
      return "it could not be read: " + p.Why;
    case K::Damaged:
      return p.Why + " at byte " + std::to_string(p.Count);
    case K::ImagesNotUnpacked:
      return std::to_string(p.Count) + " embedded image(s) could not be unpacked";
    case K::BlocksCut:
      return "its blocks insert themselves or multiply past " + std::to_string(p.Count) + " placed blocks or " +
             std::to_string(p.Limit) + " entities drawn in them; only those within the limits are printed";
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

bool CutShort(const FileRecord& file) {
  for (const FileProblem& p : file.Problems)
    if (WeightOf(p.What) == ProblemWeight::CutsShort) return true;
  return false;
}

bool OnOutput(const FileRecord& file) {
  return !file.Pages.empty() && (file.Status == FileStatus::Printed || file.Status == FileStatus::Damaged ||
                                 file.Status == FileStatus::Stopped);
}

RunCounts CountRun(const std::vector<FileRecord>& files) {
  RunCounts c;
  for (const FileRecord& f : files) {
    if (OnOutput(f)) {
      ++c.FilesPrinted;
      c.Pages += static_cast<int>(f.Pages.size());
      for (const PageReport& page : f.Pages)
        for (const PageWarning& w : page.Warnings)
          if (LosesContent(w)) {
            ++c.PagesLosingContent;
            break;
          }
    }
    switch (f.Status) {
      case FileStatus::PassedOver:
        ++c.FilesPassedOver;
        break;
      case FileStatus::Printed:
      case FileStatus::Damaged:
      case FileStatus::Blank:
      case FileStatus::Stopped:
        if (f.Pages.empty()) ++c.FilesBlank;
        if (f.Status == FileStatus::Stopped) ++c.FilesStopped;
        if (CutShort(f)) ++c.FilesCutShort;
        break;
      case FileStatus::NotReached:
        ++c.FilesNotReached;
        break;
      case FileStatus::NotWritten:
        ++c.FilesNotWritten;
        break;
    }
    const FileProblem* main = MainProblem(f);
    if (main && WeightOf(main->What) == ProblemWeight::Damages) ++c.FilesDamaged;
  }
  return c;
}
