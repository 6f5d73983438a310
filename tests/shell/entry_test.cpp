// The module file loaded for real and driven through its entry point: the
// version check, init counting, start with its resources and registrations,
// and end. Each test loads its own copy of the module from a folder of its
// own, so that the resources can differ and every load starts fresh.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "host/api/module_entry.h"
#include "host/api/preview_messages.h"
#include "host/api/vexmark_ids.h"
#include "host/container.h"
#include "host/module_loader.h"
#include "host/runtime.h"
#include "host/ui.h"

namespace {

namespace fs = std::filesystem;

// Host side only: the module under test runs from its loaded file, which
// binds to the host's table itself.
class ModuleEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    static int copies = 0;
    folder_ = fs::temp_directory_path() /
              ("vexmark-module-" + std::to_string(::getpid()) + "-" + std::to_string(++copies));
    fs::create_directories(folder_);
    fs::copy(VEXMARK_SOURCE_DIR "/res", folder_ / "res", fs::copy_options::recursive);
    fs::copy_file(VEXMARK_MODULE_PATH, folder_ / "vexmark_module.so");
  }
  void TearDown() override {
    module_.reset();
    fs::remove_all(folder_);
    host::ResetForTest();
  }

  host::LoadedModule& Load() {
    std::string error;
    module_ = host::LoadedModule::Load((folder_ / "vexmark_module.so").string(), error);
    EXPECT_NE(module_, nullptr) << error;
    return *module_;
  }

  // Replaces one entry of the copied string table.
  void SetString(int32_t id, const std::string& text) {
    const fs::path path = folder_ / "res" / "strings.txt";
    std::ifstream in(path);
    std::string table((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    table = std::regex_replace(table, std::regex("\n" + std::to_string(id) + " [^\n]*"),
                               "\n" + std::to_string(id) + " \"" + text + "\"");
    std::ofstream(path) << table;
  }

  fs::path folder_;
  std::unique_ptr<host::LoadedModule> module_;
};

TEST_F(ModuleEntryTest, RefusesHostsOlderThan7300) {
  host::LoadedModule& module = Load();
  host::SetApiVersion(7299);
  EXPECT_EQ(module.Init(), -3);
  host::SetApiVersion(7300);
  EXPECT_EQ(module.Init(), 1) << "a refused init leaves the module ready for another";
  EXPECT_EQ(module.End(), 1);
}

TEST_F(ModuleEntryTest, RefusesAMissingPath) {
  host::LoadedModule& module = Load();
  EXPECT_EQ(module.Call(kModuleInit, const_cast<HostApi*>(host::Table()), nullptr, nullptr), -3);
}

TEST_F(ModuleEntryTest, StartsRegistersAndEndsAfterAsManyEndsAsInits) {
  host::LoadedModule& module = Load();
  ASSERT_EQ(module.Init(), 1);
  host::SetApiVersion(7000);
  EXPECT_EQ(module.Init(), 1) << "a second init only counts";
  ASSERT_EQ(module.Start(), 1);

  const host::RegisteredPlugin* command = host::FindPlugin(kVexmarkCommandId);
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(command->kind, 7);
  EXPECT_EQ(command->moduleVersion, 7300);
  EXPECT_NE(command->command.icon, nullptr);
  ASSERT_TRUE(host::BitmapSize(command->command.icon).has_value());
  EXPECT_EQ(host::BitmapSize(command->command.icon)->width, 32);
  EXPECT_EQ(host::CommandState(kVexmarkCommandId), 0x40000000);
  const host::RegisteredPlugin* tag = host::FindPlugin(kExportTagId);
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->kind, 10);
  EXPECT_EQ(tag->tag.visible, 1);
  EXPECT_EQ(tag->tag.flags, 1);

  // The command opens the main dialog.
  host::SetActiveDocument(host::NewDocument());
  ASSERT_TRUE(host::ExecuteCommand(kVexmarkCommandId));
  EXPECT_NE(host::FindOpenDialog(kVexmarkCommandId), nullptr);

  const host::LiveHandles before = host::GetLiveHandles();
  EXPECT_EQ(module.End(), 1);
  EXPECT_EQ(host::GetLiveHandles().strings, before.strings) << "one end of two releases nothing";
  EXPECT_EQ(module.End(), 1);
  EXPECT_LT(host::GetLiveHandles().strings, before.strings) << "the last end releases";
  EXPECT_EQ(host::GetLiveHandles().resources, 0);
}

