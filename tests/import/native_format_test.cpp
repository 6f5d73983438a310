// The native document format: a saved document loads back equal, export
// settings and export tags included; damaged files are refused with the
// place of the damage; a failed save leaves the earlier file alone.
#include "host/import/native_format.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "capture/export_tags.h"
#include "core/export_settings.h"
#include "host/document_compare.h"
#include "host/import/child_import.h"
#include "host/import/load_scene.h"
#include "host_fixture.h"
#include "scene_files.h"
#include "shell/settings_storage.h"
#include "shell/tag_dialog.h"

namespace {

using nlohmann::json;

class NativeFormatTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    folder_ = scene_files::TestFolder();
  }

  // A document with an item of every kind the host holds.
  static std::unique_ptr<HostDocument> RichDocument() {
    std::unique_ptr<HostDocument> doc(host::NewDocument());
    doc->settings.Set(kDocTime, HostTime{7, 24});
    doc->settings.Set(kDocFps, int64_t{24});
    doc->settings.Set(kDocName, std::string("Straße.vxm"));
    doc->settings.Set(kDocFolder, host::FileName{"/scenes"});
    doc->settings.Set(4000, std::numeric_limits<double>::quiet_NaN());
    doc->settings.Set(4001, -std::numeric_limits<double>::infinity());
    doc->renderSettings.Set(kRenderFile, host::FileName{"/out/frame.ai"});

    ExportSettings settings;
    settings.toFrame = 48;
    settings.drawingStyle = kStyleFilled;
    settings.fileName = "/out/shot.ai";
    settings.lines.lineColour = {0.25f, 0.5f, 1.0f};
    EXPECT_TRUE(SaveSettingsTo(doc.get(), settings));

    host::Scene& scene = doc->scene;
    HostMaterial standard;
    standard.name = "Paint";
    host::SetChannel(standard, kChannelColour, {1, 0.8f, 0}, 1.0);
    host::SetChannel(standard, kChannelLuminance, {0.1f, 0.1f, 0.1f}, 0.5);
    host::SetChannel(standard, 8, {0, 0, 0}, 1.0);
    standard.data.Set(1016, 0.25);
    HostMaterial other;
    other.type = 5704;
    const int32_t paint = host::AddMaterial(scene, standard);
    host::AddMaterial(scene, other);

    HostObject& group = host::AddObject(scene, host::kNoIndex, kObjectNull, "Group");
    group.visibility = kVisibilityOff;
    group.local =
        host::Compose({{1, 2, 3}, host::NormalizedQuaternion({0.1, 0.2, 0.3, 0.9}), {1, 2, 3}});
    group.tracks.position.keys = {{0, {0, 0, 0}}, {0.5, {1, 0, 0}}, {2, {1, 1e-7, -3}}};
    group.tracks.rotation.interpolation = host::Interpolation::kStep;
    group.tracks.rotation.keys = {{0, {0, 0, 0, 1}},
                                  {1, {0, 0.7071067811865476, 0, 0.7071067811865476}}};
    group.tracks.scale.keys = {{1.0 / 3.0, {1, 1, 1}}};

    HostObject& mesh = host::AddObject(scene, group.index, kObjectPolygon, "Mesh");
    mesh.visibility = kVisibilityOn;
    mesh.points = {{0, 0, 0}, {1, -0.0f, 0}, {1, 1, 1e-30f}, {0.1f, 1, 0}};
    mesh.polygons = {{0, 1, 2, 2}, {0, 1, 2, 3}, {3, 3, 0, 0}};
    host::AddTag(mesh, host::TextureTag(paint, ""));
    host::AddTag(mesh, host::SelectionTag("Sel", {0, 2}));
    host::AddTag(mesh, host::TextureTag(1, "Sel"));
    HostContainer tagSettings(kExportTagId);
    tagSettings.Set(kTagOutline, false);
    tagSettings.Set(kTagCreaseAngle, 0.7853982);
    tagSettings.Set(kTagLineWidth, int64_t{3});
    tagSettings.Set(kTagLineColour, HostVector{1, 0, 0});
    tagSettings.Set(kTagLineBrightness, 0.5);
    host::AddTag(mesh, host::PluginTag(kExportTagId, tagSettings));
    HostContainer nested(99);
    nested.Set(1, host::NestedContainer(tagSettings));
    nested.Set(2, HostTime{-3, 5});
    host::AddTag(mesh, host::PluginTag(99, nested));

    HostObject& top = host::AddObject(scene, host::kNoIndex, kObjectNull, "Second");
    host::AddObject(scene, top.index, kObjectNull, "Empty group");
    // Added last but a child of the first object: the objects' order in the
    // scene differs from the tree's.
    HostObject& camera = host::AddObject(scene, group.index, kObjectCamera, "Shot");
    camera.camera = {kProjectionParallel, 50.0, 24.0, 0.25};
    scene.view.linkedCamera = camera.index;
    scene.view.camera.local.off = {0, 5, -20};
    scene.view.camera.camera.lens = 28;
    return doc;
  }

  std::string folder_;
};

