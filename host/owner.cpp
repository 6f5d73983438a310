// The installation's owner record and the local clock.
#include <ctime>
#include <mutex>

#include "host/host_string.h"
#include "host/runtime.h"
#include "host/services.h"

namespace host {
namespace {

std::mutex gMutex;
std::string gOwnerName;
std::string gOwnerCompany;
std::optional<HostDateTime> gFixedTime;

void OwnerRecord(HostString** name, HostString** company) {
  std::lock_guard<std::mutex> lock(gMutex);
  if (name != nullptr) *name = NewString(gOwnerName);
  if (company != nullptr) *company = NewString(gOwnerCompany);
}

HostDateTime LocalTime() {
  {
    std::lock_guard<std::mutex> lock(gMutex);
    if (gFixedTime) return *gFixedTime;
  }
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return HostDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                      local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace

void SetOwnerRecord(const std::string& name, const std::string& company) {
  std::lock_guard<std::mutex> lock(gMutex);
  gOwnerName = name;
  gOwnerCompany = company;
}

void SetFixedLocalTime(std::optional<HostDateTime> time) {
  std::lock_guard<std::mutex> lock(gMutex);
  gFixedTime = time;
}

void FillOwnerEntries(HostApi& table) {
  table.ownerRecord = &OwnerRecord;
  table.localTime = &LocalTime;
}

void ResetOwner() {
  SetOwnerRecord("", "");
  SetFixedLocalTime(std::nullopt);
}

}  // namespace host
