// A test fixture that starts every test from a fresh host: all services back
// to their starting state and the module side bound to the host's table.
#pragma once

#include <gtest/gtest.h>

#include <ostream>

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

// Lets failed expectations show a host string's text.
inline void PrintTo(const String& s, std::ostream* os) {
  *os << '"' << s.Text() << '"';
}