TEST_F(NativeFormatTest, ASavedDocumentLoadsBackEqual) {
  const std::unique_ptr<HostDocument> original = RichDocument();
  const std::string path = folder_ + "/rich.vxm";
  std::string error;
  ASSERT_TRUE(host::SaveNativeDocument(*original, path, error)) << error;

  std::string reason;
  const std::unique_ptr<HostDocument> loaded = host::import::LoadNativeFile(path, reason);
  ASSERT_NE(loaded, nullptr) << reason;
  EXPECT_EQ(host::DocumentDifference(*original, *loaded), "");

  // Saving again writes the same file.
  const std::string again = folder_ + "/again.vxm";
  ASSERT_TRUE(host::SaveNativeDocument(*loaded, again, error)) << error;
  EXPECT_EQ(scene_files::ReadFile(again), scene_files::ReadFile(path));

  // The comparison does see a change.
  loaded->scene.objects[1]->tags[3].data.Set(kTagLineWidth, int64_t{4});
  EXPECT_EQ(host::DocumentDifference(*original, *loaded),
            "objects[1].tags[3].data[" + std::to_string(kTagLineWidth) + "]");
}

TEST_F(NativeFormatTest, ALoadedSceneKeepsItsExportSettingsAndExportTags) {
  const std::string path = folder_ + "/shot.vxm";
  std::string error;
  ASSERT_TRUE(host::SaveNativeDocument(*RichDocument(), path, error)) << error;

  const std::unique_ptr<HostDocument> doc = scene_files::Load(path, error);
  ASSERT_NE(doc, nullptr) << error;
  EXPECT_EQ(GetDocumentData(doc.get(), kDocumentSettings).GetString(kDocName), "shot.vxm");

  ExportSettings settings;
  ASSERT_TRUE(LoadSettingsFrom(doc.get(), settings));
  EXPECT_EQ(settings.toFrame, 48);
  EXPECT_EQ(settings.drawingStyle, kStyleFilled);
  EXPECT_EQ(settings.fileName, "/out/shot.ai");
  EXPECT_EQ(settings.lines.linePageColour.b, 255);

  SceneObject* mesh = ObjectDown(GetFirstObject(doc.get()));
  ASSERT_EQ(ObjectNameOf(mesh), "Mesh");
  LineStyle line;
  ASSERT_TRUE(readExportTags(line, mesh));
  EXPECT_EQ(line.lineWidth, 3);
  EXPECT_FALSE(line.outlineLines);
  EXPECT_EQ(line.linePageColour.r, 127);
}

