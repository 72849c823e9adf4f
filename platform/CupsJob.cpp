#include "platform/CupsJob.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

// The PPD interface is marked deprecated, but a queue's PPD is still what a
// CUPS 2 filter reads its paper from.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace platform {

namespace {

constexpr double kMmPerPt = 25.4 / 72;
// Two papers are the same when each side agrees within a point (the PPD's
// sizes are whole points: A4 is 595 x 842 pt, 209.9 x 297.0 mm).
constexpr double kSameSizeMm = 25.4 / 72 + 0.01;

// "600dpi", "600x600dpi", "300x600dpi" (the first figure is across).
int ParseResolution(const char* text) {
  int x = 0;
  if (!text || std::sscanf(text, "%d", &x) != 1 || x <= 0) return 0;
  if (std::strstr(text, "dpc")) x = static_cast<int>(std::lround(x * 2.54));
  return x;
}

bool EndsWithNoCase(const std::string& text, const char* tail) {
  const size_t n = std::strlen(tail);
  return text.size() > n && strcasecmp(text.c_str() + text.size() - n, tail) == 0;
}

std::string Mm(double mm) {
  char buf[48];
  std::snprintf(buf, sizeof buf, mm >= 10 || mm <= 0 ? "%.0f" : "%.2f", mm);
  return buf;
}

struct Ppd {
  explicit Ppd(const char* path) : file(path && *path ? ppdOpenFile(path) : nullptr) {}
  ~Ppd() {
    if (file) ppdClose(file);
  }
  Ppd(const Ppd&) = delete;
  Ppd& operator=(const Ppd&) = delete;
  ppd_file_t* file;
};

QueuePapers PapersOf(ppd_file_t* ppd) {
  if (!ppd) return QueuePapers();
  std::vector<QueuePapers::Paper> papers;
  for (int i = 0; i < ppd->num_sizes; ++i) {
    const ppd_size_t& s = ppd->sizes[i];
    if (s.width > 0 && s.length > 0 && std::strcmp(s.name, "Custom") != 0)
      papers.push_back({s.name, s.width * kMmPerPt, s.length * kMmPerPt});
  }
  return QueuePapers(std::move(papers), ppd->variable_sizes != 0, ppd->custom_min[0] * kMmPerPt,
                     ppd->custom_min[1] * kMmPerPt, ppd->custom_max[0] * kMmPerPt, ppd->custom_max[1] * kMmPerPt);
}

// The paper a job names, on its queue: the PPD's own name, else the size
// the name gives, matched against the queue's papers.
util::Status PaperOnQueue(ppd_file_t* ppd, const QueuePapers& queue, const std::string& name, JobPaper& out) {
  double w = 0, h = 0;
  std::string queueName;
  if (ppd) {
    for (int i = 0; i < ppd->num_sizes && queueName.empty(); ++i) {
      const ppd_size_t& s = ppd->sizes[i];
      if (s.width > 0 && s.length > 0 && strcasecmp(s.name, name.c_str()) == 0) {
        queueName = s.name;
        w = s.width * kMmPerPt;
        h = s.length * kMmPerPt;
      }
    }
  }
  if (queueName.empty() && !MediaSize(name, w, h))
    return util::Status::Failure("the paper \"" + name + "\" is not known");
  if (!PaperSizeAllowed(w, h))
    return util::Status::Failure("the paper \"" + name + "\" (" + Mm(w) + " x " + Mm(h) +
                                 " mm) is not one a page may have: each side " + Mm(kMinPaperMm) + " to " +
                                 Mm(kMaxPaperMm) + " mm");
  if (queueName.empty() && !queue.Find(w, h, queueName)) {
    if (!queue.AnyPaper())
      return util::Status::Failure("the printer of this queue takes no \"" + name + "\" paper (" + Mm(w) + " x " +
                                   Mm(h) + " mm); it takes " + queue.List());
    queueName = name;
  }
  out.Page.PaperWidthMm = w;
  out.Page.PaperHeightMm = h;
  out.Name = queueName;
  return util::Status();
}

// The paper the queue's later filters print on: pdftopdf, pstops and the
// printer's own filters mark the job's options on the PPD with libcups
// (PageSize, then PageRegion, each only when the PPD has that choice, else
// the first size of media) and take the marked size; a PageSize the PPD has
// not leaves them on the PPD's default. Marked here the same way.
bool MarkedPaper(const char* ppdPath, int optionCount, cups_option_t* options, QueuePapers::Paper& out) {
  const Ppd ppd(ppdPath);
  if (!ppd.file) return false;
  ppdMarkDefaults(ppd.file);
  {
#if defined(__SANITIZE_ADDRESS__)
    // libcups builds a cache of the PPD for media and keeps part of it past
    // ppdClose (its presets): not ours to free.
    __lsan::ScopedDisabler libcupsKeepsItsCache;
#endif
    cupsMarkOptions(ppd.file, optionCount, options);
  }
  const ppd_size_t* size = ppdPageSize(ppd.file, nullptr);
  if (!size || size->width <= 0 || size->length <= 0) return false;
  out.Name = size->name;
  out.WidthMm = size->width * kMmPerPt;
  out.HeightMm = size->length * kMmPerPt;
  return true;
}

// "PageSize=A3.Borderless, media=A3": the size options a job gave.
std::string SizeOptions(int optionCount, cups_option_t* options) {
  std::string all;
  for (const char* name : {"PageSize", "PageRegion", "media"})
    if (const char* value = cupsGetOption(name, optionCount, options))
      all += (all.empty() ? "" : ", ") + std::string(name) + "=" + value;
  return all;
}

}  // namespace

