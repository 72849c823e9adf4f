#include "app/web/WebRecords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <algorithm>

#include "app/core/FileOutcome.h"
#include "app/core/PageWarnings.h"
#include "app/window/RunReport.h"
#include "util/CodePage.h"
#include "util/Messages.h"

namespace web {
namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// A client's name as JSON text: bytes that are not UTF-8 show as U+FFFD.
QString ShownName(const std::string& name) { return QString::fromUtf8(name.data(), static_cast<int>(name.size())); }

// The report's warning back as the record the window words.
PageWarning WarningOf(const QJsonObject& o) {
  PageWarning w;
  const QString kind = o.value("kind").toString();
  static const std::pair<const char*, PageWarning::Kind> kKinds[] = {
      {"off_page", PageWarning::Kind::OffPage},
      {"blank", PageWarning::Kind::Blank},
      {"background_colour_only", PageWarning::Kind::BackgroundOnly},
      {"image_missing", PageWarning::Kind::ImageMissing},
      {"font_replaced", PageWarning::Kind::FontReplaced},
      {"layers_left_out", PageWarning::Kind::LayersLeftOut},
      {"sheet_unknown", PageWarning::Kind::SheetUnknown}};
  for (const auto& [key, value] : kKinds)
    if (kind == key) w.What = value;
  w.OffShare = o.value("share").toDouble();
  w.NeededWidthMm = o.value("needed_width_mm").toDouble();
  w.NeededHeightMm = o.value("needed_height_mm").toDouble();
  w.HoldingSheet = o.value("sheet").toString().toStdString();
  w.Name = util::Utf8ToCp932(o.value(w.What == PageWarning::Kind::ImageMissing ? "image" : "face").toString().toStdString());
  w.UsedInstead = o.value("used").toString().toStdString();
  w.PaperCode = o.value("paper_code").toInt();
  w.HiddenLayers = o.value("hidden_layers").toInt();
  w.HiddenEntities = static_cast<int64_t>(o.value("hidden_entities").toDouble());
  w.DisplayOnlyLayers = o.value("display_only_layers").toInt();
  w.DisplayOnlyEntities = static_cast<int64_t>(o.value("display_only_entities").toDouble());
  return w;
}

// The report's record back as the print run's own: its status, the problem
// its reason tells (each text is DescribeFileProblem's), the blocks or pages
// cut its warnings tell, the images its pages could not place.
FileRecord RecordOf(const QJsonObject& o) {
  FileRecord f;
  FileStatusFromKey(o.value("status").toString().toStdString(), f.Status);
  using K = FileProblem::Kind;
  const std::string reason = o.value("reason").toString().toStdString();
  auto said = [](K kind) {
    FileProblem p;
    p.What = kind;
    return DescribeFileProblem(p);
  };
  if (!reason.empty()) {
    FileProblem p;
    p.What = K::Damaged;
    for (K kind : {K::NoSuchFile, K::NotAFile, K::Empty, K::NotDrawing, K::OutOfMemory})
      if (reason == said(kind)) p.What = kind;
    if (reason.rfind(said(K::Unreadable), 0) == 0) p.What = K::Unreadable;
    const std::string unpacked = said(K::ImagesNotUnpacked).substr(1);  // after its count
    if (reason.size() > unpacked.size() && reason.compare(reason.size() - unpacked.size(), unpacked.size(), unpacked) == 0)
      p.What = K::ImagesNotUnpacked;
    f.Problems.push_back(p);
  }
  if (!o.value("warnings").toArray().isEmpty()) {
    FileProblem cut;
    cut.What = K::BlocksCut;
    f.Problems.push_back(cut);
  }
  FileProblem images;
  images.What = K::ImagesMissing;
  for (const QJsonValue& page : o.value("pages").toArray()) {
    f.Pages.emplace_back();
    for (const QJsonValue& w : page.toObject().value("warnings").toArray()) {
      const PageWarning parsed = WarningOf(w.toObject());
      if (parsed.What == PageWarning::Kind::ImageMissing &&
          std::find(images.Names.begin(), images.Names.end(), parsed.Name) == images.Names.end())
        images.Names.push_back(parsed.Name);
    }
  }
  if (!images.Names.empty()) f.Problems.push_back(images);
  return f;
}

// The file's outcome as the window's list tells it; empty when it printed whole.
QString ShownStatus(const QJsonObject& record) {
  const FileRecord file = RecordOf(record);
  if (file.Status == FileStatus::NotWritten) return Q(msg::kWebNotWritten);
  QStringList shown;
  const bool ended = file.Status == FileStatus::Stopped || file.Status == FileStatus::NotReached;
  for (const RunProblem& p : RunProblems({file}, ended))
    if (p.What != RunProblem::PageWarning && p.What != RunProblem::PageNote) shown << p.Reason;
  return shown.join(QStringLiteral("。"));
}

}  // namespace

