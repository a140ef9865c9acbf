#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace analyser {

enum class Protocol { Astm, Hl7 };

// Lower-case hex SHA-256 of the text: a retransmitted message gives the same key.
std::string messageKey(std::string_view text);

// The parts between delimiters, as many as there are delimiters plus one (ASTM and HL7 fields alike).
std::vector<std::string> split(std::string_view text, char delimiter);

} // namespace analyser