// Stored settings an export cannot use are refused when the file is read,
// naming the value, instead of giving an empty or absurd drawing later.
TEST_F(NativeFormatTest, StoredValuesOutOfRangeAreRefusedNamingTheValue) {
  struct Case {
    const char* name;
    std::function<void(HostDocument&)> spoil;
    const char* reason;
  };
  const auto stored = [](std::function<void(ExportSettings&)> change) {
    return [change](HostDocument& doc) {
      ExportSettings settings;
      ASSERT_TRUE(LoadSettingsFrom(&doc, settings));
      change(settings);
      ASSERT_TRUE(SaveSettingsTo(&doc, settings));
    };
  };
  const Case cases[] = {
      {"style", stored([](ExportSettings& s) { s.drawingStyle = 999; }),
       "pluginData: the drawing style 999 is not between 10034 and 10037"},
      {"style just above", stored([](ExportSettings& s) { s.drawingStyle = kStyleFilled + 1; }),
       "pluginData: the drawing style 10038 is not between 10034 and 10037"},
      {"width", stored([](ExportSettings& s) { s.width = 0; }),
       "pluginData: the picture width 0 is not between 1 and 100000"},
      {"height", stored([](ExportSettings& s) { s.height = 100001; }),
       "pluginData: the picture height 100001 is not between 1 and 100000"},
      {"render width", [](HostDocument& d) { d.renderSettings.Set(kRenderWidth, int64_t{-5}); },
       "renderSettings: the picture width -5 is not between 1 and 100000"},
      {"render height",
       [](HostDocument& d) { d.renderSettings.Set(kRenderHeight, int64_t{1} << 40); },
       "renderSettings: the picture height 1099511627776 is not between 1 and 100000"},
  };
  const std::string path = folder_ + "/stored.vxm";
  for (const Case& c : cases) {
    const std::unique_ptr<HostDocument> doc = RichDocument();
    c.spoil(*doc);
    std::string error;
    ASSERT_TRUE(host::SaveNativeDocument(*doc, path, error)) << c.name << ": " << error;
    std::string reason;
    EXPECT_EQ(host::import::LoadNativeFile(path, reason), nullptr) << c.name;
    EXPECT_EQ(reason, c.reason) << c.name;
  }
  // The edges of the ranges are fine.
  const std::unique_ptr<HostDocument> edges = RichDocument();
  stored([](ExportSettings& s) {
    s.drawingStyle = kStyleAllEdges;
    s.width = 1;
    s.height = kMaxPictureSize;
  })(*edges);
  std::string error;
  ASSERT_TRUE(host::SaveNativeDocument(*edges, path, error)) << error;
  std::string reason;
  EXPECT_NE(host::import::LoadNativeFile(path, reason), nullptr) << reason;
}

