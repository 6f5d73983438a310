// Who may talk to the studio's server. The server listens on 127.0.0.1
// only, yet any page in the user's browser and any local program can reach
// that address: every request must carry the session's token (query
// parameter or cookie), name the server itself as its Host (a page of a
// foreign site whose name was rebound to 127.0.0.1 sends its own), and a
// request that changes state must not come from a foreign page's Origin.
#pragma once

#include <string>

namespace app::studio {

// 128 random bits from the kernel as 32 hex digits; empty when the kernel
// gives none.
std::string NewToken();

// What the guard looks at in a request.
struct RequestFacts {
  std::string method;
  std::string host;          // the Host header
  std::string origin;        // the Origin header; empty when absent
  std::string queryToken;    // the `token` query parameter; empty when absent
  std::string cookieHeader;  // the Cookie header; empty when absent
};

// The name of the cookie that carries the token.
inline constexpr char kTokenCookie[] = "vexmark_token";

class AccessGuard {
 public:
  AccessGuard(std::string token, int port);

  // 0 when the request may be served; else the status to refuse it with
  // (401 without a token, 403 for a wrong token, Host or Origin) and in
  // `reason` one line why.
  int Refusal(const RequestFacts& request, std::string& reason) const;

  // The Set-Cookie value that lets the page's later requests go without the
  // token in their address.
  std::string TokenCookie() const;
  const std::string& Token() const { return token_; }

 private:
  bool HostIsOurs(const std::string& host) const;
  bool OriginIsOurs(const std::string& origin) const;
  bool TokenMatches(const std::string& candidate) const;

  std::string token_;
  std::string port_;
};

// The value of cookie `name` in a Cookie header; empty when it has none.
std::string CookieValue(const std::string& header, const std::string& name);

}  // namespace app::studio
