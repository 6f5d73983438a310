// What the host knows of its installation: the owner record and the local
// time.
#pragma once

#include "host/api/host_api.h"
#include "sdk/strings.h"

// The installation's owner name and organisation; left as they are when the
// host cannot tell.
void OwnerRecord(String& name, String& organisation);
// The host's local date and time; all zero from a host without a clock.
HostDateTime LocalTime();
