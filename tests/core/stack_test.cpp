// Stack growth, failure reports and the memory-error flag, against the real
// host allocator with fault injection.
#include "core/stack.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/runtime.h"
#include "host_fixture.h"

namespace {

using StackTest = ModuleTest;

TEST_F(StackTest, GrowsOneSlotAtATimeThenByHalf) {
  Stack<int> stack;
  std::vector<int> capacities;
  for (int i = 0; i < 33; ++i) {
    const int before = stack.Capacity();
    stack.Push(i);
    if (stack.Capacity() != before) capacities.push_back(stack.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{1, 2, 3, 4, 5, 7, 10, 15, 22, 33}));
  ASSERT_EQ(stack.Count(), 33);
  for (int i = 0; i < 33; ++i) EXPECT_EQ(stack.Get(i), i);
}

// Reserving a little more, once per object of a scene, grows the list
// geometrically: ten thousand small reserves allocate a few dozen times.
TEST_F(StackTest, ReserveGrowingAllocatesLogarithmicallyOften) {
  Stack<int> stack;
  const int64_t before = host::GetMemoryStats().totalAllocations;
  for (int object = 0; object < 10000; ++object) {
    stack.ReserveGrowing(stack.Count() + 3);
    for (int k = 0; k < 3; ++k) stack.Push(k);
  }
  EXPECT_LT(host::GetMemoryStats().totalAllocations - before, 40);
  EXPECT_EQ(stack.Count(), 30000);
  stack.ReserveGrowing(1000000);  // a need beyond the next step is met exactly
  EXPECT_EQ(stack.Capacity(), 1000000);
}

TEST_F(StackTest, FirstPushAllocatesOneSlotAndReserveWithinCapacityAllocatesNothing) {
  Stack<int> stack;
  const int64_t before = host::GetMemoryStats().totalAllocations;
  stack.Push(7);
  EXPECT_EQ(stack.Capacity(), 1);
  EXPECT_EQ(host::GetMemoryStats().totalAllocations, before + 1);

  stack.Reserve(0);
  stack.Reserve(1);
  EXPECT_EQ(host::GetMemoryStats().totalAllocations, before + 1);
  EXPECT_EQ(stack.Capacity(), 1);
}

TEST_F(StackTest, ReportsEachFailureWithItsLine) {
  host::ConsoleCapture console;
  Stack<int> stack;
  stack.Push(5);

  EXPECT_EQ(stack.At(1), 5);  // out of range: the first slot
  EXPECT_EQ(stack.Get(1), 0);  // out of range: a default element
  stack.Pop();
  EXPECT_EQ(stack.Pop(), 0);
  EXPECT_EQ(stack.Count(), 0);

  EXPECT_EQ(console.Lines(), (std::vector<std::string>{
                                 "NO MEMORY: stack 111",
                                 "NO MEMORY: stack 125",
                                 "NO MEMORY: stack 169",
                             }));
  EXPECT_EQ(MemoryErrorFlag::Test(), 0) << "reads and pops never set the flag";
}

TEST_F(StackTest, FailedGrowthReportsSetsFlagAndKeepsContents) {
  Stack<int> stack;
  for (int i = 0; i < 5; ++i) stack.Push(i);
  host::ConsoleCapture console;
  host::FailNthAllocation(1);

  stack.Push(99);

  EXPECT_EQ(console.Lines(), std::vector<std::string>{"NO MEMORY: stack 237"});
  EXPECT_EQ(MemoryErrorFlag::Test(), 1);
  EXPECT_EQ(stack.Count(), 5);
  EXPECT_EQ(stack.Capacity(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(stack.Get(i), i);
}

TEST_F(StackTest, SetFlagStopsPushAndSetCountEvenWithRoom) {
  Stack<int> stack;
  stack.Reserve(10);
  MemoryErrorFlag::Set();

  stack.Push(1);
  EXPECT_EQ(stack.Count(), 0);
  EXPECT_EQ(stack.SetCount(4), 1);
  EXPECT_EQ(stack.Count(), 0);
}

TEST_F(StackTest, SetCountAddsDefaultElementsAndNeverShrinks) {
  Stack<int> stack;
  stack.Push(3);
  EXPECT_EQ(stack.SetCount(4), 0);
  EXPECT_EQ(stack.Count(), 4);
  EXPECT_EQ(stack.Get(0), 3);
  EXPECT_EQ(stack.Get(3), 0);
  stack.SetCount(2);
  EXPECT_EQ(stack.Count(), 4);
}

TEST_F(StackTest, CopiesAreDeepAndSelfAssignmentChangesNothing) {
  Stack<Stack<int>> outer;
  Stack<int> inner;
  inner.Push(1);
  inner.Push(2);
  outer.Push(inner);
  outer.Push(inner);

  Stack<Stack<int>> copy(outer);
  copy.At(0).Push(3);
  EXPECT_EQ(copy.Get(0).Count(), 3);
  EXPECT_EQ(outer.Get(0).Count(), 2);

  Stack<Stack<int>>& alias = outer;
  outer = alias;
  ASSERT_EQ(outer.Count(), 2);
  EXPECT_EQ(outer.Get(1).Get(1), 2);
}

TEST_F(StackTest, PushOfOwnElementSurvivesGrowth) {
  Stack<Stack<int>> outer;
  Stack<int> inner;
  inner.Push(42);
  outer.Push(inner);
  for (int i = 0; i < 20; ++i) outer.Push(outer.Get(outer.Count() - 1));
  EXPECT_EQ(outer.Get(20).Get(0), 42);
}

TEST_F(StackTest, ClearReleasesEverything) {
  const int64_t liveBefore = host::GetMemoryStats().liveBlocks;
  {
    Stack<int> stack;
    for (int i = 0; i < 100; ++i) stack.Push(i);
    stack.Clear();
    EXPECT_EQ(stack.Count(), 0);
    EXPECT_EQ(stack.Capacity(), 0);
    EXPECT_EQ(host::GetMemoryStats().liveBlocks, liveBefore);
    stack.Push(1);
  }
  EXPECT_EQ(host::GetMemoryStats().liveBlocks, liveBefore);
}

TEST_F(StackTest, CapitalisedSourceNameAppearsInReports) {
  host::ConsoleCapture console;
  Stack<int, kStackSourceCapitalised> stack;
  stack.Pop();
  EXPECT_EQ(console.Lines(), std::vector<std::string>{"NO MEMORY: Stack 169"});
}

}  // namespace
