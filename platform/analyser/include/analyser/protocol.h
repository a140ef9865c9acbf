#pragma once

#include <string>
#include <string_view>

namespace analyser {

enum class Protocol { Astm, Hl7 };

// Lower-case hex SHA-256 of the text: a retransmitted message gives the same key.
std::string messageKey(std::string_view text);

} // namespace analyser
