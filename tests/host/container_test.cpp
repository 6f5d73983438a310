// Host containers: typed values, presets, coercions, nesting and copies.
#include "host/container.h"

#include <gtest/gtest.h>

#include "host_fixture.h"

namespace {

class HostContainerTest : public HostTest {};

TEST_F(HostContainerTest, EachTypeRoundTrips) {
  BaseContainer c(42);
  EXPECT_EQ(c.Id(), 42);
  c.SetInt(1, -7);
  c.SetBool(2, true);
  c.SetReal(3, 0.25);
  c.SetVector(4, HostVector{1, 2, 3});
  c.SetString(5, "text");
  c.SetFilename(6, "out/frame.eps");
  c.SetTime(7, Time(6, 4));

  EXPECT_EQ(c.GetInt(1), -7);
  EXPECT_TRUE(c.GetBool(2));
  EXPECT_EQ(c.GetReal(3), 0.25);
  const HostVector v = c.GetVector(4);
  EXPECT_EQ(v.x, 1);
  EXPECT_EQ(v.y, 2);
  EXPECT_EQ(v.z, 3);
  EXPECT_EQ(c.GetString(5), "text");
  EXPECT_EQ(c.GetFilename(6), "out/frame.eps");
  EXPECT_TRUE(c.GetTime(7) == Time(3, 2));
  EXPECT_TRUE(c.Has(7));
  c.SetInt(1, 9);
  EXPECT_EQ(c.GetInt(1), 9) << "setting again replaces";
}

TEST_F(HostContainerTest, MissingKeysAndOtherTypesGiveThePreset) {
  BaseContainer c;
  c.SetString(1, "text");
  c.SetFilename(2, "a.eps");
  c.SetReal(3, 1.5);
  c.SetVector(4, HostVector{1, 1, 1});

  EXPECT_EQ(c.GetInt(99, 5), 5);
  EXPECT_EQ(c.GetInt(1, 5), 5);
  EXPECT_EQ(c.GetInt(3, 5), 5) << "a real is not read as an int";
  EXPECT_TRUE(c.GetBool(1, true));
  EXPECT_EQ(c.GetReal(4, -1.0), -1.0);
  EXPECT_EQ(c.GetVector(3, HostVector{7, 8, 9}).z, 9);
  EXPECT_EQ(c.GetString(2, "preset"), "preset") << "a file name is not a string";
  EXPECT_EQ(c.GetFilename(1, "preset"), "preset") << "a string is not a file name";
  EXPECT_TRUE(c.GetTime(1, Time(1, 4)) == Time(1, 4));
  EXPECT_FALSE(c.GetContainer(1).Valid());
  EXPECT_FALSE(c.GetContainer(99).Valid());
}

TEST_F(HostContainerTest, IntsAndBoolsCoerce) {
  BaseContainer c;
  c.SetInt(1, 3);
  c.SetInt(2, 0);
  c.SetBool(3, true);
  c.SetBool(4, false);
  EXPECT_TRUE(c.GetBool(1, false));
  EXPECT_FALSE(c.GetBool(2, true));
  EXPECT_EQ(c.GetInt(3, 9), 1);
  EXPECT_EQ(c.GetInt(4, 9), 0);
  EXPECT_EQ(c.GetReal(1, 0.0), 3.0);
}

TEST_F(HostContainerTest, NestedContainersAreDeepCopies) {
  BaseContainer inner(7);
  inner.SetInt(1, 10);
  BaseContainer outer;
  outer.SetContainer(2, inner);
  inner.SetInt(1, 11);
  EXPECT_EQ(outer.GetContainer(2).GetInt(1), 10) << "storing copies the container";

  BaseContainer read = outer.GetContainer(2);
  ASSERT_TRUE(read.Valid());
  EXPECT_EQ(read.Id(), 7);
  read.SetInt(1, 12);
  EXPECT_EQ(outer.GetContainer(2).GetInt(1), 10) << "reading returns a copy";

  BaseContainer copy = outer;
  BaseContainer changed = copy.GetContainer(2);
  changed.SetInt(1, 13);
  copy.SetContainer(2, changed);
  EXPECT_EQ(outer.GetContainer(2).GetInt(1), 10) << "copying a container copies its nesting";
  EXPECT_EQ(copy.GetContainer(2).GetInt(1), 13);

  outer.SetContainer(3, outer);  // into itself: stores what it held before
  EXPECT_EQ(outer.GetContainer(3).GetContainer(2).GetInt(1), 10);
  EXPECT_FALSE(outer.GetContainer(3).Has(3));
}

TEST_F(HostContainerTest, WrapperHasValueSemanticsAndFreesItsHandles) {
  const int64_t before = host::GetLiveHandles().containers;
  {
    BaseContainer a;
    a.SetString(1, "a");
    BaseContainer b = a;
    b.SetString(1, "b");
    BaseContainer c;
    c = b;
    b = BaseContainer();
    BaseContainer moved = std::move(c);
    EXPECT_EQ(a.GetString(1), "a");
    EXPECT_EQ(moved.GetString(1), "b");
    EXPECT_FALSE(c.Valid());  // NOLINT: moved from on purpose
    EXPECT_EQ(b.GetString(1, "none"), "none");
  }
  EXPECT_EQ(host::GetLiveHandles().containers, before);
}

TEST_F(HostContainerTest, HostCodeWalksEntriesInKeyOrderWithTheirTypes) {
  const HostApi& api = Host();
  HostContainer* c = api.bcNew(0);
  HostString* name = api.strNew("x.eps");
  api.bcSetFilename(c, 30, name);
  api.bcSetInt(c, 10, 1);
  api.bcSetTime(c, 20, HostTime{10, -4});
  api.bcSetInt(c, 40, 2);
  api.bcRemove(c, 40);

  ASSERT_EQ(c->Entries().size(), 3u);
  auto it = c->Entries().begin();
  EXPECT_EQ(it->first, 10);
  EXPECT_TRUE(std::holds_alternative<int64_t>(it->second));
  ++it;
  const HostTime* time = std::get_if<HostTime>(&it->second);
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->num, -5) << "times are stored reduced";
  EXPECT_EQ(time->den, 2);
  ++it;
  EXPECT_EQ(std::get<host::FileName>(it->second).path, "x.eps");
  api.strFree(name);
  api.bcFree(c);
}

}  // namespace
