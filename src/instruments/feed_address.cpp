#include "instruments/feed_address.hpp"

#include <optional>

namespace vantrel::instruments {
namespace {

bool IsHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsIpv6Char(char c) {
    return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == ':' || c == '.';
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// "1".."65535", digits only.
std::optional<std::uint16_t> ReadPort(std::string_view text) {
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

// HOST[:PORT] with the scheme and the path already cut off.
core::Result<FeedAddress> ReadAuthority(std::string_view authority, std::string_view whole,
                                        std::string_view defaultHost, std::uint16_t defaultPort) {
    FeedAddress address;
    std::string_view rest = authority;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string_view::npos) {
            return core::Result<FeedAddress>::Fail("The address " + Quoted(whole) +
                                                   " has an IPv6 host without its closing ']'.");
        }
        const std::string_view host = rest.substr(1, close - 1);
        for (const char c : host) {
            if (!IsIpv6Char(c)) {
                return core::Result<FeedAddress>::Fail("The address " + Quoted(whole) +
                                                       " has a character that is not allowed in its host.");
            }
        }
        address.host = std::string(host);
        rest.remove_prefix(close + 1);
    } else {
        const auto colon = rest.find(':');
        const std::string_view host = rest.substr(0, colon);
        for (const char c : host) {
            if (!IsHostChar(c)) {
                return core::Result<FeedAddress>::Fail("The address " + Quoted(whole) +
                                                       " has a character that is not allowed in its host.");
            }
        }
        address.host = std::string(host);
        rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon);
    }
    if (address.host.empty()) {
        address.host = std::string(defaultHost);
    }
    address.port = defaultPort;
    if (!rest.empty()) {
        const auto port = rest.front() == ':' ? ReadPort(rest.substr(1)) : std::nullopt;
        if (!port) {
            return core::Result<FeedAddress>::Fail("The address " + Quoted(whole) +
                                                   " has no valid port (a number from 1 to 65535).");
        }
        address.port = *port;
    }
    return address;
}

// The text after the scheme, or nullopt when the scheme is not the one expected (case-insensitive).
std::optional<std::string_view> AfterScheme(std::string_view text, std::string_view scheme) {
    if (text.size() < scheme.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < scheme.size(); ++i) {
        const char c = text[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != scheme[i]) {
            return std::nullopt;
        }
    }
    return text.substr(scheme.size());
}

}  // namespace

core::Result<FeedAddress> ParseGpsdAddress(std::string_view text) {
    const auto rest = AfterScheme(text, "gpsd://");
    if (!rest) {
        return core::Result<FeedAddress>::Fail(
            "The gpsd address " + Quoted(text) +
            " does not start with gpsd:// (example: gpsd://127.0.0.1:2947).");
    }
    std::string_view authority = *rest;
    if (!authority.empty() && authority.back() == '/') {
        authority.remove_suffix(1);
    }
    if (authority.find('/') != std::string_view::npos) {
        return core::Result<FeedAddress>::Fail("The gpsd address " + Quoted(text) +
                                               " has a path; gpsd is reached by host and port only.");
    }
    return ReadAuthority(authority, text, "127.0.0.1", kGpsdDefaultPort);
}

core::Result<FeedAddress> ParseNetworkDfAddress(std::string_view text) {
    const auto rest = AfterScheme(text, "http://");
    if (!rest) {
        return core::Result<FeedAddress>::Fail(
            "The network direction finder address " + Quoted(text) +
            " does not start with http:// (example: http://192.168.1.20:8081/DOA_value.html).");
    }
    const auto slash = rest->find('/');
    const std::string_view authority = rest->substr(0, slash);
    auto address = ReadAuthority(authority, text, "", kNetworkDfDefaultPort);
    if (!address) {
        return address;
    }
    if (address->host.empty()) {
        return core::Result<FeedAddress>::Fail("The network direction finder address " + Quoted(text) +
                                               " names no host.");
    }
    std::string_view path = slash == std::string_view::npos ? std::string_view{} : rest->substr(slash);
    for (const char c : path) {
        if (c <= ' ' || c == '#' || static_cast<unsigned char>(c) >= 0x7f) {
            return core::Result<FeedAddress>::Fail("The network direction finder address " + Quoted(text) +
                                                   " has a space or a character not allowed in its path.");
        }
    }
    address->path = (path.empty() || path == "/") ? std::string(kNetworkDfDefaultPath) : std::string(path);
    return address;
}

std::string HostAndPort(const FeedAddress& address) {
    const bool ipv6 = address.host.find(':') != std::string::npos;
    const std::string host = ipv6 ? "[" + address.host + "]" : address.host;
    return host + ":" + std::to_string(address.port);
}

std::string NetworkDfUrl(const FeedAddress& address) {
    return "http://" + HostAndPort(address) + address.path;
}

}  // namespace vantrel::instruments
