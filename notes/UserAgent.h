// The user agent of the program's web requests: the system's agent with the
// product token, set once before the entry point runs.
#pragma once

#include <string>

namespace memo {

constexpr char kProductToken[] = "Quendra Memopane";

// The agent with the token: inside the comment that ends at the last ")"
// ("Mozilla/4.0 (compatible; X)" -> "Mozilla/4.0 (compatible; X; token)"),
// whatever follows that ")" kept; else after the agent as a product of its
// own, separated by a space.
std::string UserAgentWithProduct(const std::string& agent, const std::string& token = kProductToken);

// Reads the session's agent from the URL moniker library and sets it with
// the product token. False, with the agent unchanged, when either step fails.
bool ExtendUserAgent();

}  // namespace memo
