#pragma once
// A report layout file: parameter fields in order, database tables, subreports and the page
// design (an HTML template). Text that IT staff edit; the format is described in the README.

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <vector>

namespace corvane {

// Every failure of the report engine: a missing or broken layout, a missing parameter value, a
// table that cannot be retargeted, a database error while the report reads its data.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString &description) : std::runtime_error(description.toStdString()) {}
    QString description() const { return QString::fromStdString(what()); }
};

struct LayoutParameter {
    QString name;
    std::optional<QString> defaultValue;
};

// A piece of SQL text from the layout with references to parameter fields ("{?RequestNum}") or to
// a field of an earlier table ("{signoff.MedTechID}"); each reference is sent as a bound value.
struct SqlTemplate {
    struct Reference {
        QString table; // empty: a parameter field
        QString name;
    };
    // Fixed text and references alternate: text[0] ref[0] text[1] ... text[n].
    QStringList text;
    std::vector<Reference> references;

    bool isEmpty() const { return references.empty() && text.join(QString()).trimmed().isEmpty(); }
};

struct LayoutTable {
    QString name;
    QString location;                // "database.owner.object"
    bool isProcedure = false;        // "arguments" given: the location is a stored procedure
    SqlTemplate arguments;
    SqlTemplate where;
    QString order;
    int line = 0;
};

struct LayoutBlock {
    QString name; // subreport name; empty for the main report
    std::vector<LayoutParameter> parameters;
    std::vector<LayoutTable> tables;
    QString templateText;
    int templateLine = 0; // line of the file where the template starts, for error messages
};

struct PageSetup {
    QPageSize pageSize{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm{15, 12, 15, 12};
    QString footer; // a template drawn in the bottom margin of every page
};

struct Layout {
    QString fileName; // for messages: the file's name without its folder
    PageSetup page;
    LayoutBlock main;
    std::vector<LayoutBlock> subreports;

    // Throws ReportError naming the file and line of the first fault.
    static Layout parse(const QString &text, const QString &fileName);
    static Layout load(const QString &path);
};

} // namespace corvane
