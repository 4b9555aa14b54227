#pragma once

// Where a live feed is reached: the addresses the user types for gpsd and for a network direction finder.
//
//   gpsd://HOST[:PORT]          gpsd's JSON service; HOST defaults to 127.0.0.1, PORT to 2947
//   http://HOST[:PORT][/PATH]   a network direction finder's bearing file; PORT defaults to 8081,
//                               PATH to /DOA_value.html
//
// HOST is a name or an IPv4 address (letters, digits, '-', '.') or an IPv6 address in brackets. Nothing
// else is accepted (no user name, no https, no spaces): a wrong address is reported at once with what is
// wrong, rather than as a connection failure later.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/outcome.hpp"

namespace vantrel::instruments {

struct FeedAddress {
    std::string host;        // without brackets for IPv6
    std::uint16_t port = 0;  // 1..65535
    std::string path;        // starts with '/'; empty for gpsd
};

inline constexpr std::uint16_t kGpsdDefaultPort = 2947;
inline constexpr std::uint16_t kNetworkDfDefaultPort = 8081;
inline constexpr std::string_view kNetworkDfDefaultPath = "/DOA_value.html";

core::Result<FeedAddress> ParseGpsdAddress(std::string_view text);
core::Result<FeedAddress> ParseNetworkDfAddress(std::string_view text);

// "127.0.0.1:2947", "[::1]:2947": how status texts name the server.
std::string HostAndPort(const FeedAddress& address);
// The whole URL again, with the defaults filled in ("http://127.0.0.1:8081/DOA_value.html").
std::string NetworkDfUrl(const FeedAddress& address);

}  // namespace vantrel::instruments
