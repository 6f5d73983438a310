// A test fixture that starts every test from a fresh host: all services back
// to their starting state and the module side bound to the host's table.
#pragma once

#include <gtest/gtest.h>

#include <ostream>

#include "core/stack.h"
#include "sdk/host_sdk.h"
#include "host/runtime.h"

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ResetForTest();
    HostBind(host::Table());
  }
  void TearDown() override { host::ResetForTest(); }
};

// A fresh host, and the module's memory-failure flag clear before and after
// each test, so that one test's failed allocation cannot fail the next.
class ModuleTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    MemoryErrorFlag::Clear();
  }
  void TearDown() override {
    MemoryErrorFlag::Clear();
    HostTest::TearDown();
  }
};

// Lets failed expectations show a host string's text.
inline void PrintTo(const String& s, std::ostream* os) {
  *os << '"' << s.Text() << '"';
}
