#include "pagetemplate.h"

#include "reports/layout.h"
#include "services/database/connection.h"

#include <QRegularExpression>

namespace corvane::reporting {

namespace {

using kainjow::mustache::mustache;
using kainjow::mustache::renderer;

// Lower-cases the names inside {{ }} and {{{ }}} so "{{Result.Result2}}" finds "result2" whatever
// case the database gave the column. Offsets stay the same, so parser positions still point into
// the original text. Returns the offset of a delimiter change ({{=..=}}), which layouts do not
// support, or -1.
qsizetype lowerTagNames(std::string &text)
{
    std::size_t pos = 0;
    while ((pos = text.find("{{", pos)) != std::string::npos) {
        const bool triple = pos + 2 < text.size() && text[pos + 2] == '{';
        const std::size_t start = pos + (triple ? 3 : 2);
        const std::size_t end = text.find(triple ? "}}}" : "}}", start);
        if (end == std::string::npos)
            return -1; // left to the parser, which reports the unclosed tag
        std::size_t first = start;
        while (first < end && (text[first] == ' ' || text[first] == '\t'))
            ++first;
        if (first < end && text[first] == '=')
            return static_cast<qsizetype>(pos);
        if (!(first < end && text[first] == '!')) {
            for (std::size_t i = start; i < end; ++i) {
                if (text[i] >= 'A' && text[i] <= 'Z')
                    text[i] = static_cast<char>(text[i] - 'A' + 'a');
            }
        }
        pos = end + (triple ? 3 : 2);
    }
    return -1;
}

// Sections deeper than any form needs. The Mustache parser's memory grows with the square of the
// depth, so a few hundred kilobytes of nested sections would take gigabytes.
constexpr int kMaxSectionDepth = 50;

// The offset of the first section opened deeper than kMaxSectionDepth, or -1.
qsizetype tooDeepSection(const std::string &text)
{
    int depth = 0;
    for (std::size_t pos = 0; (pos = text.find("{{", pos)) != std::string::npos; pos += 2) {
        std::size_t kind = pos + 2;
        while (kind < text.size() && (text[kind] == ' ' || text[kind] == '\t'))
            ++kind;
        if (kind >= text.size())
            break;
        if (text[kind] == '#' || text[kind] == '^') {
            if (++depth > kMaxSectionDepth)
                return static_cast<qsizetype>(pos);
        } else if (text[kind] == '/') {
            --depth;
        }
    }
    return -1;
}

int lineAt(const std::string &text, std::size_t offset)
{
    int line = 0;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n')
            ++line;
    }
    return line;
}

QString formatDateTime(const QString &text, const QString &format)
{
    const QDateTime dt = parseServerDateTime(text);
    return dt.isValid() ? dt.toString(format) : text;
}

TemplateData formatter(const QString &format)
{
    return kainjow::mustache::lambda2{[format](const std::string &text, const renderer &render) {
        const QString rendered = QString::fromStdString(render(text));
        return formatDateTime(rendered.trimmed(), format).toStdString();
    }};
}

} // namespace

PageTemplate::PageTemplate(const QString &text, const QString &where, int firstLine)
    : m_text(text.toStdString()), m_where(where), m_firstLine(firstLine)
{
    if (const qsizetype at = lowerTagNames(m_text); at >= 0)
        fail("changing the tag delimiters is not supported at " + std::to_string(at));
    if (const qsizetype at = tooDeepSection(m_text); at >= 0)
        fail("sections are nested more than " + std::to_string(kMaxSectionDepth) + " deep at " + std::to_string(at));
    const mustache check(m_text);
    if (!check.is_valid())
        fail(check.error_message());
}

QString PageTemplate::render(const TemplateData &data) const
{
    mustache tmpl(m_text);
    const std::string out = tmpl.render(data);
    if (!tmpl.is_valid())
        fail(tmpl.error_message());
    return QString::fromStdString(out);
}

void PageTemplate::fail(const std::string &mustacheMessage) const
{
    // The parser ends its messages with " at <offset>"; the line means more to whoever edits it.
    QString message = QString::fromStdString(mustacheMessage);
    static const QRegularExpression atOffset(QStringLiteral(" at (\\d+)$"));
    const QRegularExpressionMatch m = atOffset.match(message);
    if (m.hasMatch()) {
        const int line = m_firstLine + lineAt(m_text, m.captured(1).toULongLong());
        message = message.left(m.capturedStart()) + QStringLiteral(" on line %1").arg(line);
    }
    throw ReportError(QStringLiteral("The page design of %1 is broken: %2.").arg(m_where, message));
}

void addFormatters(TemplateData &root)
{
    root.set("date", formatter(QStringLiteral("MM/dd/yyyy")));
    root.set("time", formatter(QStringLiteral("hh:mm AP")));
    root.set("datetime", formatter(QStringLiteral("MM/dd/yyyy hh:mm AP")));
}

TemplateData templateValue(const QString &text)
{
    if (text.isEmpty())
        return TemplateData(false);
    return TemplateData(text.toStdString());
}

} // namespace corvane::reporting
