// kestrovan-web over HTTP on 127.0.0.1: the real program, its children
// printing real drawings, answering a real client.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "TestSupport.h"
#include "app/web/WebService.h"
#include "util/Files.h"

namespace fs = std::filesystem;

namespace {

std::string Sample(const char* name) { return std::string(KESTROVAN_SOURCE_DIR) + "/samples/" + name; }

std::string Bytes(const std::string& path) { return util::ReadSmallFile(path).Value(); }
std::string Bytes(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

QJsonObject Json(const std::string& body) { return QJsonDocument::fromJson(QByteArray::fromStdString(body)).object(); }

std::string ErrorOf(const httplib::Result& r) {
  return r ? Json(r->body).value("error").toString().toStdString() : "(no answer)";
}

// One kestrovan-web on a port of the system's choosing, with its private
// folder made in a folder of the test's own.
class WebServer {
 public:
  explicit WebServer(std::vector<std::string> args, std::map<std::string, std::string> env = {}) {
    temp_ = jwwtype::TempFolder().Value() + "web-" + std::to_string(++count_);
    fs::create_directories(temp_);
    args.insert(args.begin(), {KESTROVAN_WEB_EXE, "--listen", "127.0.0.1:0", "--temp", temp_});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) envText.push_back(*e);
    for (const auto& [k, v] : env) envText.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    EXPECT_EQ(posix_spawn(&pid_, KESTROVAN_WEB_EXE, &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    const size_t colon = line.rfind(':');
    port_ = colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
    EXPECT_GT(port_, 0) << "kestrovan-web said: " << line;
  }
  ~WebServer() {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    // The service leaves nothing behind.
    EXPECT_TRUE(fs::is_empty(temp_)) << temp_;
  }
  httplib::Client Client() const {
    httplib::Client c("127.0.0.1", port_);
    c.set_read_timeout(60);
    return c;
  }
  // The job folders on disk now.
  size_t JobFolders() const {
    size_t n = 0;
    for (const auto& root : fs::directory_iterator(temp_))
      for (const auto& job : fs::directory_iterator(root)) n += job.is_directory() ? 1 : 0;
    return n;
  }
  // Files under the service's folder, at any depth.
  size_t FilesKept() const {
    size_t n = 0;
    for (const auto& e : fs::recursive_directory_iterator(temp_)) n += e.is_regular_file() ? 1 : 0;
    return n;
  }

 private:
  pid_t pid_ = 0;
  int port_ = 0;
  std::string temp_;
  static inline int count_ = 0;
};

httplib::MultipartFormData Drawing(const std::string& name, const std::string& bytes) {
  return {"files", bytes, name, "application/octet-stream"};
}
httplib::MultipartFormData Field(const std::string& name, const std::string& value) { return {name, value, "", ""}; }

// Polls the job until it is over; every state it was seen in.
QJsonObject WaitForJob(httplib::Client& c, const std::string& id, std::set<std::string>* seen = nullptr) {
  for (int i = 0; i < 1200; ++i) {
    const auto r = c.Get("/api/jobs/" + id);
    if (!r || r->status != 200) return {};
    const QJsonObject job = Json(r->body);
    const std::string state = job.value("state").toString().toStdString();
    if (seen) seen->insert(state);
    if (state == "done" || state == "failed") return job;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return {};
}

}  // namespace

TEST(WebService, UploadProgressResultAndPdf) {
  WebServer server({"--workers", "1", "--keep-fetched-seconds", "0"});
  httplib::Client c = server.Client();
  const auto health = c.Get("/healthz");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 200);
  EXPECT_EQ(Json(health->body).value("status").toString(), "ok");
  const auto page = c.Get("/");
  ASSERT_TRUE(page);
  EXPECT_NE(page->body.find("図面"), std::string::npos);

  // Two drawings from a folder, a file that is no drawing between them, and
  // a name that tries to leave the job's folder.
  const httplib::MultipartFormDataItems items = {
      Drawing("project/1F/house-plan.jww", Bytes(Sample("house-plan.jww"))),
      Drawing("project/notes.jww", "not a drawing"),
      Drawing("../../site-plan.jww", Bytes(Sample("site-plan.jww"))),
      Drawing("empty.jww", ""),
      Drawing("cut.jww", Bytes(Sample("house-plan.jww")).substr(0, 3000)),
      Field("paper", "A4"), Field("orientation", "portrait"), Field("method", "fit"),
      Field("follow-drawing", "1"), Field("per-layer-group", "0")};
  const auto posted = c.Post("/api/jobs", items);
  ASSERT_TRUE(posted);
  ASSERT_EQ(posted->status, 201) << posted->body;
  const std::string id = Json(posted->body).value("id").toString().toStdString();
  ASSERT_EQ(id.size(), 32u);
  std::set<std::string> seen;
  const QJsonObject job = WaitForJob(c, id, &seen);
  ASSERT_EQ(job.value("state").toString(), "done");
  EXPECT_TRUE(seen.count("queued") || seen.count("running"));
  EXPECT_EQ(job.value("total").toInt(), 5);
  EXPECT_EQ(job.value("done").toInt(), 5);
  EXPECT_EQ(job.value("pages").toInt(), 2);

  // The report's records, named as the client named them, the one that is
  // not a drawing passed over alone, with the window's Japanese words.
  const QJsonArray files = job.value("files").toArray();
  ASSERT_EQ(files.size(), 5);
  EXPECT_EQ(files[3].toObject().value("status").toString(), "passed_over");
  EXPECT_EQ(files[3].toObject().value("problem").toObject().value("kind").toString(), "empty");
  EXPECT_EQ(files[3].toObject().value("shown").toString(), QStringLiteral("空のファイルです"));
  EXPECT_EQ(files[3].toObject().value("status_text").toString(), QStringLiteral("読み飛ばし"));
  EXPECT_EQ(files[4].toObject().value("status").toString(), "damaged");
  EXPECT_EQ(files[4].toObject().value("problem").toObject().value("kind").toString(), "damaged");
  // Cut off before anything printable: damaged, and no page, as the window lists it.
  EXPECT_EQ(files[4].toObject().value("shown").toString().toStdString(),
            "ファイルが壊れています（読めた所まで印刷）。印刷するものがありません（ページなし）");
  EXPECT_EQ(files[0].toObject().value("path").toString(), "project/1F/house-plan.jww");
  EXPECT_EQ(files[0].toObject().value("status").toString(), "printed");
  // Its image, carried inside the drawing, is read from the job's own folders.
  EXPECT_EQ(files[0].toObject().value("shown").toString(), "");
  EXPECT_EQ(files[1].toObject().value("status").toString(), "passed_over");
  EXPECT_EQ(files[1].toObject().value("problem").toObject().value("kind").toString(), "not_a_drawing");
  EXPECT_EQ(files[1].toObject().value("shown").toString(), QStringLiteral("図面ファイルではありません"));
  EXPECT_EQ(files[2].toObject().value("path").toString(), "../../site-plan.jww");
  EXPECT_EQ(files[2].toObject().value("status").toString(), "printed");
  EXPECT_FALSE(files[0].toObject().contains("path_hex"));
  const QJsonObject firstPage = files[0].toObject().value("pages").toArray()[0].toObject();
  EXPECT_EQ(firstPage.value("paper").toObject().value("name").toString(), "A4");
  EXPECT_EQ(firstPage.value("paper").toObject().value("orientation").toString(), "portrait");

  // The PDF, with a bookmark per drawing titled with its own name; fetched,
  // the job and its folder go.
  const auto pdf = c.Get("/api/jobs/" + id + "/pdf");
  ASSERT_TRUE(pdf);
  EXPECT_EQ(pdf->status, 200);
  EXPECT_EQ(pdf->body.compare(0, 5, "%PDF-"), 0);
  EXPECT_NE(pdf->body.find("house-plan.jww"), std::string::npos);
  for (int i = 0; i < 100 && server.JobFolders() > 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(server.JobFolders(), 0u);
  EXPECT_EQ(c.Get("/api/jobs/" + id)->status, 404);

  // A job's page warnings in the window's Japanese, and a job with nothing
  // to print has no PDF.
  TJwwData blank;
  InitTestDrawing(blank, 700);
  const auto second = c.Post("/api/jobs", httplib::MultipartFormDataItems{Drawing("blank.jww", Bytes(WriteJww(blank)))});
  ASSERT_EQ(second->status, 201);
  const std::string blankId = Json(second->body).value("id").toString().toStdString();
  const QJsonObject blankJob = WaitForJob(c, blankId);
  EXPECT_EQ(blankJob.value("state").toString(), "done");
  EXPECT_EQ(blankJob.value("pages").toInt(), 0);
  EXPECT_EQ(blankJob.value("files").toArray()[0].toObject().value("status").toString(), "blank");
  EXPECT_EQ(blankJob.value("files").toArray()[0].toObject().value("shown").toString(),
            QStringLiteral("印刷するものがありません（ページなし）"));
  const auto none = c.Get("/api/jobs/" + blankId + "/pdf");
  EXPECT_EQ(none->status, 404);
  EXPECT_FALSE(ErrorOf(none).empty());
  // Nothing of the drawings stays once a job is over: its report and PDF only.
  EXPECT_LE(server.FilesKept(), 2u);
}

// A print program that dies by a signal (a crash; the out-of-memory killer's
// SIGKILL) while a drawing is in hand, as its live report says: the job
// names the drawing and the signal, and prints the others without it.
TEST(WebService, WarningsImagesAndADrawingThatKillsItsPrint) {
  const std::string dir = jwwtype::TempFolder().Value() + "webcrash/";
  fs::create_directories(dir);
  const std::string wrapper = dir + "print";
  std::ofstream(wrapper) << "#!/bin/sh\n"
                            "case \"$*\" in *crash.jww*) ;; *) exec '" KESTROVAN_PRINT_EXE "' \"$@\";; esac\n"
                            "report=; prev=; for a; do [ \"$prev\" = --report ] && report=$a; prev=$a; done\n"
                            "'" KESTROVAN_PRINT_EXE "' \"$@\" & child=$!\n"
                            "while kill -0 $child 2>/dev/null; do\n"
                            "  if jq -e '[.files[] | select(.path | endswith(\"crash.jww\")) | .status] == [\"stopped\"]' "
                            "\"$report\" >/dev/null 2>&1; then kill -$SIGNAL $child; break; fi\n"
                            "  sleep 0.01\n"
                            "done\n"
                            "wait $child; kill -$SIGNAL $$\n";
  fs::permissions(wrapper, fs::perms::owner_all);

  // A drawing placing a BMP of the server's by its full path: not read.
  const std::string outside = dir + "secret.bmp";
  {
    std::ofstream bmp(outside, std::ios::binary);
    const unsigned char header[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0,
                                    0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0,
                                    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF};
    bmp.write(reinterpret_cast<const char*>(header), sizeof header);
  }
  TJwwData d;
  InitTestDrawing(d, 700);
  Add(d.Entities, MakeLine(0, 0, 100, 100));
  Add(d.Entities, MakeText(10, 10, 60, 10, "^@BM" + outside + ",50,40"));
  // The drawing it dies on takes a while to print, so it is seen in hand.
  TJwwData slow;
  InitTestDrawing(slow, 700);
  for (int i = 0; i < 200000; ++i) Add(slow.Entities, MakeLine(i % 400, 0, 400 - i % 400, 280));
  const std::string slowBytes = Bytes(WriteJww(slow));
  for (const char* signal : {"SEGV", "KILL"}) {
    WebServer server({"--print-program", wrapper}, {{"SIGNAL", signal}});
    httplib::Client c = server.Client();
    const auto posted = c.Post("/api/jobs", httplib::MultipartFormDataItems{
                                                Drawing("image.jww", Bytes(WriteJww(d))),
                                                Drawing("crash.jww", slowBytes),
                                                Drawing("site.jww", Bytes(Sample("site-plan.jww")))});
    ASSERT_EQ(posted->status, 201) << posted->body;
    const QJsonObject job = WaitForJob(c, Json(posted->body).value("id").toString().toStdString());
    // Not a time-out, whichever signal it was.
    ASSERT_EQ(job.value("state").toString(), "done") << signal << ": " << job.value("error").toString().toStdString();
    const QJsonArray files = job.value("files").toArray();
    ASSERT_EQ(files.size(), 3);
    const QJsonObject image = files[0].toObject();
    ASSERT_EQ(image.value("status").toString(), "printed") << signal;
    const QJsonObject warning =
        image.value("pages").toArray()[0].toObject().value("warnings").toArray()[0].toObject();
    EXPECT_EQ(warning.value("kind").toString(), "image_missing");
    EXPECT_TRUE(image.value("shown").toString().startsWith(QStringLiteral("画像が見つからないか読めないため省いて印刷：")));
    const QJsonObject crash = files[1].toObject();
    EXPECT_EQ(crash.value("status").toString(), "passed_over");
    EXPECT_EQ(crash.value("problem").toObject().value("kind").toString(), "died_on_drawing");
    EXPECT_TRUE(crash.value("problem").toObject().value("signal").toString().startsWith(QString("SIG") + signal));
    EXPECT_EQ(crash.value("shown").toString(),
              QStringLiteral("この図面で印刷が異常終了したため、この図面を除いて印刷しました"));
    EXPECT_EQ(files[2].toObject().value("status").toString(), "printed");
    EXPECT_EQ(job.value("pages").toInt(), 2);
  }
}

TEST(WebService, LimitsAnswer413Or503AndLeaveNothing) {
  WebServer server({"--max-file-mb", "1", "--max-files", "3", "--max-job-mb", "2", "--max-waiting", "1", "--workers",
                    "1"});
  httplib::Client c = server.Client();
  const std::string drawing = Bytes(Sample("house-plan.jww"));
  const std::string big((1 << 20) + 10, 'x');
  const std::string nearly((1 << 20) - 100, 'x');
  struct Case {
    const char* why;
    httplib::MultipartFormDataItems items;
  };
  const Case cases[] = {
      {"a file over 1 MB", {Drawing("a.jww", drawing), Drawing("big.jww", big)}},
      {"four files",
       {Drawing("a.jww", drawing), Drawing("b.jww", drawing), Drawing("c.jww", drawing), Drawing("d.jww", drawing)}},
      {"a job over 2 MB in files each under 1 MB",
       {Drawing("a.jww", nearly), Drawing("b.jww", nearly), Drawing("c.jww", nearly)}},
  };
  for (const Case& k : cases) {
    const auto r = c.Post("/api/jobs", k.items);
    ASSERT_TRUE(r) << k.why;
    EXPECT_EQ(r->status, 413) << k.why << ": " << r->body;
    EXPECT_FALSE(ErrorOf(r).empty()) << k.why;
    EXPECT_EQ(server.JobFolders(), 0u) << k.why;
  }
  // Said in advance: refused before it is read.
  const auto declared = c.Post("/api/jobs", std::string(4u << 20, 'x'), "multipart/form-data; boundary=b");
  ASSERT_TRUE(declared);
  EXPECT_EQ(declared->status, 413);
  EXPECT_FALSE(ErrorOf(declared).empty());

}

TEST(WebService, JobsWaitTheirTurnAndAFullQueueAnswers503) {
  // A print program held until the test lets it go.
  const std::string dir = jwwtype::TempFolder().Value() + "webqueue/";
  fs::create_directories(dir);
  const std::string wrapper = dir + "print";
  std::ofstream(wrapper) << "#!/bin/sh\nwhile [ ! -e '" << dir << "go' ]; do sleep 0.05; done\nexec '" KESTROVAN_PRINT_EXE
                            "' \"$@\"\n";
  fs::permissions(wrapper, fs::perms::owner_all);
  WebServer server({"--print-program", wrapper, "--max-waiting", "1", "--workers", "1"});
  httplib::Client c = server.Client();
  const httplib::MultipartFormDataItems job = {Drawing("a.jww", Bytes(Sample("house-plan.jww")))};
  const auto first = c.Post("/api/jobs", job);
  ASSERT_EQ(first->status, 201);
  const std::string firstId = Json(first->body).value("id").toString().toStdString();
  for (int i = 0; i < 200 && Json(c.Get("/api/jobs/" + firstId)->body).value("state") != "running"; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(Json(c.Get("/api/jobs/" + firstId)->body).value("state").toString(), "running");
  const auto second = c.Post("/api/jobs", job);
  ASSERT_EQ(second->status, 201);
  const std::string secondId = Json(second->body).value("id").toString().toStdString();
  const QJsonObject waiting = Json(c.Get("/api/jobs/" + secondId)->body);
  EXPECT_EQ(waiting.value("state").toString(), "queued");
  EXPECT_EQ(waiting.value("ahead").toInt(), 0);
  EXPECT_EQ(waiting.value("files").toArray()[0].toObject().value("path").toString(), "a.jww");
  const auto third = c.Post("/api/jobs", job);
  ASSERT_TRUE(third);
  EXPECT_EQ(third->status, 503);
  EXPECT_NE(ErrorOf(third).find("already waiting"), std::string::npos) << ErrorOf(third);
  EXPECT_EQ(Json(c.Get("/healthz")->body).value("queued").toInt(), 1);
  std::ofstream(dir + "go") << "";
  EXPECT_EQ(WaitForJob(c, firstId).value("state").toString(), "done");
  EXPECT_EQ(WaitForJob(c, secondId).value("state").toString(), "done");
  EXPECT_EQ(c.Post("/api/jobs", job)->status, 201);
}

// An upload's parts handed to the route as the HTTP server hands them, without a socket.
struct Part {
  std::string Name, FileName, Content;
};
web::PartReader Parts(const std::vector<Part>& parts, bool complete = true) {
  return [parts, complete](const std::function<bool(const web::PartHead&)>& head,
                           const std::function<bool(const char*, size_t)>& data) {
    for (const Part& p : parts)
      if (!head({p.Name, p.FileName}) || !data(p.Content.data(), p.Content.size())) return false;
    return complete;
  };
}

// The routes as functions: each refusal a status, a kind for scripts and
// words for the page.
TEST(WebService, BadInputAnswers400WithReasons) {
  const std::string root = jwwtype::TempFolder().Value() + "webroutes";
  fs::create_directories(root);
  web::JobTable table(root, KESTROVAN_PRINT_EXE, web::WebLimits());
  web::Service service(table, {"<html>図面</html>", "", ""}, "", "test");
  const std::string drawing = Bytes(Sample("house-plan.jww"));
  struct Case {
    const char* why;
    std::vector<Part> parts;
    const char* kind;
    const char* said;  // part of the reason given
  };
  const Case cases[] = {
      {"no drawings", {{"paper", "", "A3"}}, "no_drawings", "no drawings"},
      {"an unknown option", {{"files", "a.jww", drawing}, {"colour", "", "red"}}, "bad_option", "\"colour\" is not a print option"},
      {"an output of the server's", {{"files", "a.jww", drawing}, {"pdf", "", "/etc/passwd"}}, "bad_option", "\"pdf\" is not"},
      {"a settings file of the server's", {{"files", "a.jww", drawing}, {"settings", "", "/etc/x.dat"}}, "bad_option", "not a print"},
      {"a value out of range", {{"files", "a.jww", drawing}, {"mono", "", "300"}}, "bad_option", "mono takes a whole number 0..255"},
      {"a choice not known", {{"files", "a.jww", drawing}, {"method", "", "stretch"}}, "bad_option", "method takes drawing|fit|scale"},
      {"a paper not known", {{"files", "a.jww", drawing}, {"paper", "", "letter"}}, "bad_option", "paper takes"},
      {"a flag with a value", {{"files", "a.jww", drawing}, {"follow-drawing", "", "maybe"}}, "bad_option", "takes 1 or 0"},
      {"papers that exclude each other",
       {{"files", "a.jww", drawing}, {"paper", "", "drawing"}, {"fit-paper", "", "A3"}}, "bad_option", "exclude each other"},
      {"a file under another name", {{"drawing", "a.jww", drawing}}, "file_as_field", "part named \"files\""},
  };
  const web::Request post{"POST", "/api/jobs", {}, {}};
  for (const Case& k : cases) {
    const web::Answer a = service.ReceiveJob(post, true, Parts(k.parts));
    EXPECT_EQ(a.Status, 400) << k.why << ": " << a.Body;
    const QJsonObject error = Json(a.Body);
    EXPECT_EQ(error.value("kind").toString().toStdString(), k.kind) << k.why;
    EXPECT_NE(error.value("error").toString().toStdString().find(k.said), std::string::npos) << k.why << ": " << a.Body;
    EXPECT_FALSE(error.value("text").toString().isEmpty()) << k.why;
  }
  const web::Answer notMultipart = service.ReceiveJob(post, false, Parts({{"", "", "paper=A3"}}));
  EXPECT_EQ(notMultipart.Status, 400);
  EXPECT_EQ(Json(notMultipart.Body).value("kind").toString(), "not_multipart");
  const web::Answer cut = service.ReceiveJob(post, true, Parts({{"files", "a.jww", "Jww"}}, false));
  EXPECT_EQ(cut.Status, 400);
  EXPECT_EQ(Json(cut.Body).value("text").toString(), QStringLiteral("送信が途中で切れました"));
  for (const char* path : {"/api/jobs/0123456789abcdef0123456789abcdef", "/api/jobs/../../etc/passwd"})
    EXPECT_EQ(service.Handle({"GET", path, {}, {}}).Status, 404) << path;
  const web::Answer print =
      service.Handle({"POST", "/api/jobs/0123456789abcdef0123456789abcdef/print", {}, {{"queue", "x"}}});
  EXPECT_EQ(print.Status, 404);
  EXPECT_EQ(Json(print.Body).value("kind").toString(), "no_such_job");
  // A page of another site is turned away before any route.
  const std::optional<web::Answer> foreign =
      service.Gate({"POST", "/api/jobs", {{"Origin", "http://evil.example"}, {"Host", "127.0.0.1:8631"}}, {}});
  ASSERT_TRUE(foreign);
  EXPECT_EQ(foreign->Status, 403);
  EXPECT_FALSE(service.Gate({"POST", "/api/jobs", {{"origin", "http://127.0.0.1:8631"}, {"host", "127.0.0.1:8631"}}, {}}));
  table.Shutdown();
  EXPECT_TRUE(fs::is_empty(root));
}

TEST(WebService, PasswordAndOtherSitesPages) {
  const std::string dir = jwwtype::TempFolder().Value() + "webpass/";
  fs::create_directories(dir);
  std::ofstream(dir + "password") << "s3cret\n";
  WebServer server({"--password-file", dir + "password"});
  httplib::Client c = server.Client();
  EXPECT_EQ(c.Get("/healthz")->status, 200);  // monitoring needs no password
  const auto refused = c.Get("/api/queues");
  EXPECT_EQ(refused->status, 401);
  EXPECT_TRUE(refused->has_header("WWW-Authenticate"));
  EXPECT_EQ(c.Get("/")->status, 401);
  c.set_bearer_token_auth("wrong");
  EXPECT_EQ(c.Get("/api/queues")->status, 401);
  c.set_bearer_token_auth("s3cret");
  EXPECT_EQ(c.Get("/api/queues")->status, 200);
  httplib::Client basic = server.Client();
  basic.set_basic_auth("anyone", "s3cret");
  EXPECT_EQ(basic.Get("/")->status, 200);
  // A page of another site cannot send a job with the browser's credentials.
  const auto foreign = basic.Post("/api/jobs", httplib::Headers{{"Origin", "http://evil.example"}},
                                  httplib::MultipartFormDataItems{Drawing("a.jww", Bytes(Sample("house-plan.jww")))});
  EXPECT_EQ(foreign->status, 403);
  EXPECT_EQ(server.JobFolders(), 0u);
}
