#pragma once
// An open report: a layout file read into memory with its title, its database tables (each with a
// location that can be moved to another database and a log-on), its parameter fields and its
// subreports. render() reads the data and lays out the pages.

#include "reports/layout.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace corvane {

class Connection;
class RenderedReport;

// Where a table reads its data: the server ("Data Source"), the database and the login.
struct LogOnInfo {
    QString server;
    QString database;
    QString user; // empty: integrated security
    QString password;

    bool operator==(const LogOnInfo &) const = default;
    QString connectionString() const;
};

// "Patient_Data.dbo.tbX" moved to "LABORATORY" is "LABORATORY.dbo.tbX": everything from the first
// "." is kept. A location without "." names no database and cannot be moved (ReportError).
QString retargetLocation(const QString &location, const QString &database);

class ReportTable {
public:
    explicit ReportTable(const LayoutTable &definition) : m_def(&definition), m_location(definition.location) {}

    const QString &name() const { return m_def->name; }
    const QString &location() const { return m_location; }
    void setLocation(const QString &location) { m_location = location; }
    void logOn(const LogOnInfo &info) { m_logOn = info; }
    const std::optional<LogOnInfo> &logOnInfo() const { return m_logOn; }
    const LayoutTable &definition() const { return *m_def; }

private:
    const LayoutTable *m_def;
    QString m_location;
    std::optional<LogOnInfo> m_logOn;
};

class ParameterField {
public:
    explicit ParameterField(const LayoutParameter &definition)
        : m_name(definition.name), m_value(definition.defaultValue) {}

    const QString &name() const { return m_name; }
    bool hasCurrentValue() const { return m_value.has_value(); }
    QString currentValue() const { return m_value.value_or(QString()); }
    void setCurrentValue(const QString &value) { m_value = value; }

private:
    QString m_name;
    std::optional<QString> m_value; // the layout's default until a value is given
};

// Gives the report the connection for a log-on while it reads its data.
class ConnectionProvider {
public:
    virtual ~ConnectionProvider() = default;
    virtual Connection &connectionFor(const LogOnInfo &logOn) = 0;

protected:
    ConnectionProvider() = default;
    ConnectionProvider(const ConnectionProvider &) = default;
    ConnectionProvider &operator=(const ConnectionProvider &) = default;
};

// Opens one connection per distinct log-on and keeps them for its lifetime.
class ConnectionCache : public ConnectionProvider {
public:
    ConnectionCache();
    ~ConnectionCache() override;
    Connection &connectionFor(const LogOnInfo &logOn) override;

private:
    std::vector<std::pair<LogOnInfo, std::unique_ptr<Connection>>> m_open;
};

class ReportDocument {
public:
    // Reads the layout named as resolveLayoutPath() takes it. Throws ReportError.
    static std::shared_ptr<ReportDocument> open(const QString &fileName);
    static std::shared_ptr<ReportDocument> fromLayout(Layout layout);
    ~ReportDocument();
    ReportDocument(const ReportDocument &) = delete;
    ReportDocument &operator=(const ReportDocument &) = delete;

    const QString &fileName() const;
    // The subreport's name; empty for a main report.
    const QString &name() const;
    const PageSetup &pageSetup() const;

    const QString &title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    std::vector<ReportTable> &tables() { return m_tables; }
    const std::vector<ReportTable> &tables() const { return m_tables; }
    std::vector<ParameterField> &parameterFields() { return m_parameters; }
    const std::vector<ParameterField> &parameterFields() const { return m_parameters; }

    // The i-th value to the i-th parameter field; values beyond the fields are ignored and fields
    // beyond the values keep theirs.
    void setParameterValues(const QStringList &values);
    // By name, without regard to case; false when the report has no such field.
    bool setParameterValue(const QString &name, const QString &value);

    // Moves every table to database (retargetLocation) and logs it on there.
    void retarget(const QString &database, const LogOnInfo &logOn);

    // A subreport by name, without regard to case; ReportError when there is none.
    ReportDocument &subreport(const QString &name);
    std::vector<std::unique_ptr<ReportDocument>> &subreports() { return m_subreports; }

    // Reads the data of the report and its subreports and lays out the pages. Only a main report
    // can be rendered. Throws ReportError (a missing parameter value, a table that is not logged
    // on, a database error, a template that fails).
    RenderedReport render(ConnectionProvider &connections) const;
    RenderedReport render() const;

private:
    ReportDocument(std::shared_ptr<const Layout> layout, const LayoutBlock &block, const ReportDocument *parent);

    QString label() const;
    QString parameterValue(const ParameterField &field) const;
    struct Pass; // one render: connections, the print time, the data the page footer sees
    QString renderHtml(Pass &pass) const;

    std::shared_ptr<const Layout> m_layout;
    const LayoutBlock *m_block;
    const ReportDocument *m_parent;
    QString m_title;
    std::vector<ReportTable> m_tables;
    std::vector<ParameterField> m_parameters;
    std::vector<std::unique_ptr<ReportDocument>> m_subreports;
};

} // namespace corvane