std::string ErrorJson(const std::string& message) {
  QJsonObject o;
  o["error"] = QString::fromStdString(message);
  return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

std::string JobJson(const Job& job, int ahead) {
  QJsonObject o;
  o["id"] = QString::fromStdString(job.Id);
  o["state"] = StateName(job.State);
  o["total"] = static_cast<qint64>(job.Paths.size());
  o["done"] = static_cast<qint64>(job.FilesDone);
  if (ahead >= 0) o["ahead"] = ahead;
  const bool over = job.State == JobState::Done || job.State == JobState::Failed;
  if (over) {
    o["pages"] = job.Pages;
    o["pdf"] = job.HasPdf;
    if (!job.Error.empty()) o["error"] = QString::fromStdString(job.Error);
    o["files"] = QJsonDocument::fromJson(QByteArray::fromStdString(job.FilesJson)).array();
  } else {
    QJsonArray files;
    for (const std::string& name : job.Names) files.append(QJsonObject{{"path", ShownName(name)}});
    o["files"] = files;
  }
  return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

bool ClientRecords(const std::string& report, const Job& job, const std::vector<size_t>& printed,
                   const std::map<size_t, std::string>& died, std::string& files, int& pages, std::string& error) {
  QJsonArray records;
  if (!printed.empty()) {
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(report));
    records = doc.object().value("files").toArray();
    pages = doc.object().value("pages").toInt();
    if (doc.isNull() || static_cast<size_t>(records.size()) != printed.size()) {
      error = "the print program left no report of the job";
      return false;
    }
  }
  QJsonArray out;
  size_t next = 0;
  for (size_t i = 0; i < job.Paths.size(); ++i) {
    QJsonObject record;
    const auto dead = died.find(i);
    if (dead != died.end()) {
      record["path"] = ShownName(job.Names[i]);
      record["status"] = "passed_over";
      record["reason"] = QString::fromStdString(dead->second);
      record["warnings"] = QJsonArray();
      record["pages"] = QJsonArray();
      record["shown"] = Q(msg::kWebDied);
      out.append(record);
      continue;
    }
    if (next >= printed.size() || printed[next] != i) continue;
    record = records[static_cast<int>(next++)].toObject();
    record["path"] = ShownName(job.Names[i]);
    record.remove("path_hex");
    QJsonArray pageList;
    for (const QJsonValue& pageValue : record.value("pages").toArray()) {
      QJsonObject page = pageValue.toObject();
      QJsonArray warnings;
      for (const QJsonValue& w : page.value("warnings").toArray()) {
        QJsonObject warning = w.toObject();
        const PageWarning parsed = WarningOf(warning);
        warning["shown"] = PageWarningText(parsed);
        warning["loses_content"] = LosesContent(parsed);
        warnings.append(warning);
      }
      page["warnings"] = warnings;
      pageList.append(page);
    }
    record["pages"] = pageList;
    record["shown"] = ShownStatus(record);
    out.append(record);
  }
  files = QJsonDocument(out).toJson(QJsonDocument::Compact).toStdString();
  return true;
}

}  // namespace web
