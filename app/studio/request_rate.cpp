#include "app/studio/request_rate.h"

#include <algorithm>

namespace app::studio {

RequestRate::RequestRate(double perSecond, double burst)
    : perSecond_(perSecond), burst_(burst), available_(burst), last_(std::chrono::steady_clock::now()) {}

bool RequestRate::Admit(std::chrono::steady_clock::time_point now) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (now > last_) {
    const double seconds = std::chrono::duration<double>(now - last_).count();
    available_ = std::min(burst_, available_ + seconds * perSecond_);
    last_ = now;
  }
  if (available_ < 1) return false;
  available_ -= 1;
  return true;
}

}  // namespace app::studio
