#pragma once
// A command as the component writes it: fixed text and values in the original order and with the
// original separators. The text the original system sent can always be rebuilt from it, but the
// values reach the database only as bound parameters.

#include "labdb/value.h"

#include <string>
#include <string_view>
#include <vector>

namespace labdb {

class CommandText {
public:
    // Stands in the shape for each value; never part of a command's fixed text.
    static constexpr char kMarker = '\x1F';

    CommandText() = default;
    explicit CommandText(std::string_view fixedText) { fixed(fixedText); }

    CommandText &fixed(std::string_view text);
    CommandText &value(Value v);

    // Fixed text with kMarker for every value: the key under which a command's plan is cached.
    const std::string &shape() const { return m_shape; }
    const std::vector<Value> &values() const { return m_values; }
    // The command exactly as the original system would have sent it (values pasted, NULL bare).
    std::string text() const;

    // Splits a typed command text (the operator's console): every quoted literal becomes a value,
    // with '' inside a literal standing for one quote.
    static CommandText fromText(std::string_view raw);

private:
    std::string m_shape;
    std::vector<Value> m_values;
};

} // namespace labdb