QueuePapers::QueuePapers(std::vector<Paper> papers, bool custom, double minWidthMm, double minHeightMm,
                         double maxWidthMm, double maxHeightMm)
    : any_(false),
      papers_(std::move(papers)),
      custom_(custom),
      minW_(minWidthMm),
      minH_(minHeightMm),
      maxW_(maxWidthMm),
      maxH_(maxHeightMm) {}

bool QueuePapers::Find(double widthMm, double heightMm, std::string& name) const {
  if (any_) return false;
  const double lo = std::min(widthMm, heightMm), hi = std::max(widthMm, heightMm);
  for (const Paper& p : papers_) {
    const double plo = std::min(p.WidthMm, p.HeightMm), phi = std::max(p.WidthMm, p.HeightMm);
    if (std::fabs(plo - lo) <= kSameSizeMm && std::fabs(phi - hi) <= kSameSizeMm) {
      name = p.Name;
      return true;
    }
  }
  auto within = [&](double w, double h) {
    return w >= minW_ - 0.01 && w <= maxW_ + 0.01 && h >= minH_ - 0.01 && h <= maxH_ + 0.01;
  };
  if (custom_ && (within(lo, hi) || within(hi, lo))) {
    name = "Custom";
    return true;
  }
  return false;
}

std::string QueuePapers::List() const {
  std::string all;
  for (const Paper& p : papers_)
    if (p.Name.find('.') == std::string::npos) all += (all.empty() ? "" : ", ") + p.Name;
  if (custom_)
    all += (all.empty() ? "" : ", ") + std::string("custom sizes from ") + Mm(minW_) + " x " + Mm(minH_) + " to " +
           Mm(maxW_) + " x " + Mm(maxH_) + " mm";
  return all.empty() ? "none" : all;
}

