// The user agent with the program's product token.
#include "notes/UserAgent.h"

#include <windows.h>
#include <urlmon.h>

#include <vector>

namespace memo {
namespace {

// An agent is a line of a request header; one longer than this is no agent
// a server would take, and the length comes from another library.
constexpr DWORD kMaxAgentBytes = 4096;

// Before the entry point runs, as the window classes are registered, so
// that no request of the program goes out without the token.
const bool kUserAgentExtended = ExtendUserAgent();

}  // namespace

std::string UserAgentWithProduct(const std::string& agent, const std::string& token) {
  // Inserted before the last ")", keeping what follows it: cut there, an
  // agent such as "... (KHTML, like Gecko) Chrome/1 Safari/1" would lose
  // its last products.
  size_t close = agent.rfind(')');
  if (close != std::string::npos) return agent.substr(0, close) + "; " + token + agent.substr(close);
  // Glued straight on, the token would change the name of the agent's last
  // product ("Foo/1.0Quendra").
  if (agent.empty() || agent.back() == ' ') return agent + token;
  return agent + " " + token;
}

bool ExtendUserAgent() {
  // The library answers E_OUTOFMEMORY even when it filled the buffer, and
  // tells the length (terminator included) either way.
  auto answered = [](HRESULT hr) {
    return SUCCEEDED(hr) || hr == E_OUTOFMEMORY || hr == HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  };
  char probe[1] = {};
  DWORD length = 0;
  if (!answered(::UrlMkGetSessionOption(URLMON_OPTION_USERAGENT, probe, 0, &length, 0))) return false;
  if (length == 0 || length > kMaxAgentBytes) return false;
  std::vector<char> buffer(length + 1, '\0');
  DWORD got = 0;
  if (!answered(::UrlMkGetSessionOption(URLMON_OPTION_USERAGENT, buffer.data(), length, &got, 0)) ||
      got == 0 || got > length) {
    return false;
  }
  std::string agent(buffer.data());  // ends at the first NUL, whatever got says
  std::string extended = UserAgentWithProduct(agent);
  return SUCCEEDED(::UrlMkSetSessionOption(URLMON_OPTION_USERAGENT, const_cast<char*>(extended.c_str()),
                                           static_cast<DWORD>(extended.size()), 0));
}

}  // namespace memo
