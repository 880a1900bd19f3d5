// A host's address as the command line gives it: "NAME" or "NAME:PORT". Header-only, so
// that reading a command line needs nothing of network play.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/protocol.h"

namespace net {

// "NAME[:PORT]" into its parts (kDefaultPort when no port is given); false when the name is
// empty or the port is not 1..65535.
inline bool parseAddress(std::string_view text, std::string& name, uint16_t& port) {
    const std::size_t colon = text.rfind(':');
    port = kDefaultPort;
    if (colon != std::string_view::npos) {
        const std::string_view digits = text.substr(colon + 1);
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size() || value == 0 ||
            value > 65535) {
            return false;
        }
        port = uint16_t(value);
        text = text.substr(0, colon);
    }
    name = std::string(text);
    return !name.empty();
}

}  // namespace net
