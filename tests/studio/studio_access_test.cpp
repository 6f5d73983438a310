// Who may talk to the studio, and how it answers what it cannot take: one
// studio on the bundled still life, and a table of refused requests, after
// which it still serves and nothing has changed.
#include <gtest/gtest.h>

#include "studio/studio_support.h"

namespace {

namespace fs = std::filesystem;

class StudioAccessTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new fs::path(SceneFolderWith("access", "still-life.vxm"));
    // A folder inside that leads outside.
    fs::create_directory_symlink(fs::temp_directory_path(), *folder_ / "outside");
    studio_ = new StudioProcess(*folder_, "still-life.vxm");
  }
  static void TearDownTestSuite() {
    delete studio_;
    fs::remove_all(*folder_);
    delete folder_;
  }
  static fs::path* folder_;
  static StudioProcess* studio_;
};

fs::path* StudioAccessTest::folder_ = nullptr;
StudioProcess* StudioAccessTest::studio_ = nullptr;

// One request: its method, its path and headers (TOKEN stands for the right
// token in both), its body, and the status it must get.
struct Case {
  const char* what;
  const char* method;
  std::string path;
  httplib::Headers headers;
  std::string body;
  int status;
};

std::string WithTokenIn(std::string path, const std::string& token) {
  const size_t at = path.find("TOKEN");
  if (at != std::string::npos) path.replace(at, 5, token);
  return path;
}

httplib::Result Send(httplib::Client& client, const Case& c, const std::string& token) {
  const std::string path = WithTokenIn(c.path, token);
  httplib::Headers headers;
  for (const auto& [name, value] : c.headers) headers.emplace(name, WithTokenIn(value, token));
  const std::string method = c.method;
  if (method == "GET") return client.Get(path, headers);
  if (method == "PUT") return client.Put(path, headers, c.body, "application/json");
  if (method == "POST") return client.Post(path, headers, c.body, "application/json");
  return client.Delete(path, headers, c.body, "application/json");
}

TEST_F(StudioAccessTest, PrintsOneLineWithItsAddressAndA128BitToken) {
  ASSERT_TRUE(studio_->Ready()) << studio_->PrintedLine();
  EXPECT_EQ(studio_->Token().size(), 32u);  // 16 random bytes in hex
}

