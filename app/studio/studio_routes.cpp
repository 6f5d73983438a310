#include "app/studio/studio_routes.h"

#include <cstdio>
#include <string>

#include "app/studio/studio_assets.h"
#include "app/studio/scene_json.h"
#include "app/studio/studio_files.h"
#include "app/studio/tag_json.h"

namespace app::studio {
namespace {

using httplib::Request;
using httplib::Response;

std::string Text(const Json& json) {
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void Answer(Response& res, const JsonAnswer& answer) {
  res.status = answer.status;
  res.set_content(Text(answer.body), "application/json");
}

// The request's body as JSON; false (and the answer given) when it is not.
bool ReadBody(const Request& req, Response& res, Json& body) {
  body = Json::parse(req.body, nullptr, false);
  if (!body.is_discarded()) return true;
  Answer(res, JsonError(400, "the body is not JSON"));
  return false;
}

RequestFacts FactsOf(const Request& req) {
  return RequestFacts{req.method, req.get_header_value("Host"), req.get_header_value("Origin"),
                      req.get_param_value("token"), req.get_header_value("Cookie")};
}

// The page's files come from the table built into the program; no path of
// a request reaches the file system.
void ServeAsset(const Request& req, Response& res, const AccessGuard& guard) {
  const StudioAsset* asset = FindStudioAsset(req.path);
  if (asset == nullptr) {
    Answer(res, JsonError(404, "no such page"));
    return;
  }
  res.set_content(reinterpret_cast<const char*>(asset->data), asset->size, asset->contentType);
  // The page's own requests then carry the token without showing it.
  if (req.path == "/" && !req.get_param_value("token").empty())
    res.set_header("Set-Cookie", guard.TokenCookie());
}

void ServeDrawing(Response& res, StudioSession& session, PreviewWorker& worker) {
  std::string key;
  {
    std::lock_guard<std::mutex> lock(session.Lock());
    key = session.DrawingKey();
  }
  const DrawingAnswer answer = worker.Draw(key);
  res.status = answer.status;
  res.set_content(answer.body, answer.contentType);
  res.set_header("Cache-Control", "no-store");
  if (answer.status != 200) return;
  res.set_header("X-Vexmark-Paths", std::to_string(answer.paths));
  res.set_header("X-Vexmark-Ink-Length", std::to_string(answer.inkLength));
  char milliseconds[32];
  std::snprintf(milliseconds, sizeof milliseconds, "%.1f", answer.milliseconds);
  res.set_header("X-Vexmark-Milliseconds", milliseconds);
}

// A route whose work runs under the session's lock with the parsed body.
template <class Work>
httplib::Server::Handler WithBody(StudioSession& session, Work work) {
  return [&session, work](const Request& req, Response& res) {
    Json body;
    if (!ReadBody(req, res, body)) return;
    std::lock_guard<std::mutex> lock(session.Lock());
    Answer(res, work(req, body));
  };
}

template <class Work>
httplib::Server::Handler Locked(StudioSession& session, Work work) {
  return [&session, work](const Request& req, Response& res) {
    std::lock_guard<std::mutex> lock(session.Lock());
    Answer(res, work(req));
  };
}

void InstallGuard(httplib::Server& server, const AccessGuard& guard, RequestRate& rate) {
  server.set_pre_routing_handler([&guard, &rate](const Request& req, Response& res) {
    if (!rate.Admit()) {
      Answer(res, JsonError(429, "too many requests; the studio takes at most " +
                                     std::to_string(static_cast<int>(kRequestsPerSecond)) +
                                     " a second"));
      return httplib::Server::HandlerResponse::Handled;
    }
    std::string reason;
    const int status = guard.Refusal(FactsOf(req), reason);
    if (status == 0) return httplib::Server::HandlerResponse::Unhandled;
    Answer(res, JsonError(status, reason));
    return httplib::Server::HandlerResponse::Handled;
  });
  // Refusals of the server itself (413, an unknown path) in JSON too.
  server.set_error_handler([](const Request&, Response& res) {
    if (res.body.empty())
      Answer(res, JsonError(res.status, res.status == 413 ? "the body is larger than 1 MB"
                                                          : "no such request"));
  });
}

void InstallSceneRoutes(httplib::Server& server, StudioSession& session) {
  server.Get("/api/scene", Locked(session, [&session](const Request&) {
               return JsonAnswer{200, SceneListing(session)};
             }));
  server.Put("/api/frame", WithBody(session, [&session](const Request&, const Json& body) {
               return session.PutFrame(body);
             }));
  server.Get("/api/geometry", Locked(session, [&session](const Request&) {
               return JsonAnswer{200, Geometry(session)};
             }));
  server.Put("/api/view", WithBody(session, [&session](const Request&, const Json& body) {
               return UseView(session, body);
             }));
  server.Put(R"(/api/objects/(-?\d+)/tag)",
             WithBody(session, [&session](const Request& req, const Json& body) {
               return PutTag(session, req.matches[1].str(), body);
             }));
  server.Delete(R"(/api/objects/(-?\d+)/tag)", Locked(session, [&session](const Request& req) {
                  return DeleteTag(session, req.matches[1].str());
                }));
}

}  // namespace

void InstallRoutes(httplib::Server& server, const AccessGuard& guard, RequestRate& rate,
                   StudioSession& session, PreviewWorker& worker) {
  server.set_payload_max_length(kMaxBodyBytes);
  InstallGuard(server, guard, rate);
  server.Get("/", [&guard](const Request& req, Response& res) { ServeAsset(req, res, guard); });
  server.Get("/assets/.*",
             [&guard](const Request& req, Response& res) { ServeAsset(req, res, guard); });
  server.Get("/api/options", [](const Request&, Response& res) {
    Answer(res,
           JsonAnswer{200, Json{{"options", OptionsListing()}, {"tagKeys", TagKeysListing()}}});
  });
  server.Get("/api/settings", Locked(session, [&session](const Request&) {
               return JsonAnswer{200, session.Settings()};
             }));
  server.Put("/api/settings", WithBody(session, [&session](const Request&, const Json& body) {
               return session.PutSettings(body);
             }));
  server.Get("/api/drawing.svg", [&session, &worker](const Request&, Response& res) {
    ServeDrawing(res, session, worker);
  });
  server.Get("/api/progress", [&worker](const Request&, Response& res) {
    Answer(res,
           JsonAnswer{200, Json{{"running", worker.Running()}, {"fraction", worker.Fraction()}}});
  });
  server.Post("/api/export", WithBody(session, [&session](const Request&, const Json& body) {
                return ExportFiles(session, body);
              }));
  server.Post("/api/save", WithBody(session, [&session](const Request&, const Json& body) {
                return SaveScene(session, body);
              }));
  InstallSceneRoutes(server, session);
}

}  // namespace app::studio