TEST_F(ModuleEntryTest, TagCallbacksGiveNewTagsTheDefaults) {
  host::LoadedModule& module = Load();
  ASSERT_EQ(module.Init(), 1);
  ASSERT_EQ(module.Start(), 1);
  HostContainer settings(0);
  ASSERT_TRUE(host::InitTagSettings(kExportTagId, &settings));
  EXPECT_EQ(*settings.Find<bool>(kTagOutline), true);
  EXPECT_EQ(*settings.Find<bool>(kTagCrease), true);
  EXPECT_NEAR(*settings.Find<double>(kTagCreaseAngle), 1.0471976, 1e-6);
  EXPECT_EQ(*settings.Find<int64_t>(kTagLineWidth), 0);
  EXPECT_EQ(*settings.Find<bool>(kTagFlatEdges), false);
  EXPECT_EQ(*settings.Find<double>(kTagLineBrightness), 1.0);
  module.End();
}

TEST_F(ModuleEntryTest, EmptyTagNameStartsWithTheCommandOnly) {
  SetString(kTagNameString, "");
  host::LoadedModule& module = Load();
  ASSERT_EQ(module.Init(), 1);
  EXPECT_EQ(module.Start(), 1);
  EXPECT_NE(host::FindPlugin(kVexmarkCommandId), nullptr);
  EXPECT_EQ(host::FindPlugin(kExportTagId), nullptr);
  module.End();
}

TEST_F(ModuleEntryTest, MissingIconsFollowTheirRules) {
  fs::remove(folder_ / "res" / "vexmark.tif");
  {
    host::LoadedModule& module = Load();
    ASSERT_EQ(module.Init(), 1);
    EXPECT_EQ(module.Start(), 1) << "the command's icon is optional";
    const host::RegisteredPlugin* command = host::FindPlugin(kVexmarkCommandId);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->command.icon, nullptr);
    module.End();
  }
  module_.reset();
  fs::remove(folder_ / "res" / "vexmark_small.tif");
  host::LoadedModule& module = Load();
  ASSERT_EQ(module.Init(), 1);
  EXPECT_EQ(module.Start(), 0) << "the tag's icon is required";
  module.End();
}

TEST_F(ModuleEntryTest, MissingResourcesFailTheStart) {
  fs::remove_all(folder_ / "res");
  host::LoadedModule& module = Load();
  ASSERT_EQ(module.Init(), 1);
  EXPECT_EQ(module.Start(), 0);
  EXPECT_EQ(host::FindPlugin(kVexmarkCommandId), nullptr);
  module.End();
}

TEST_F(ModuleEntryTest, OtherMessagesAnswerAsDefined) {
  host::LoadedModule& module = Load();
  EXPECT_EQ(module.Call(kModuleMessage, nullptr, nullptr, nullptr), 2);
  EXPECT_EQ(module.Call(99, nullptr, nullptr, nullptr), -1);
  // The preview messages refuse a missing record, before and after init.
  void* const draw = reinterpret_cast<void*>(static_cast<intptr_t>(kMessageDrawPreview));
  EXPECT_EQ(module.Call(kModuleMessage, draw, nullptr, nullptr), kPreviewRefused);
  ASSERT_EQ(module.Init(), 1);
  EXPECT_EQ(module.Call(kModuleMessage, draw, nullptr, nullptr), kPreviewRefused);
  module.End();
}

}  // namespace
