#pragma once
// The page design of a layout: a Mustache template whose tag names, like the server's column
// names, are compared without regard to case.

#include <QString>

#include <kainjow/mustache.hpp>

namespace corvane::reporting {

using TemplateData = kainjow::mustache::data;

class PageTemplate {
public:
    PageTemplate() = default;
    // where: "LabPrint_APTT.RPT" or "LabPrint_CS.RPT, subreport Antibiotic"; firstLine: the line
    // of the file on which the template starts. Throws ReportError for a broken template.
    PageTemplate(const QString &text, const QString &where, int firstLine);

    QString render(const TemplateData &data) const;

private:
    [[noreturn]] void fail(const std::string &mustacheMessage) const;

    std::string m_text; // with lower-cased tag names
    QString m_where;
    int m_firstLine = 1;
};

// The lambdas every template may use: {{#date}}, {{#time}}, {{#datetime}} format a server
// date-time as the hospital's forms write it; other text passes unchanged.
void addFormatters(TemplateData &root);

// A value as the template sees it: Null and empty are false, so {{#x}}..{{/x}} means "if x".
TemplateData templateValue(const QString &text);

} // namespace corvane::reporting
