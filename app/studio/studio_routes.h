// The studio's HTTP routes: each request of docs/studio-api.md handed to the
// session, the preview worker or the file writers, its answer in JSON (or
// SVG for the drawing). The access guard runs before every route.
#pragma once

#include <httplib.h>

#include "app/studio/access_guard.h"
#include "app/studio/preview_worker.h"
#include "app/studio/request_rate.h"
#include "app/studio/studio_session.h"

namespace app::studio {

// The largest request body the server reads; larger ones get 413.
inline constexpr size_t kMaxBodyBytes = 1 << 20;

// Requests the server takes per second, and at once after a quiet spell:
// far more than the page sends (a few per change), so only a flood meets
// the bound.
inline constexpr double kRequestsPerSecond = 100;
inline constexpr double kRequestBurst = 200;

// Installs the rate bound, the guard, the page's assets and every API route
// on `server`.
void InstallRoutes(httplib::Server& server, const AccessGuard& guard, RequestRate& rate,
                   StudioSession& session, PreviewWorker& worker);

}  // namespace app::studio
