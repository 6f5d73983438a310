// Stack: the growable array that holds every list of the module, used both
// as a stack (push and pop at the end) and as an indexed array; and
// MemoryErrorFlag, the flag through which a failed growth travels without
// exceptions. The flag belongs to the export job bound to the calling thread
// (core/job.h), so two runs on two threads never see each other's failures.
//
// Memory comes from the host allocator. A failed growth prints
// "NO MEMORY: stack 237", sets the flag and leaves the stack as it was;
// while the flag is set Push stores nothing and SetCount does not grow, so
// every list-building loop can test the flag and stop.
#pragma once

#include <cstdint>
#include <utility>

#include "sdk/console.h"
#include "sdk/memory.h"

// The memory-error flag of the calling thread's job: 0 = no error. Set by a
// failed Stack growth (or an allocation the caller could not make); cleared
// at the start of an export run.
struct MemoryErrorFlag {
  static void Set();
  static void Clear();
  static int32_t Test();
};

// Source names that the stack's reports carry.
inline constexpr char kStackSource[] = "stack";
inline constexpr char kStackSourceCapitalised[] = "Stack";

// The report lines of the stack's four failure situations.
struct StackReportLine {
  static constexpr int32_t kAtOutOfRange = 111;
  static constexpr int32_t kGetOutOfRange = 125;
  static constexpr int32_t kPopEmpty = 169;
  static constexpr int32_t kGrowthFailed = 237;
};

template <class T, const char* Source = kStackSource>
class Stack {
 public:
  Stack() = default;
  ~Stack() { HostDeleteArray(items_); }

  Stack(const Stack& other) { CopyFrom(other); }
  Stack& operator=(const Stack& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }
  Stack(Stack&& other) noexcept { Steal(other); }
  Stack& operator=(Stack&& other) noexcept {
    if (this != &other) {
      HostDeleteArray(items_);
      Steal(other);
    }
    return *this;
  }

  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }
  bool Empty() const { return count_ == 0; }
  // The array itself, for loops that have checked their bounds.
  T* Items() { return items_; }
  const T* Items() const { return items_; }

  // Makes room for n elements. On allocation failure: reports, sets the
  // memory-error flag and leaves the stack unchanged.
  void Reserve(int32_t n) {
    if (n <= capacity_ || n == 0) return;
    T* grown = HostNewArray<T>(n);
    if (grown == nullptr) {
      ReportNoMemory(Source, StackReportLine::kGrowthFailed);
      MemoryErrorFlag::Set();
      return;
    }
    // The old array is released right after, so its elements can be moved.
    for (int32_t i = 0; i < count_; ++i) grown[i] = std::move(items_[i]);
    HostDeleteArray(items_);
    items_ = grown;
    capacity_ = n;
  }

  // Makes room for n elements like Reserve, but grows by at least half the
  // capacity: a list that is reserved a little more many times over (once
  // per object, say) is then copied a few times in all, not every time.
  void ReserveGrowing(int32_t n) {
    if (n <= capacity_) return;
    const int32_t geometric = capacity_ + capacity_ / 2;
    Reserve(n > geometric ? n : geometric);
  }

  // Grows the count to n (never shrinks); the new elements are default
  // values. Returns the memory-error flag.
  int32_t SetCount(int32_t n) {
    Reserve(n);
    if (MemoryErrorFlag::Test() == 0 && count_ < n) count_ = n;
    return MemoryErrorFlag::Test();
  }

  // Appends a copy of x; stores nothing while the memory-error flag is set.
  void Push(const T& x) {
    if (count_ >= capacity_) {
      T copy(x);  // x may live in the array that growth releases
      Grow();
      if (MemoryErrorFlag::Test() != 0) return;
      items_[count_++] = copy;
      return;
    }
    if (MemoryErrorFlag::Test() != 0) return;
    items_[count_++] = x;
  }

  // Removes and returns the last element; on an empty stack reports and
  // returns a default element.
  T Pop() {
    if (count_ <= 0) {
      ReportNoMemory(Source, StackReportLine::kPopEmpty);
      return T();
    }
    T last = items_[count_ - 1];
    items_[count_ - 1] = T();
    --count_;
    return last;
  }

  // Element i. Out of range: reports and returns the first slot (a shared
  // default element when the array is empty).
  T& At(int32_t i) {
    if (i >= 0 && i < count_) return items_[i];
    ReportNoMemory(Source, StackReportLine::kAtOutOfRange);
    if (items_ != nullptr) return items_[0];
    return DefaultElement();
  }

  // Element i. Out of range: reports and returns a default element.
  const T& Get(int32_t i) const {
    if (i >= 0 && i < count_) return items_[i];
    ReportNoMemory(Source, StackReportLine::kGetOutOfRange);
    return DefaultElement();
  }

  // Unchecked access for loops that keep within Count().
  T& operator[](int32_t i) { return items_[i]; }
  const T& operator[](int32_t i) const { return items_[i]; }

  // Resets every element in use, releases the array; count and capacity 0.
  void Clear() {
    for (int32_t i = 0; i < count_; ++i) items_[i] = T();
    HostDeleteArray(items_);
    items_ = nullptr;
    count_ = 0;
    capacity_ = 0;
  }

 private:
  // One slot at a time up to 4, then by half the capacity.
  void Grow() { Reserve(capacity_ <= 4 ? capacity_ + 1 : capacity_ + capacity_ / 2); }

  void CopyFrom(const Stack& other) {
    Clear();
    if (other.count_ == 0) return;
    if (SetCount(other.count_) != 0) return;
    for (int32_t i = 0; i < count_; ++i) items_[i] = other.items_[i];
  }

  void Steal(Stack& other) {
    count_ = other.count_;
    capacity_ = other.capacity_;
    items_ = other.items_;
    other.count_ = 0;
    other.capacity_ = 0;
    other.items_ = nullptr;
  }

  // A default element that stays valid after the call; reset on every use
  // so that a caller who wrote to it earlier cannot leak values.
  static T& DefaultElement() {
    static thread_local T element;
    element = T();
    return element;
  }

  int32_t count_ = 0;
  int32_t capacity_ = 0;
  T* items_ = nullptr;
};
