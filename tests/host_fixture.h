// A test fixture that starts every test from a fresh host: all services back
// to their starting state and the module side bound to the host's table.
// It brings every sdk/ header, so that a test sees the host as a module does.
#pragma once

#include <gtest/gtest.h>

#include <ostream>

#include "core/stack.h"
#include "host/api/vexmark_ids.h"
#include "host/runtime.h"
#include "sdk/bitmaps.h"
#include "sdk/console.h"
#include "sdk/container.h"
#include "sdk/dialogs.h"
#include "sdk/document.h"
#include "sdk/events.h"
#include "sdk/exact_time.h"
#include "sdk/files.h"
#include "sdk/host_table.h"
#include "sdk/memory.h"
#include "sdk/owner.h"
#include "sdk/parallel.h"
#include "sdk/registry.h"
#include "sdk/resources.h"
#include "sdk/scene.h"
#include "sdk/selections.h"
#include "sdk/status.h"
#include "sdk/strings.h"
#include "sdk/threads.h"

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

// What tests read of the host that the module never asks for, straight from
// the function table: the single-precision global matrix, names, a new empty
// document and a document's time.
inline HostMatrix GlobalMatrixOf(const SceneObject* object) {
  return Host().scene->objGlobalMatrix(object);
}
inline String ObjectNameOf(const SceneObject* object) {
  return String::Adopt(Host().scene->objName(object));
}
inline String MaterialNameOf(const SceneMaterial* material) {
  return String::Adopt(Host().scene->mtlName(material));
}
inline BaseDocument* NewDocument() {
  return Host().docAlloc();
}
inline Time DocumentTime(const BaseDocument* doc) {
  return Time(Host().docGetTime(doc));
}
