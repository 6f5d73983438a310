// The function table as a module receives it, and the installation services.
#include <gtest/gtest.h>

#include <cstddef>

#include "host_fixture.h"

namespace {

class HostRuntimeTest : public HostTest {};

TEST_F(HostRuntimeTest, TableIsCompleteAndReportsItsVersion) {
  const HostApi* table = host::Table();
  EXPECT_EQ(table->version, kHostApiVersion);
  EXPECT_EQ(table->size, static_cast<int32_t>(sizeof(HostApi)));
  // Every entry after the two header fields is a function pointer.
  const auto* entries = reinterpret_cast<const void* const*>(reinterpret_cast<const char*>(table) +
                                                             offsetof(HostApi, memAlloc));
  const size_t count = (sizeof(HostApi) - offsetof(HostApi, memAlloc)) / sizeof(void*);
  for (size_t i = 0; i < count; ++i) EXPECT_NE(entries[i], nullptr) << "entry " << i;

  host::SetApiVersion(7200);
  EXPECT_EQ(host::Table()->version, 7200);
  EXPECT_EQ(host::ApiVersion(), 7200);
  host::ResetForTest();
  EXPECT_EQ(host::Table()->version, kHostApiVersion);
}

TEST_F(HostRuntimeTest, OwnerRecordAndLocalTime) {
  HostString* name = nullptr;
  HostString* company = nullptr;
  Host().ownerRecord(&name, &company);
  EXPECT_EQ(String::Adopt(name), "");
  EXPECT_EQ(String::Adopt(company), "");

  host::SetOwnerRecord("Ada", "Vexmark Works");
  Host().ownerRecord(&name, &company);
  EXPECT_EQ(String::Adopt(name), "Ada");
  EXPECT_EQ(String::Adopt(company), "Vexmark Works");

  const HostDateTime now = Host().localTime();
  EXPECT_GE(now.year, 2020);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);

  host::SetFixedLocalTime(HostDateTime{2001, 2, 3, 4, 5, 6});
  const HostDateTime fixed = Host().localTime();
  EXPECT_EQ(fixed.year, 2001);
  EXPECT_EQ(fixed.second, 6);
  host::ResetForTest();
  EXPECT_GE(Host().localTime().year, 2020);
}

}  // namespace
