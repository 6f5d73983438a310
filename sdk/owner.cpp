#include "sdk/owner.h"

#include "sdk/host_table.h"

void OwnerRecord(String& name, String& organisation) {
  if (Host().ownerRecord == nullptr) return;
  HostString* hostName = nullptr;
  HostString* hostOrganisation = nullptr;
  Host().ownerRecord(&hostName, &hostOrganisation);
  if (hostName != nullptr) name = String::Adopt(hostName);
  if (hostOrganisation != nullptr) organisation = String::Adopt(hostOrganisation);
}

HostDateTime LocalTime() {
  if (Host().localTime == nullptr) return HostDateTime{};
  return Host().localTime();
}