TEST_F(NativeFormatTest, DamagedFilesAreRefusedWithThePlaceOfTheDamage) {
  const std::string valid = folder_ + "/valid.vxm";
  std::string error;
  ASSERT_TRUE(host::SaveNativeDocument(*RichDocument(), valid, error)) << error;
  const json good = json::parse(scene_files::ReadFile(valid));

  json deep = {{"id", 1}, {"values", json::array()}};
  for (int i = 0; i < 70; ++i) deep = {{"id", 1}, {"values", {{1, "container", deep}}}};

  struct Case {
    const char* name;
    std::function<void(json&)> damage;
    const char* reason;
  };
  const Case cases[] = {
      {"format", [](json& j) { j["format"] = "something else"; }, "not a Vexmark document"},
      {"version", [](json& j) { j["version"] = 2; }, "newer Vexmark"},
      {"missing", [](json& j) { j["objects"][1].erase("camera"); },
       "objects[1]: 'camera' is missing"},
      {"corner", [](json& j) { j["objects"][1]["polygons"][5] = 99; },
       "objects[1].polygons[5]: point 99 does not exist"},
      {"material", [](json& j) { j["objects"][1]["tags"][0]["material"] = 7; },
       "objects[1].tags[0].material: 7 is not an index"},
      {"cycle", [](json& j) { j["objects"][0]["nextSibling"] = 0; }, "linked into the tree twice"},
      {"orphan", [](json& j) { j["objects"][2]["firstChild"] = -1; }, "not linked into the tree"},
      {"nan point", [](json& j) { j["objects"][1]["points"][4] = "nan"; },
       "objects[1].points[3]: expected a finite number"},
      {"key order", [](json& j) { j["objects"][0]["tracks"]["position"]["keys"][1][0] = 5; },
       "objects[0].tracks.position.keys[2]: key times must ascend"},
      {"value kind", [](json& j) { j["pluginData"]["values"][0][1] = "colour"; },
       "pluginData.values[0]: unknown value kind 'colour'"},
      {"zero lens", [](json& j) { j["objects"][4]["camera"]["lens"] = 0; },
       "objects[4].camera: lens, film width and zoom must be positive"},
      {"selection",
       [](json& j) {
         j["objects"][1]["tags"][0]["selection"] = {3, -1};
       },
       "objects[1].tags[0].selection[1]: a negative index"},
      {"tag data", [](json& j) { j["objects"][1]["tags"][0]["data"]["id"] = "one"; },
       "objects[1].tags[0].data.id: expected a whole number"},
      {"channel", [](json& j) { j["materials"][1]["channels"][2]["enabled"] = 1; },
       "materials[1].channels[2]: expected true or false"},
      {"channel data", [](json& j) { j["materials"][0]["channels"][3]["data"].erase("values"); },
       "materials[0].channels[3].data: 'values' is missing"},
      {"not a list", [](json& j) { j["objects"][3]["points"] = 1; },
       "objects[3].points: expected a list"},
      {"visibility", [](json& j) { j["objects"][2]["visibility"] = 7; },
       "objects[2].visibility: expected 0, 1 or 2"},
      {"view camera", [](json& j) { j["view"]["linkedCamera"] = 99; },
       "view.linkedCamera: 99 is not an index of the list"},
      {"deep", [&deep](json& j) { j["settings"] = deep; }, "containers nest too deeply"},
  };
  for (const Case& c : cases) {
    json damaged = good;
    c.damage(damaged);
    const std::string path = folder_ + "/" + c.name + ".vxm";
    scene_files::WriteFile(path, damaged.dump());
    const std::unique_ptr<HostDocument> doc = scene_files::Load(path, error);
    EXPECT_EQ(doc, nullptr) << c.name;
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }

  const std::string text = scene_files::ReadFile(valid);
  scene_files::WriteFile(folder_ + "/cut.vxm", text.substr(0, text.size() / 2));
  EXPECT_EQ(scene_files::Load(folder_ + "/cut.vxm", error), nullptr);
  EXPECT_NE(error.find("not valid JSON"), std::string::npos) << error;

  // A number beyond what the parser holds is said at its place too, not in
  // the parser library's words.
  for (const auto& [place, number] :
       {std::pair<std::string, std::string>{"objects[1].points[4]", "1e999"},
        {"materials[0].channels[0].data.values[0][2][1]", "-4e400"}}) {
    json marked = good;
    if (place[0] == 'o')
      marked["objects"][1]["points"][4] = 12345.5;
    else
      marked["materials"][0]["channels"][0]["data"]["values"][0][2][1] = 12345.5;
    std::string huge = marked.dump();
    huge.replace(huge.find("12345.5"), 7, number);
    scene_files::WriteFile(folder_ + "/huge.vxm", huge);
    EXPECT_EQ(scene_files::Load(folder_ + "/huge.vxm", error), nullptr);
    EXPECT_NE(error.find(place + ": the number is out of range"), std::string::npos) << error;
    EXPECT_EQ(error.find("json.exception"), std::string::npos) << error;
  }
}

