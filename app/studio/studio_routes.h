// The studio's HTTP routes: each request of docs/studio-api.md handed to the
// session, the preview worker or the file writers, its answer in JSON (or
// SVG for the drawing). The access guard runs before every route.
#pragma once

#include <httplib.h>

#include "app/studio/access_guard.h"
#include "app/studio/preview_worker.h"
#include "app/studio/studio_session.h"

namespace app::studio {

// The largest request body the server reads; larger ones get 413.
inline constexpr size_t kMaxBodyBytes = 1 << 20;

// Installs the guard, the page's assets and every API route on `server`.
void InstallRoutes(httplib::Server& server, const AccessGuard& guard, StudioSession& session,
                   PreviewWorker& worker);

}  // namespace app::studio
