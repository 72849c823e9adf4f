#include "app/core/PpdOptions.h"

#include <sstream>
#include <utility>
#include <vector>

#include "app/core/PrintOptions.h"
#include "util/CodePage.h"

namespace {

const char kBegin[] = "*% Kestrovan's job options: begin (kestrovan-cups --add-options)";
const char kEnd[] = "*% Kestrovan's job options: end";
// The block as earlier versions wrote it (--ppd-options, appended by hand).
const char kEarlierBegin[] = "*% Kestrovan's job options (kestrovan-cups --ppd-options)";
const char kEarlierEnd[] = "*CloseGroup: Kestrovan";
const char kOffPaper[] = "off-paper";  // the filter's own option, beside the table's

// The labels a print dialog shows: an option by its name ("method"), a
// choice as "name=choice", "=None"/"=True"/"=False" for any option's.
struct Label {
  const char* Key;
  const char* English;
  const char* Japanese;
};
const Label kLabels[] = {
    {"", "Kestrovan (Jw_cad drawings)", "Kestrovan（Jw_cad 図面）"},
    {"=None", "As the drawing says", "図面の設定どおり"},
    {"=True", "Yes", "する"},
    {"=False", "No", "しない"},
    {"off-paper", "Content beyond the paper", "用紙からはみ出す図面"},
    {"off-paper=warn", "Print it and warn", "印刷して警告する"},
    {"off-paper=fail", "Refuse the job", "ジョブを印刷しない"},
    {"off-paper=fit", "Fit it to the paper", "用紙に合わせて印刷する"},
    {"method", "Placement", "印刷の配置"},
    {"method=drawing", "As printed from the drawing", "図面の印刷設定どおり"},
    {"method=fit", "Fit to the paper", "用紙に合わせる"},
    {"pens", "Pens", "線色・線幅"},
    {"pens=drawing", "Each drawing's own", "図面ごとの設定"},
    {"pens=table", "The standard table", "標準の表"},
    {"line-types", "Line types", "線種"},
    {"line-types=drawing", "Each drawing's own", "図面ごとの設定"},
    {"line-types=table", "The standard table", "標準の表"},
    {"aux-lines", "Print auxiliary lines", "補助線を印刷"},
    {"display-only", "Display-only layers", "表示のみレイヤ"},
    {"display-only=0", "Not printed", "印刷しない"},
    {"display-only=1", "In grey", "グレーで印刷"},
    {"display-only=2", "In the given colour", "指定色で印刷"},
    {"display-only=3", "As the other layers", "ほかのレイヤと同じく印刷"},
    {"follow-drawing", "Colours as each drawing says", "色は図面の印刷設定どおり"},
    {"order", "Print order", "印刷順"},
    {"order=normal", "As drawn", "作図順"},
    {"order=layer", "By layer", "レイヤ順"},
    {"order=reverse", "By layer, reversed", "レイヤの逆順"},
    {"one-document", "One print document", "一つの文書として印刷"},
    {"per-layer-group", "A page per layer group", "レイヤグループごとに1ページ"},
    {"paper", "Paper", "用紙"},
    {"paper=job", "The job's paper", "ジョブの用紙"},
    {"paper=drawing", "Each drawing's own sheet", "図面ごとの用紙"},
    {"fit-paper", "Reduce each drawing onto", "図面を縮小する用紙"},
};

// The label of a key: its own, else the one every option's choice of that
// value has, else the key itself (a choice of a paper: "A3").
const Label* Find(const std::string& key) {
  for (const Label& l : kLabels)
    if (key == l.Key) return &l;
  const size_t equals = key.find('=');
  if (equals != std::string::npos && equals > 0) return Find(key.substr(equals));
  return nullptr;
}

// How the PPD words its labels, and the languages it lists.
struct PpdLanguage {
  bool Japanese = false;  // LanguageVersion: Japanese
  bool ShiftJis = false;  // LanguageEncoding: JIS83-RKSJ
  std::vector<std::string> Listed;  // cupsLanguages
};

// The value of a main keyword ("*LanguageVersion: English"), quotes taken off.
std::string Value(const std::string& ppd, const std::string& keyword) {
  const std::string key = "*" + keyword + ":";
  for (size_t at = ppd.find(key); at != std::string::npos; at = ppd.find(key, at + 1)) {
    if (at != 0 && ppd[at - 1] != '\n') continue;
    size_t start = at + key.size();
    const size_t end = ppd.find_first_of("\r\n", start);
    std::string v = ppd.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const size_t first = v.find_first_not_of(" \t\"");
    const size_t last = v.find_last_not_of(" \t\"");
    return first == std::string::npos ? std::string() : v.substr(first, last - first + 1);
  }
  return std::string();
}

PpdLanguage LanguageOf(const std::string& ppd) {
  PpdLanguage l;
  l.Japanese = Value(ppd, "LanguageVersion") == "Japanese";
  l.ShiftJis = Value(ppd, "LanguageEncoding") == "JIS83-RKSJ";
  std::istringstream listed(Value(ppd, "cupsLanguages"));
  for (std::string word; listed >> word;) l.Listed.push_back(word);
  return l;
}

bool IsJapanese(const std::string& language) { return language == "ja" || language.rfind("ja_", 0) == 0; }

class Writer {
 public:
  explicit Writer(const std::string& ppd) : ppd_(ppd), language_(LanguageOf(ppd)) {
    languages_ = language_.Listed;
    bool japanese = false;
    for (const std::string& l : languages_) japanese = japanese || l == "ja";
    if (!japanese) languages_.push_back("ja");
  }

