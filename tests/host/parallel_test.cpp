// The parallel service: parallelFor runs every index once on the chosen
// number of threads and stops starting indices when a call asks for the
// end; the thread count comes from the program, the environment or the
// hardware; and the module's wrappers work against a host without it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "host_fixture.h"

namespace {

class ParallelTest : public HostTest {
 protected:
  void TearDown() override {
    unsetenv(host::kThreadsVariable);
    HostBind(host::Table());
    HostTest::TearDown();
  }
};

// What the indices of one call saw.
struct Record {
  std::vector<std::atomic<int>> runs;
  std::mutex mutex;
  std::set<std::thread::id> threads;
  explicit Record(int32_t count) : runs(static_cast<size_t>(count)) {}
  void Note(int32_t index) {
    ++runs[static_cast<size_t>(index)];
    std::lock_guard<std::mutex> lock(mutex);
    threads.insert(std::this_thread::get_id());
  }
};

// Long enough per index that every thread gets to take some.
void Work() {
  std::this_thread::sleep_for(std::chrono::microseconds(200));
}

TEST_F(ParallelTest, EveryIndexRunsOnceOnAtMostTheChosenThreads) {
  struct Case {
    int32_t threads;
    int32_t count;
  };
  for (const Case c : {Case{1, 0}, Case{1, 50}, Case{2, 1}, Case{2, 200}, Case{4, 3}, Case{4, 200},
                       Case{7, 200}}) {
    SCOPED_TRACE(std::to_string(c.threads) + " threads, " + std::to_string(c.count) + " indices");
    host::SetParallelThreads(c.threads);
    EXPECT_EQ(Host().parallelThreads(), c.threads);
    Record record(c.count);
    const int32_t result = Host().parallelFor(
        c.count,
        [](void* context, int32_t index) -> int32_t {
          static_cast<Record*>(context)->Note(index);
          Work();
          return 1;
        },
        &record);
    EXPECT_EQ(result, 1);
    for (int32_t i = 0; i < c.count; ++i) EXPECT_EQ(record.runs[i].load(), 1) << "index " << i;
    EXPECT_LE(static_cast<int32_t>(record.threads.size()), c.threads);
    if (c.threads == 1 && c.count > 0) {
      EXPECT_EQ(record.threads, std::set<std::thread::id>{std::this_thread::get_id()});
    }
    if (c.threads > 1 && c.count >= 200) {
      EXPECT_GT(record.threads.size(), 1u) << "the work stayed on the calling thread";
    }
  }
  const host::ParallelStats stats = host::GetParallelStats();
  EXPECT_EQ(stats.mostThreads, 7);
  EXPECT_GT(stats.indicesOnHelpers, 0);
}

// One call asks for the end: no index starts after it, the ones running
// finish, and the call reports that not everything ran.
TEST_F(ParallelTest, AnIndexThatAsksForTheEndStopsTheRest) {
  for (const int32_t threads : {1, 2, 4}) {
    SCOPED_TRACE(std::to_string(threads) + " threads");
    host::SetParallelThreads(threads);
    struct Stop {
      Record record{1000};
      std::atomic<int32_t> started{0};
    } stop;
    const int32_t result = Host().parallelFor(
        1000,
        [](void* context, int32_t index) -> int32_t {
          auto& s = *static_cast<Stop*>(context);
          ++s.started;
          s.record.Note(index);
          if (index == 10) return 0;
          Work();
          return 1;
        },
        &stop);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(stop.record.runs[10].load(), 1);
    for (int32_t i = 0; i < 1000; ++i) EXPECT_LE(stop.record.runs[i].load(), 1) << "index " << i;
    // The other threads finish what they hold and take no more (each index
    // takes 0.2 ms; the bound leaves room for a slow machine).
    EXPECT_LT(stop.started.load(), 200);
    if (threads == 1) {
      EXPECT_EQ(stop.started.load(), 11) << "in order on one thread";
    }
  }
}

// A parallelFor called from inside a body runs on that body's thread.
TEST_F(ParallelTest, NestedCallsRunOnTheirOwnThread) {
  host::SetParallelThreads(4);
  struct Nested {
    std::atomic<int> inner{0};
    std::atomic<int> foreign{0};
  } nested;
  const int32_t result = Host().parallelFor(
      8,
      [](void* context, int32_t) -> int32_t {
        struct Inner {
          Nested* nested;
          std::thread::id outer;
        } inner{static_cast<Nested*>(context), std::this_thread::get_id()};
        return Host().parallelFor(
            5,
            [](void* c, int32_t) -> int32_t {
              auto& in = *static_cast<Inner*>(c);
              ++in.nested->inner;
              if (std::this_thread::get_id() != in.outer) ++in.nested->foreign;
              return 1;
            },
            &inner);
      },
      &nested);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(nested.inner.load(), 40);
  EXPECT_EQ(nested.foreign.load(), 0);
}

TEST_F(ParallelTest, ThreadCountFromTheProgramTheEnvironmentOrTheHardware) {
  const unsigned hardware = std::thread::hardware_concurrency();
  const int32_t machine = hardware == 0 ? 1 : static_cast<int32_t>(hardware);
  struct Case {
    const char* variable;  // null: unset
    int32_t chosen;        // SetParallelThreads
    int32_t expected;      // -1: the machine's
  };
  for (const Case c :
       {Case{nullptr, 0, -1}, Case{"3", 0, 3}, Case{"1", 0, 1}, Case{"0", 0, -1}, Case{"-2", 0, -1},
        Case{"many", 0, -1}, Case{"4x", 0, -1}, Case{"257", 0, -1}, Case{"3", 2, 2},
        Case{nullptr, 1, 1}, Case{nullptr, 1000, 256}}) {
    SCOPED_TRACE(std::string(c.variable != nullptr ? c.variable : "unset") + ", chosen " +
                 std::to_string(c.chosen));
    if (c.variable != nullptr)
      setenv(host::kThreadsVariable, c.variable, 1);
    else
      unsetenv(host::kThreadsVariable);
    host::SetParallelThreads(c.chosen);
    EXPECT_EQ(host::ParallelThreads(), c.expected < 0 ? machine : c.expected);
    EXPECT_EQ(ParallelThreadCount(), c.expected < 0 ? machine : c.expected);
  }
  host::ResetForTest();
  unsetenv(host::kThreadsVariable);
  EXPECT_EQ(host::ParallelThreads(), machine) << "the reset forgets the chosen count";
}

// The module's wrapper: through the host's threads, and in order on the
// calling thread against a host whose table ends before the service.
TEST_F(ParallelTest, TheModuleWrapperWorksWithAndWithoutTheService) {
  host::SetParallelThreads(4);
  for (const bool older : {false, true}) {
    SCOPED_TRACE(older ? "older host" : "this host");
    HostApi table = *host::Table();
    if (older) table.size = static_cast<int32_t>(offsetof(HostApi, parallelThreads));
    HostBind(&table);
    EXPECT_EQ(ParallelThreadCount(), older ? 1 : 4);
    std::vector<int32_t> order;
    std::mutex mutex;
    std::set<std::thread::id> threads;
    auto body = [&](int32_t index) {
      Work();
      std::lock_guard<std::mutex> lock(mutex);
      order.push_back(index);
      threads.insert(std::this_thread::get_id());
      return index != 150;
    };
    EXPECT_FALSE(ParallelFor(200, body));
    if (older) {
      std::vector<int32_t> expected;
      for (int32_t i = 0; i <= 150; ++i) expected.push_back(i);
      EXPECT_EQ(order, expected) << "in order up to the end, on the calling thread";
      EXPECT_EQ(threads, std::set<std::thread::id>{std::this_thread::get_id()});
    } else {
      EXPECT_GT(threads.size(), 1u);
    }
    auto all = [](int32_t) { return true; };
    EXPECT_TRUE(ParallelFor(10, all));
  }
}

TEST_F(ParallelTest, TheTableSpeaksVersion8000) {
  EXPECT_EQ(kHostApiVersion, 8000);
  EXPECT_NE(host::Table()->parallelThreads, nullptr);
  EXPECT_NE(host::Table()->parallelFor, nullptr);
}

}  // namespace