bool MediaSize(const std::string& name, double& widthMm, double& heightMm) {
  std::string base = name;
  for (const char* tail : {".Borderless", ".Fullbleed"})
    if (EndsWithNoCase(base, tail)) base.resize(base.size() - std::strlen(tail));
  if (base.empty()) return false;
  pwg_media_t* m = pwgMediaForPWG(base.c_str());
  if (!m) m = pwgMediaForLegacy(base.c_str());
  if (!m) m = pwgMediaForPPD(base.c_str());
  if (!m) {
    // "a3", "A3", "2a": the CAD program's sheets by name in any case.
    std::string upper = base;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const struct {
      const char* Name;
      double W, H;
    } kSheets[] = {{"2A", 1189, 1682}, {"3A", 1682, 2378}, {"4A", 2378, 3364}, {"5A", 3364, 4756}};
    for (const auto& s : kSheets)
      if (upper == s.Name) {
        widthMm = s.W;
        heightMm = s.H;
        return true;
      }
    if (upper != base) m = pwgMediaForPPD(upper.c_str());
  }
  if (!m || m->width <= 0 || m->length <= 0) return false;
  widthMm = m->width / 100.0;
  heightMm = m->length / 100.0;
  return true;
}

util::Result<JobPaper> JobPage(const char* ppdPath, int optionCount, cups_option_t* options) {
  JobPaper out;
  const Ppd ppd(ppdPath);
  out.Queue = PapersOf(ppd.file);
  int dpi = 0;

  // The paper asked for: the first size of "media" (its list may also name
  // a tray or a type), else PageSize, else PageRegion, else media-size-name.
  std::string asked;
  for (const char* option : {"media", "PageSize", "PageRegion", "media-size-name"}) {
    const char* value = cupsGetOption(option, optionCount, options);
    if (!value || !*value) continue;
    const std::string list = value;
    for (size_t start = 0; start <= list.size() && asked.empty();) {
      const size_t comma = std::min(list.find(',', start), list.size());
      const std::string entry = list.substr(start, comma - start);
      double w, h;
      bool named = MediaSize(entry, w, h);
      if (ppd.file)
        for (int i = 0; i < ppd.file->num_sizes && !named; ++i)
          named = strcasecmp(ppd.file->sizes[i].name, entry.c_str()) == 0;
      if (named) asked = entry;
      start = comma + 1;
    }
    if (asked.empty()) return util::Status::Failure(std::string("the paper \"") + value + "\" is not known");
    break;
  }

  if (ppd.file) {
    ppdMarkDefaults(ppd.file);
    if (asked.empty()) {
      ppd_size_t* size = ppdPageSize(ppd.file, nullptr);
      if (size && size->width > 0 && size->length > 0) asked = size->name;
    }
    // The job's own resolution is read below: only the PPD's default is
    // marked (marking the job's options makes libcups build, and leak, its
    // PWG cache of the PPD).
    if (ppd_choice_t* res = ppdFindMarkedChoice(ppd.file, "Resolution")) dpi = ParseResolution(res->choice);
    else if (ppd_attr_t* attr = ppdFindAttr(ppd.file, "DefaultResolution", nullptr)) dpi = ParseResolution(attr->value);
  }
  out.Asked = !asked.empty();
  if (asked.empty()) {
    out.Page.PaperWidthMm = 210;
    out.Page.PaperHeightMm = 297;
    out.Name = "A4";
  } else if (util::Status onQueue = PaperOnQueue(ppd.file, out.Queue, asked, out); !onQueue) {
    return onQueue;
  }

  // The page must be the paper the later filters print it on, or they
  // would scale it onto another without a word.
  QueuePapers::Paper marked;
  std::string same;
  if (MarkedPaper(ppdPath, optionCount, options, marked) &&
      !QueuePapers(std::vector<QueuePapers::Paper>{marked}).Find(out.Page.PaperWidthMm, out.Page.PaperHeightMm, same))
    return util::Status::Failure("this queue would print on " + marked.Name + " (" + Mm(marked.WidthMm) + " x " +
                                 Mm(marked.HeightMm) + " mm), not on " + out.Name + " (" + Mm(out.Page.PaperWidthMm) +
                                 " x " + Mm(out.Page.PaperHeightMm) + " mm): its printer's filters read " +
                                 SizeOptions(optionCount, options) + " against its PPD" +
                                 (out.Name == "Custom" ? std::string() : "; ask for -o PageSize=" + out.Name));

  for (const char* name : {"Resolution", "resolution", "printer-resolution"})
    if (const char* r = cupsGetOption(name, optionCount, options)) dpi = ParseResolution(r);
  if (dpi == 0) dpi = 600;
  if (dpi < 72 || dpi > 2400)
    return util::Status::Failure("the resolution " + std::to_string(dpi) + " dpi is outside 72..2400");
  out.Page.Dpi = dpi;

  bool landscape = true;
  if (const char* o = cupsGetOption("orientation-requested", optionCount, options)) {
    const int v = std::atoi(o);
    if (v == 3 || v == 6) landscape = false;
  }
  if (const char* l = cupsGetOption("landscape", optionCount, options))
    landscape = std::strcmp(l, "false") != 0 && std::strcmp(l, "no") != 0;
  else if (cupsGetOption("portrait", optionCount, options))
    landscape = false;
  PageSetup& page = out.Page;
  const double shortSide = std::min(page.PaperWidthMm, page.PaperHeightMm);
  const double longSide = std::max(page.PaperWidthMm, page.PaperHeightMm);
  page.PaperWidthMm = landscape ? longSide : shortSide;
  page.PaperHeightMm = landscape ? shortSide : longSide;
  return out;
}