  // An option: its main lines, its choices, then their translations.
  // The default is the one the PPD has for it already (a queue's preset),
  // when it is still a choice.
  void Option(const std::string& name, const char* ui, std::string fallback, const std::vector<std::string>& choices) {
    const std::string keyword = "kestrovan-" + name;
    const std::string preset = Value(ppd_, "Default" + keyword);
    for (const std::string& c : choices)
      if (c == preset) fallback = preset;
    out_ << "*OpenUI *" << keyword << "/" << Main(name) << ": " << ui << "\n"
         << "*OrderDependency: 100 AnySetup *" << keyword << "\n"
         << "*Default" << keyword << ": " << fallback << "\n";
    for (const std::string& c : choices) out_ << "*" << keyword << " " << c << "/" << Main(name + "=" + c) << ": \"\"\n";
    out_ << "*CloseUI: *" << keyword << "\n";
    for (const std::string& l : languages_) {
      out_ << "*" << l << ".Translation " << keyword << "/" << In(l, name) << ": \"\"\n";
      for (const std::string& c : choices)
        out_ << "*" << l << "." << keyword << " " << c << "/" << In(l, name + "=" + c) << ": \"\"\n";
    }
  }

  std::string Text() {
    std::ostringstream all;
    all << kBegin << "\n*OpenGroup: Kestrovan/" << Main("") << "\n";
    for (const std::string& l : languages_) all << "*" << l << ".Translation Kestrovan/" << In(l, "") << ": \"\"\n";
    all << out_.str() << "*CloseGroup: Kestrovan\n" << kEnd << "\n";
    return all.str();
  }

 private:
  // In the PPD's own language and encoding.
  std::string Main(const std::string& key) const {
    if (!language_.Japanese) return In("en", key);
    const std::string text = In("ja", key);
    return language_.ShiftJis ? util::Utf8ToCp932(text) : text;
  }
  // Translations are UTF-8.
  static std::string In(const std::string& language, const std::string& key) {
    const Label* l = Find(key);
    if (!l) return key.substr(key.find('=') + 1);
    return IsJapanese(language) ? l->Japanese : l->English;
  }

  const std::string& ppd_;
  PpdLanguage language_;
  std::vector<std::string> languages_;
  std::ostringstream out_;
};

std::vector<std::string> Split(const std::string& all) {
  std::vector<std::string> words;
  for (size_t start = 0; start < all.size();) {
    const size_t bar = std::min(all.find('|', start), all.size());
    words.push_back(all.substr(start, bar - start));
    start = bar + 1;
  }
  return words;
}

}  // namespace

std::string PpdOptionsBlock(const std::string& ppd) {
  Writer w(ppd);
  w.Option(kOffPaper, "PickOne", "warn", {"warn", "fail", "fit"});
  for (const PrintOption* o = PrintOptionsBegin(); o != PrintOptionsEnd(); ++o) {
    if (!o->TakesValue) {
      w.Option(o->Name, "Boolean", "False", {"True", "False"});
    } else if (o->Choices) {
      std::vector<std::string> choices = Split(o->Choices);
      choices.insert(choices.begin(), "None");
      w.Option(o->Name, "PickOne", "None", choices);
    }
  }
  return w.Text();
}

bool HasPpdOptions(const std::string& ppd) {
  return ppd.find(kBegin) != std::string::npos || ppd.find(kEarlierBegin) != std::string::npos;
}

std::string WithoutPpdOptions(const std::string& ppd) {
  std::string out = ppd;
  for (const auto& [first, last] : {std::make_pair(kBegin, kEnd), std::make_pair(kEarlierBegin, kEarlierEnd)}) {
    for (size_t begin = out.find(first); begin != std::string::npos; begin = out.find(first, begin)) {
      const size_t at = out.find(last, begin);
      const size_t end = at == std::string::npos ? std::string::npos : out.find('\n', at);
      out.erase(begin, end == std::string::npos ? std::string::npos : end + 1 - begin);
    }
  }
  return out;
}