// A file is read object by object while it is parsed; whatever the order of
// its lists, repeated lists and damaged elements, the result is the one
// the whole JSON tree gives: the same document or the same refusal.
TEST_F(NativeFormatTest, ReadingObjectsWhileParsingGivesWhatTheWholeTreeGives) {
  const std::string valid = folder_ + "/valid.vxm";
  std::string error;
  ASSERT_TRUE(host::SaveNativeDocument(*RichDocument(), valid, error)) << error;
  const json good = json::parse(scene_files::ReadFile(valid));
  // The members in the given order, repeats allowed, then the rest.
  const auto text = [&good](std::vector<std::pair<std::string, json>> first) {
    std::string out = "{";
    std::vector<std::string> named;
    for (const auto& [key, value] : first) {
      out += json(key).dump() + ":" + value.dump() + ",";
      named.push_back(key);
    }
    for (const auto& [key, value] : good.items()) {
      if (std::find(named.begin(), named.end(), key) == named.end()) {
        out += json(key).dump() + ":" + value.dump() + ",";
      }
    }
    out.back() = '}';
    return out;
  };
  json notAnObject = good["objects"];
  notAnObject[2] = 5;
  json badBodyAndLink = good["objects"];
  badBodyAndLink[3].erase("name");
  badBodyAndLink[1]["nextSibling"] = 99;
  json oneMaterial = json::array({good["materials"][0]});

  struct Case {
    const char* name;
    std::string text;
    bool loads;
  };
  const Case cases[] = {
      {"as saved", good.dump(), true},
      {"objects before materials",
       text({{"objects", good["objects"]}, {"materials", good["materials"]}}), true},
      {"a damaged list, then the good one",
       text({{"materials", good["materials"]},
             {"objects", notAnObject},
             {"objects", good["objects"]}}),
       true},
      {"the good list, then a damaged one",
       text({{"materials", good["materials"]},
             {"objects", good["objects"]},
             {"objects", notAnObject}}),
       false},
      {"fewer materials after the objects",
       text({{"materials", good["materials"]},
             {"objects", good["objects"]},
             {"materials", oneMaterial}}),
       false},
      {"an element that is not an object", text({{"objects", notAnObject}}), false},
      {"a damaged body before a damaged link", text({{"objects", badBodyAndLink}}), false},
  };
  for (const Case& c : cases) {
    std::string expected;
    std::unique_ptr<HostDocument> whole;
    try {
      whole = host::import::DocumentFromJson(json::parse(c.text));
    } catch (const std::exception& e) {
      expected = e.what();
    }
    ASSERT_EQ(whole != nullptr, c.loads) << c.name << ": " << expected;
    const std::string path = folder_ + "/streamed.vxm";
    scene_files::WriteFile(path, c.text);
    std::string reason;
    const std::unique_ptr<HostDocument> streamed = host::import::LoadNativeFile(path, reason);
    if (whole != nullptr) {
      ASSERT_NE(streamed, nullptr) << c.name << ": " << reason;
      EXPECT_EQ(host::DocumentDifference(*whole, *streamed), "") << c.name;
    } else {
      EXPECT_EQ(streamed, nullptr) << c.name;
      EXPECT_EQ(reason, expected) << c.name;
    }
  }
}

TEST_F(NativeFormatTest, AFailedSaveLeavesTheEarlierFileAsItWas) {
  const std::string path = folder_ + "/kept.vxm";
  std::string error;
  ASSERT_TRUE(host::SaveNativeDocument(*RichDocument(), path, error)) << error;
  const std::string before = scene_files::ReadFile(path);
  const auto filesBefore = std::distance(std::filesystem::directory_iterator(folder_),
                                         std::filesystem::directory_iterator());

  struct Case {
    const char* name;
    std::function<void(HostDocument&)> spoil;
    const char* reason;
  };
  const Case cases[] = {
      {"nan point", [](HostDocument& d) { d.scene.objects[1]->points[0].y = std::nanf(""); },
       "object 'Mesh': a point is not a finite number"},
      {"infinite key",
       [](HostDocument& d) {
         d.scene.objects[0]->tracks.scale.keys[0].value.x = std::numeric_limits<double>::infinity();
       },
       "object 'Group': an animation key is not a finite number"},
      {"bad text", [](HostDocument& d) { d.scene.objects[0]->name = "\xff\xfe"; },
       "a name or text in the document is not valid UTF-8"},
  };
  for (const Case& c : cases) {
    const std::unique_ptr<HostDocument> doc = RichDocument();
    c.spoil(*doc);
    EXPECT_FALSE(host::SaveNativeDocument(*doc, path, error)) << c.name;
    EXPECT_EQ(error, path + ": " + c.reason) << c.name;
    EXPECT_EQ(scene_files::ReadFile(path), before) << c.name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                            std::filesystem::directory_iterator()),
              filesBefore)
        << c.name << ": no temporary file is left";
  }
  EXPECT_FALSE(host::SaveNativeDocument(*RichDocument(), folder_ + "/no/such/folder/x.vxm", error));
  EXPECT_NE(error.find("cannot be written"), std::string::npos) << error;
}

