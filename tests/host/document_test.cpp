// Documents: defaults, data containers, copies, time, animate calls.
#include "sdk/document.h"

#include <gtest/gtest.h>

#include "host_fixture.h"
#include "sdk/container.h"
#include "sdk/exact_time.h"
#include "sdk/threads.h"

namespace {

class HostDocumentTest : public HostTest {};

TEST_F(HostDocumentTest, NewDocumentHasTheDefaults) {
  EXPECT_EQ(GetActiveDocument(), nullptr);
  host::SetActiveDocument(host::NewDocument());
  BaseDocument* doc = GetActiveDocument();
  ASSERT_NE(doc, nullptr);

  const BaseContainer settings = GetDocumentData(doc, kDocumentSettings);
  EXPECT_EQ(settings.GetInt(kDocFps), 30);
  EXPECT_TRUE(settings.GetTime(kDocTime, Time(9, 1)) == Time(0, 1));
  EXPECT_TRUE(settings.GetTime(kDocStartTime, Time(9, 1)) == Time(0, 1));

  const BaseContainer render = GetDocumentData(doc, kDocumentRenderSettings);
  EXPECT_EQ(render.GetInt(kRenderWidth), 320);
  EXPECT_EQ(render.GetInt(kRenderHeight), 240);
  EXPECT_TRUE(render.GetTime(kRenderFrom, Time(9, 1)) == Time(0, 1)) << "the range is in times";
  EXPECT_TRUE(render.GetTime(kRenderTo, Time(9, 1)) == Time(0, 1));
  EXPECT_EQ(render.GetInt(kRenderFps), 30);
  EXPECT_FALSE(GetDocumentData(doc, 3).Valid()) << "unknown kinds have no data";

  host::ResetForTest();
  EXPECT_EQ(GetActiveDocument(), nullptr);
}

TEST_F(HostDocumentTest, DataRoundTripsAsCopies) {
  BaseDocument* doc = NewDocument();
  ASSERT_NE(doc, nullptr);
  BaseContainer render = GetDocumentData(doc, kDocumentRenderSettings);
  render.SetInt(kRenderTo, 24);
  render.SetFilename(kRenderFile, "out/frame.eps");
  EXPECT_EQ(GetDocumentData(doc, kDocumentRenderSettings).GetInt(kRenderTo), 0)
      << "a data container read is a copy";

  ASSERT_TRUE(SetDocumentData(doc, kDocumentRenderSettings, render));
  render.SetInt(kRenderTo, 99);
  const BaseContainer stored = GetDocumentData(doc, kDocumentRenderSettings);
  EXPECT_EQ(stored.GetInt(kRenderTo), 24) << "the document stores a copy";
  EXPECT_EQ(stored.GetFilename(kRenderFile), "out/frame.eps");
  EXPECT_FALSE(SetDocumentData(doc, 17, render));
  FreeDocument(doc);
}

TEST_F(HostDocumentTest, CopiesAreIndependentAndFreedCopiesAreCounted) {
  const int64_t before = host::LiveDocuments();
  BaseDocument* original = NewDocument();
  BaseContainer plugin(5);
  plugin.SetString(1, "settings");
  SetDocumentData(original, kDocumentPluginData, plugin);
  SetDocumentTime(original, Time(1, 2));

  BaseDocument* copy = CopyDocument(original);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(host::LiveDocuments() - before, 2);
  SetDocumentTime(copy, Time(3, 4));
  BaseContainer changed = GetDocumentData(copy, kDocumentPluginData);
  changed.SetString(1, "changed");
  SetDocumentData(copy, kDocumentPluginData, changed);

  EXPECT_TRUE(DocumentTime(original) == Time(1, 2));
  EXPECT_EQ(GetDocumentData(original, kDocumentPluginData).GetString(1), "settings");
  EXPECT_TRUE(DocumentTime(copy) == Time(3, 4));
  EXPECT_EQ(GetDocumentData(copy, kDocumentPluginData).GetString(1), "changed");
  EXPECT_TRUE(GetDocumentData(copy, kDocumentSettings).GetTime(kDocTime) == Time(3, 4))
      << "the time is document setting 1000";

  FreeDocument(copy);
  FreeDocument(original);
  EXPECT_EQ(host::LiveDocuments(), before);
}

TEST_F(HostDocumentTest, ActiveDocumentBelongsToTheHost) {
  const int64_t before = host::LiveDocuments();
  host::SetActiveDocument(host::NewDocument());
  BaseDocument* active = GetActiveDocument();
  FreeDocument(active);  // refused: the host owns it
  EXPECT_EQ(host::ActiveDocument(), active);
  host::SetActiveDocument(host::NewDocument());  // replaces and frees the first
  EXPECT_EQ(host::LiveDocuments() - before, 1);
  host::SetActiveDocument(nullptr);
  EXPECT_EQ(host::LiveDocuments(), before);
}

class StoppedThread : public Thread {
 public:
  explicit StoppedThread(bool stop) : stop_(stop) {}
  bool TestBreak() override { return stop_; }
  void Main() override {}

 private:
  bool stop_;
};

TEST_F(HostDocumentTest, AnimateRecordsTheDocumentTimeAndThread) {
  BaseDocument* doc = NewDocument();
  StoppedThread running(false);
  StoppedThread stopped(true);
  SetDocumentTime(doc, Time(5, 12));
  AnimateDocument(doc, &running, 1, 0);
  SetDocumentTime(doc, Time(1, 2));
  AnimateDocument(doc, &stopped, 1, 0);
  AnimateDocument(doc, nullptr, 1, 0);

  const std::vector<host::AnimateCall> calls = host::AnimateCalls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].doc, doc);
  EXPECT_TRUE(Time(calls[0].time) == Time(5, 12));
  EXPECT_EQ(calls[0].thread, running.Handle());
  EXPECT_TRUE(Time(calls[1].time) == Time(1, 2));
  EXPECT_EQ(calls[1].thread, stopped.Handle());
  EXPECT_EQ(calls[2].thread, nullptr);
  FreeDocument(doc);
}

}  // namespace
