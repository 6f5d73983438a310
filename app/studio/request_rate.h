// A bound on how fast the studio's server takes requests. The server is
// local, but any page in the browser can fire requests at it in a loop;
// past the bound they are answered 429 at once, so that a flood costs the
// server next to nothing and it keeps serving the page.
#pragma once

#include <chrono>
#include <mutex>

namespace app::studio {

class RequestRate {
 public:
  // Up to `burst` requests at once, refilled at `perSecond`.
  RequestRate(double perSecond, double burst);

  // Whether one more request may be served at `now` (it then counts).
  bool Admit(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());

 private:
  std::mutex mutex_;
  double perSecond_;
  double burst_;
  double available_;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace app::studio