int KestrovanOptions(const char* ppdPath, int optionCount, cups_option_t* options, cups_option_t** out) {
  *out = nullptr;
  int count = 0;
  const Ppd ppd(ppdPath);
  if (ppd.file) {
    ppdMarkDefaults(ppd.file);
    for (ppd_option_t* o = ppdFirstOption(ppd.file); o; o = ppdNextOption(ppd.file)) {
      if (strncmp(o->keyword, "kestrovan-", 10) != 0) continue;
      const ppd_choice_t* c = ppdFindMarkedChoice(ppd.file, o->keyword);
      if (!c || strcasecmp(c->choice, "False") == 0 || strcasecmp(c->choice, "None") == 0) continue;
      count = cupsAddOption(o->keyword, c->choice, count, out);
    }
  }
  for (int i = 0; i < optionCount; ++i) {
    const char* name = options[i].name;
    const bool ours = strncmp(name, "kestrovan-", 10) == 0 || strncmp(name, "nokestrovan-", 12) == 0;
    if (!ours) continue;
    const char* value = options[i].value ? options[i].value : "";
    if (strcasecmp(value, "None") == 0 || strcasecmp(value, "False") == 0) {
      count = cupsRemoveOption(name, count, out);
      continue;
    }
    count = cupsAddOption(name, value, count, out);
  }
  return count;
}

bool QueuePaperDevice::SelectPaper(double widthMm, double heightMm) {
  std::string name;
  if (widthMm > 0 && heightMm > 0 && !queue_.AnyPaper() && !queue_.Find(widthMm, heightMm, name)) {
    refusedW_ = widthMm;
    refusedH_ = heightMm;
    return device_->SelectPaper(0, 0);
  }
  return device_->SelectPaper(widthMm, heightMm);
}

std::string SchedulerText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    // The length of a well-formed UTF-8 sequence starting here, 0 if none.
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 && c >= 0xC2 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 && c <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > text.size()) n = 0;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) n = 0;
    if (n >= 3) {
      const unsigned char c1 = static_cast<unsigned char>(text[i + 1]);
      if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0) || (c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90))
        n = 0;  // overlong, a surrogate, or beyond U+10FFFF
    }
    const bool control = n == 1 ? (c < 0x20 || c == 0x7F)
                                : n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;  // C1
    if (n == 0 || control) {
      out += '?';
      i += n == 0 ? 1 : n;
    } else {
      out.append(text, i, n);
      i += n;
    }
  }
  return out;
}

}  // namespace platform

#pragma GCC diagnostic pop
