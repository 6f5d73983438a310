#include "app/studio/access_guard.h"

#include <sys/random.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace app::studio {
namespace {

constexpr size_t kTokenBytes = 16;  // 128 bits

bool ChangesState(const std::string& method) {
  return method != "GET" && method != "HEAD" && method != "OPTIONS";
}

}  // namespace

std::string NewToken() {
  uint8_t bytes[kTokenBytes];
  size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
    if (n <= 0) return "";
    got += static_cast<size_t>(n);
  }
  std::string token;
  for (const uint8_t b : bytes) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", b);
    token += hex;
  }
  return token;
}

AccessGuard::AccessGuard(std::string token, int port)
    : token_(std::move(token)), port_(std::to_string(port)) {}

int AccessGuard::Refusal(const RequestFacts& request, std::string& reason) const {
  if (!HostIsOurs(request.host)) {
    reason = "this server answers only to 127.0.0.1:" + port_ + " and localhost:" + port_;
    return 403;
  }
  const std::string cookie = CookieValue(request.cookieHeader, kTokenCookie);
  const std::string& given = !request.queryToken.empty() ? request.queryToken : cookie;
  if (given.empty()) {
    reason = "the token is missing: open the address the studio printed";
    return 401;
  }
  if (!TokenMatches(given)) {
    reason = "wrong token";
    return 403;
  }
  if (ChangesState(request.method) && !request.origin.empty() && !OriginIsOurs(request.origin)) {
    reason = "requests from another site are refused";
    return 403;
  }
  return 0;
}

std::string AccessGuard::TokenCookie() const {
  return std::string(kTokenCookie) + "=" + token_ + "; Path=/; HttpOnly; SameSite=Strict";
}

bool AccessGuard::HostIsOurs(const std::string& host) const {
  return host == "127.0.0.1:" + port_ || host == "localhost:" + port_;
}

bool AccessGuard::OriginIsOurs(const std::string& origin) const {
  return origin == "http://127.0.0.1:" + port_ || origin == "http://localhost:" + port_;
}

// Compares every character whatever the first difference, so that the time
// an answer takes says nothing about how much of a guess was right.
bool AccessGuard::TokenMatches(const std::string& candidate) const {
  if (candidate.size() != token_.size() || token_.empty()) return false;
  unsigned char difference = 0;
  for (size_t k = 0; k < token_.size(); ++k)
    difference |= static_cast<unsigned char>(candidate[k] ^ token_[k]);
  return difference == 0;
}

std::string CookieValue(const std::string& header, const std::string& name) {
  size_t at = 0;
  while (at < header.size()) {
    const size_t end = std::min(header.find(';', at), header.size());
    size_t start = at;
    while (start < end && header[start] == ' ') ++start;
    const std::string pair = header.substr(start, end - start);
    if (pair.rfind(name + "=", 0) == 0) return pair.substr(name.size() + 1);
    at = end + 1;
  }
  return "";
}

}  // namespace app::studio
