// Editing an export tag in its modal dialog: confirmed edits reach the tag,
// cancelled ones leave it as it was.
#include "shell/tag_dialog.h"

#include <gtest/gtest.h>

#include "host/ui.h"
#include "host_fixture.h"

namespace {

class TagDialogTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ASSERT_TRUE(ResourcesLoad(VEXMARK_SOURCE_DIR));
    settings_ = Host().bcNew(kExportTagId);
    ASSERT_EQ(ExportTagInit(settings_), 1);
  }
  void TearDown() override {
    Host().bcFree(settings_);
    host::SetModalDialogDriver(nullptr);
    ResourcesFree();
    HostTest::TearDown();
  }
  BaseContainer Settings() const { return BaseContainer::Adopt(Host().bcCopy(settings_)); }

  HostContainer* settings_ = nullptr;
};

TEST_F(TagDialogTest, ConfirmedEditStoresTheGadgets) {
  host::SetModalDialogDriver([](HostDialog* d) {
    EXPECT_NEAR(*host::GadgetReal(d, kTagGadgetCreaseAngle), 60.0, 1e-4) << "shown in degrees";
    EXPECT_TRUE(host::UserSetReal(d, kTagGadgetCreaseAngle, 45.0));
    EXPECT_TRUE(host::UserSetInt(d, kTagGadgetLineWidth, 4));
    EXPECT_TRUE(host::UserSetCheck(d, kTagGadgetOutline, false));
    EXPECT_TRUE(host::UserSetColour(d, kTagGadgetLineColour, HostVector{1, 0, 0}, 0.5));
    EXPECT_TRUE(host::UserClick(d, 1));
  });
  EXPECT_EQ(ExportTagEdit(settings_), 1);
  const BaseContainer s = Settings();
  EXPECT_NEAR(s.GetReal(kTagCreaseAngle), 0.7853982, 1e-7);
  EXPECT_EQ(s.GetInt(kTagLineWidth), 4);
  EXPECT_FALSE(s.GetBool(kTagOutline));
  EXPECT_TRUE(s.GetBool(kTagCrease));
  EXPECT_EQ(s.GetVector(kTagLineColour).x, 1.0f);
  EXPECT_EQ(s.GetReal(kTagLineBrightness), 0.5);
}

TEST_F(TagDialogTest, CancelledEditLeavesTheTagUnchanged) {
  host::SetModalDialogDriver([](HostDialog* d) {
    EXPECT_TRUE(host::UserSetInt(d, kTagGadgetLineWidth, 9));
    EXPECT_TRUE(host::UserClick(d, 2));
  });
  EXPECT_EQ(ExportTagEdit(settings_), 0);
  EXPECT_EQ(Settings().GetInt(kTagLineWidth), 0);
}

}  // namespace