// The importer runs in a child process that sends its document back in
// the native format with raw geometry: what arrives equals what was made,
// names that are not UTF-8 included, and a child that fails, throws or
// crashes is one refusal.
TEST_F(NativeFormatTest, AnImportInAChildProcessBringsBackItsDocumentOrItsFailure) {
  using host::import::ImportReport;
  const auto rich = [](ImportReport& report) {
    std::unique_ptr<HostDocument> doc = RichDocument();
    doc->scene.objects[2]->name = "\xff\xfe";
    doc->scene.objects[1]->points.resize(100000, HostVector{1.5f, -2, 3});
    report.Warn("dropped 2 lines");
    return doc;
  };
  ImportReport report;
  const std::unique_ptr<HostDocument> arrived = host::import::ImportInChildProcess(rich, report);
  ASSERT_NE(arrived, nullptr) << report.error;
  ImportReport ignored;
  EXPECT_EQ(host::DocumentDifference(*rich(ignored), *arrived), "");
  EXPECT_EQ(report.warnings, std::vector<std::string>{"dropped 2 lines"});

  // Memory failures of the child, whatever form they take, are reported as
  // such (and the program ends with status 1), never as a damaged file.
  struct Case {
    const char* name;
    host::import::ImportWork work;
    const char* error;
    bool outOfMemory;
  };
  std::vector<Case> cases = {
      {"refused",
       [](ImportReport& r) {
         r.Fail("damaged: header line 3");
         return std::unique_ptr<HostDocument>();
       },
       "damaged: header line 3", false},
      {"bad_alloc thrown",
       [](ImportReport&) -> std::unique_ptr<HostDocument> { throw std::bad_alloc(); },
       "not enough memory to read the scene", true},
      {"crash",
       [](ImportReport&) -> std::unique_ptr<HostDocument> {
         errno = 0;
         raise(SIGSEGV);
         return nullptr;
       },
       // The signal's name, or under the sanitizers their exit status.
       "the file seems damaged: the importer crashed on it (", false},
      {"killed",
       [](ImportReport&) -> std::unique_ptr<HostDocument> {
         raise(SIGKILL);
         return nullptr;
       },
       "not enough memory to read the scene: the importer was killed, most likely by the system",
       true},
  };
#if !defined(__SANITIZE_ADDRESS__)
  // Under the sanitizers the child keeps their crash handlers and their
  // unbounded address space.
  cases.push_back({"over its address space",
                   [](ImportReport&) -> std::unique_ptr<HostDocument> {
                     // Far more than the bound below: a failed `new` ends the child.
                     std::vector<std::unique_ptr<char[]>> blocks;
                     for (int i = 0; i < 4096; ++i) blocks.emplace_back(new char[64 << 20]);
                     return nullptr;
                   },
                   "not enough memory to read the scene", true});
  cases.push_back({"crash after a failed allocation",
                   [](ImportReport&) -> std::unique_ptr<HostDocument> {
                     errno = ENOMEM;  // as malloc leaves it before its null is used
                     raise(SIGSEGV);
                     return nullptr;
                   },
                   "not enough memory to read the scene", true});
#endif
  for (const Case& c : cases) {
    ImportReport failed;
    EXPECT_EQ(host::import::ImportInChildProcess(c.work, failed, uint64_t{512} << 20), nullptr)
        << c.name;
    const std::string expected = c.error;
    EXPECT_EQ(failed.error.substr(0, expected.size()), expected) << c.name;
    EXPECT_EQ(failed.outOfMemory, c.outOfMemory) << c.name;
  }
}

}  // namespace