TEST_F(StudioAccessTest, RefusesWhatItMustNotServeAndKeepsServing) {
  ASSERT_TRUE(studio_->Ready());
  const std::string port = std::to_string(studio_->Port());
  const std::string big(2 << 20, ' ');
  const Json before = studio_->GetJson("/api/settings");
  ASSERT_TRUE(before.is_object());
  const std::vector<Case> cases = {
      {"no token", "GET", "/api/settings", {}, "", 401},
      {"wrong token", "GET", "/api/settings?token=0123456789abcdef0123456789abcdef", {}, "", 403},
      {"token in the cookie", "GET", "/api/settings", {{"Cookie", "vexmark_token=TOKEN"}}, "", 200},
      {"wrong cookie", "GET", "/api/settings", {{"Cookie", "vexmark_token=abc"}}, "", 403},
      {"foreign Host",
       "GET",
       "/api/settings?token=TOKEN",
       {{"Host", "evil.example:" + port}},
       "",
       403},
      {"localhost Host",
       "GET",
       "/api/settings?token=TOKEN",
       {{"Host", "localhost:" + port}},
       "",
       200},
      {"Host on another port",
       "GET",
       "/api/settings?token=TOKEN",
       {{"Host", "127.0.0.1:1"}},
       "",
       403},
      {"foreign Origin",
       "PUT",
       "/api/settings?token=TOKEN",
       {{"Origin", "http://evil.example"}},
       "{}",
       403},
      {"own Origin",
       "PUT",
       "/api/settings?token=TOKEN",
       {{"Origin", "http://localhost:" + port}},
       "{}",
       200},
      {"body over 1 MB", "PUT", "/api/settings?token=TOKEN", {}, big, 413},
      {"malformed JSON", "PUT", "/api/settings?token=TOKEN", {}, "{\"style\": ", 400},
      {"not an object", "PUT", "/api/settings?token=TOKEN", {}, "[1, 2]", 400},
      {"unknown setting", "PUT", "/api/settings?token=TOKEN", {}, R"({"wobble": "on"})", 400},
      {"program option", "PUT", "/api/settings?token=TOKEN", {}, R"({"threads": "2"})", 400},
      {"unknown style", "PUT", "/api/settings?token=TOKEN", {}, R"({"style": "wavy"})", 400},
      {"angle out of range",
       "PUT",
       "/api/settings?token=TOKEN",
       {},
       R"({"crease-angle": "500"})",
       400},
      {"from after to", "PUT", "/api/settings?token=TOKEN", {}, R"({"from": "9", "to": "2"})", 400},
      {"value of the wrong type",
       "PUT",
       "/api/settings?token=TOKEN",
       {},
       R"({"outline": [1]})",
       400},
      {"frame outside", "PUT", "/api/frame?token=TOKEN", {}, R"({"frame": 100000})", 400},
      {"path outside the table", "GET", "/etc/passwd?token=TOKEN", {}, "", 404},
      {"path stepping out", "GET", "/assets/../../CMakeLists.txt?token=TOKEN", {}, "", 404},
      {"unknown object", "PUT", "/api/objects/99999/tag?token=TOKEN", {}, "{}", 404},
      {"bad tag key", "PUT", "/api/objects/0/tag?token=TOKEN", {}, R"({"wobble": "on"})", 400},
      {"view without a rotation",
       "PUT",
       "/api/view?token=TOKEN",
       {},
       R"({"position": [0, 0, 5], "fov": 40})",
       400},
      {"absolute export",
       "POST",
       "/api/export?token=TOKEN",
       {},
       R"({"output": "/tmp/x.svg"})",
       400},
      {"export leaving the folder",
       "POST",
       "/api/export?token=TOKEN",
       {},
       R"({"output": "../x.svg"})",
       400},
      {"export through a subfolder",
       "POST",
       "/api/export?token=TOKEN",
       {},
       R"({"output": ["a.svg", "sub/../../x.svg"]})",
       400},
      {"one file twice",
       "POST",
       "/api/export?token=TOKEN",
       {},
       R"({"output": ["a.svg", "./a.svg"]})",
       400},
      {"save leaving the folder",
       "POST",
       "/api/save?token=TOKEN",
       {},
       R"({"output": "../x.vxm"})",
       400},
      {"save over the scene read",
       "POST",
       "/api/save?token=TOKEN",
       {},
       R"({"output": "still-life.vxm", "replace": true})",
       409},
  };
  const std::vector<std::string> filesBefore = FilesIn(*folder_);
  httplib::Client client = studio_->Client();
  for (const Case& c : cases) {
    const auto result = Send(client, c, studio_->Token());
    ASSERT_TRUE(result) << c.what;
    EXPECT_EQ(result->status, c.status) << c.what << ": " << result->body;
    if (result->status >= 400) {
      EXPECT_TRUE(Json::parse(result->body, nullptr, false).contains("error")) << c.what;
    }
  }
  EXPECT_EQ(FilesIn(*folder_), filesBefore);  // nothing written on any refusal
  EXPECT_EQ(studio_->GetJson("/api/settings"), before);
}

TEST_F(StudioAccessTest, TheFirstPageLoadSetsAStrictHttpOnlyCookie) {
  ASSERT_TRUE(studio_->Ready());
  const auto page = studio_->Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->get_header_value("Content-Type").find("text/html"), std::string::npos);
  const std::string cookie = page->get_header_value("Set-Cookie");
  EXPECT_NE(cookie.find("vexmark_token=" + studio_->Token()), std::string::npos);
  EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
  EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
}

TEST_F(StudioAccessTest, AFloodIsAnsweredTooManyRequestsAndTheStudioServesOnAfterIt) {
  ASSERT_TRUE(studio_->Ready());
  httplib::Client client = studio_->Client();
  client.set_keep_alive(true);
  const std::string path = studio_->WithToken("/api/progress");
  int served = 0, refused = 0;
  for (int k = 0; k < 600; ++k) {
    const auto result = client.Get(path);
    ASSERT_TRUE(result) << "request " << k << " was not answered";
    if (result->status == 200) ++served;
    if (result->status == 429) ++refused;
  }
  EXPECT_EQ(served + refused, 600);  // every request answered, served or refused
  EXPECT_GT(refused, 0);
  EXPECT_GE(served, 200);  // a burst the size of the bound goes through
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  const auto after = studio_->Get("/api/settings");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200);
}

}  // namespace
