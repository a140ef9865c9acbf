#pragma once
// Commands are written in code in the shape the laboratory server knows them:
//   Command("Laboratory..Lab_ResultSaveLastEdit '") << RequestNum << "', '" << EmployeeCode << "'"
// String literals are fixed text; QString values travel as bound values.

#include <labdb/command.h>

#include <QString>

namespace corvane {

// A value that is written bare (no quotes) but still bound, e.g. a NULL or a computed number.
struct Bare {
    labdb::Value value;
};

class Command {
public:
    Command() = default;
    explicit Command(const char *fixedText) : m_text(fixedText) {}

    Command &operator<<(const char *fixedText)
    {
        m_text.fixed(fixedText);
        return *this;
    }
    Command &operator<<(const QString &value)
    {
        m_text.value(value.toStdString());
        return *this;
    }
    Command &operator<<(const Bare &bare)
    {
        m_text.value(bare.value);
        return *this;
    }

    const labdb::CommandText &commandText() const { return m_text; }
    // What the original system would have sent.
    QString text() const { return QString::fromStdString(m_text.text()); }

    // A text typed by an operator; quoted literals become bound values.
    static Command fromText(const QString &raw);

private:
    labdb::CommandText m_text;
};

} // namespace corvane
