// Special events posted from any thread, delivered on the waiting thread.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "host_fixture.h"

namespace {

class HostEventTest : public HostTest {};

TEST_F(HostEventTest, EventsFromAWorkerArriveOnTheDeliveringThread) {
  const std::thread::id self = std::this_thread::get_id();
  std::vector<int32_t> received;
  bool onThisThread = true;
  host::AddEventListener([&](const host::SpecialEvent& e) {
    received.push_back(e.a);
    onThisThread = onThisThread && std::this_thread::get_id() == self;
  });

  std::thread worker([] {
    for (int32_t i = 0; i < 5; ++i) PostSpecialEvent(1000, i, 0);
  });
  for (int waits = 0; received.size() < 5 && waits < 50; ++waits) host::WaitAndDeliverEvents(100);
  worker.join();

  EXPECT_EQ(received, (std::vector<int32_t>{0, 1, 2, 3, 4}));
  EXPECT_TRUE(onThisThread);
  EXPECT_EQ(host::PostedEvents().size(), 5u);
}

TEST_F(HostEventTest, NothingIsDeliveredBeforeAskingAndRemovedListenersHearNothing) {
  int first = 0;
  int second = 0;
  const int32_t token = host::AddEventListener([&](const host::SpecialEvent&) { ++first; });
  host::AddEventListener([&](const host::SpecialEvent&) { ++second; });

  PostSpecialEvent(7, 1, 2);
  EXPECT_EQ(first, 0) << "posting never calls listeners directly";
  EXPECT_EQ(host::DeliverEvents(), 1);
  EXPECT_EQ(host::DeliverEvents(), 0) << "each event is delivered once";

  host::RemoveEventListener(token);
  PostSpecialEvent(7, 3, 4);
  EXPECT_EQ(host::WaitAndDeliverEvents(0), 1);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);

  const std::vector<host::SpecialEvent> log = host::PostedEvents();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].id, 7);
  EXPECT_EQ(log[1].a, 3);
  EXPECT_EQ(log[1].b, 4);
}

TEST_F(HostEventTest, WaitReturnsAfterTheTimeoutWhenNothingComes) {
  const int32_t start = TimerMs();
  EXPECT_EQ(host::WaitAndDeliverEvents(30), 0);
  EXPECT_GE(TimerMs() - start, 25);
}

TEST_F(HostEventTest, ResetDropsQueuedEventsListenersAndTheLog) {
  int heard = 0;
  host::AddEventListener([&](const host::SpecialEvent&) { ++heard; });
  PostSpecialEvent(1, 0, 0);
  host::ResetForTest();
  PostSpecialEvent(2, 0, 0);
  EXPECT_EQ(host::DeliverEvents(), 1);
  EXPECT_EQ(heard, 0);
  EXPECT_EQ(host::PostedEvents().size(), 1u);
}

}  // namespace
