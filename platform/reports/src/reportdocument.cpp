#include "reports/reportdocument.h"

#include "pagetemplate.h"
#include "renderparts.h"
#include "reports/renderedreport.h"
#include "reports/reportsfolder.h"
#include "services/database/connection.h"

#include <QDateTime>
#include <QGuiApplication>

#include <algorithm>
#include <map>

namespace corvane {

namespace {

using reporting::TemplateData;

std::string key(const QString &name)
{
    return name.toLower().toStdString();
}

QString text(const labdb::Value &v)
{
    return v ? QString::fromStdString(*v) : QString();
}

struct FetchedTable {
    QString name;
    labdb::ResultSet rows;
};

} // namespace

struct ReportDocument::Pass {
    ConnectionProvider &connections;
    QString printed;
    TemplateData root{TemplateData::type::object};
};

QString LogOnInfo::connectionString() const
{
    QString cs = QStringLiteral("Provider=SQLOLEDB.8");
    cs += user.isEmpty() ? QStringLiteral(";Integrated Security=SSPI")
                         : QStringLiteral(";User ID=") + user + QStringLiteral(";Password =") + password;
    return cs + QStringLiteral(";Persist Security Info=False;Initial Catalog=") + database +
           QStringLiteral(";Data Source=") + server;
}

QString retargetLocation(const QString &location, const QString &database)
{
    const qsizetype dot = location.indexOf(QLatin1Char('.'));
    if (dot < 0)
        throw ReportError(QStringLiteral("The table location \"%1\" names no database, so it cannot be moved to %2; "
                                         "write it as database.owner.table.")
                              .arg(location, database));
    return database + location.mid(dot);
}

ConnectionCache::ConnectionCache() = default;
ConnectionCache::~ConnectionCache() = default;

Connection &ConnectionCache::connectionFor(const LogOnInfo &logOn)
{
    for (auto &[info, connection] : m_open) {
        if (info == logOn)
            return *connection;
    }
    try {
        m_open.emplace_back(logOn, Connection::open(logOn.connectionString()));
    } catch (const DatabaseError &e) {
        throw ReportError(QStringLiteral("The report cannot log on to the database server \"%1\": %2")
                              .arg(logOn.server, e.description()));
    }
    return *m_open.back().second;
}

ReportDocument::ReportDocument(std::shared_ptr<const Layout> layout, const LayoutBlock &block,
                               const ReportDocument *parent)
    : m_layout(std::move(layout)), m_block(&block), m_parent(parent)
{
    for (const LayoutTable &t : block.tables)
        m_tables.emplace_back(t);
    for (const LayoutParameter &p : block.parameters)
        m_parameters.emplace_back(p);
    if (!parent) {
        for (const LayoutBlock &sub : m_layout->subreports)
            m_subreports.push_back(std::unique_ptr<ReportDocument>(new ReportDocument(m_layout, sub, this)));
    }
}

ReportDocument::~ReportDocument() = default;

std::shared_ptr<ReportDocument> ReportDocument::open(const QString &fileName)
{
    return fromLayout(Layout::load(resolveLayoutPath(fileName)));
}

std::shared_ptr<ReportDocument> ReportDocument::fromLayout(Layout layout)
{
    auto shared = std::make_shared<const Layout>(std::move(layout));
    return std::shared_ptr<ReportDocument>(new ReportDocument(shared, shared->main, nullptr));
}

const QString &ReportDocument::fileName() const
{
    return m_layout->fileName;
}

const QString &ReportDocument::name() const
{
    return m_block->name;
}

const PageSetup &ReportDocument::pageSetup() const
{
    return m_layout->page;
}

QString ReportDocument::label() const
{
    return m_parent ? QStringLiteral("the subreport \"%1\" of %2").arg(name(), fileName())
                    : QStringLiteral("the report %1").arg(fileName());
}

void ReportDocument::setParameterValues(const QStringList &values)
{
    const std::size_t n = std::min<std::size_t>(m_parameters.size(), static_cast<std::size_t>(values.size()));
    for (std::size_t i = 0; i < n; ++i)
        m_parameters[i].setCurrentValue(values[static_cast<qsizetype>(i)]);
}

bool ReportDocument::setParameterValue(const QString &parameter, const QString &value)
{
    for (ParameterField &f : m_parameters) {
        if (f.name().compare(parameter, Qt::CaseInsensitive) == 0) {
            f.setCurrentValue(value);
            return true;
        }
    }
    return false;
}

void ReportDocument::retarget(const QString &database, const LogOnInfo &logOn)
{
    LogOnInfo info = logOn;
    info.database = database;
    for (ReportTable &t : m_tables) {
        t.setLocation(retargetLocation(t.location(), database));
        t.logOn(info);
    }
}

ReportDocument &ReportDocument::subreport(const QString &subreportName)
{
    // Screens may name a subreport by its file ("ShortForm.rpt"), as the report designer shows it.
    QString name = subreportName;
    if (name.endsWith(QLatin1String(".rpt"), Qt::CaseInsensitive))
        name.chop(4);
    for (const auto &s : m_subreports) {
        if (s->name().compare(name, Qt::CaseInsensitive) == 0)
            return *s;
    }
    throw ReportError(QStringLiteral("The report %1 has no subreport \"%2\".").arg(fileName(), subreportName));
}

// A subreport's field without a value takes the main report's field of the same name, the way a
// linked subreport follows its main report.
QString ReportDocument::parameterValue(const ParameterField &field) const
{
    if (field.hasCurrentValue())
        return field.currentValue();
    if (m_parent) {
        for (const ParameterField &f : m_parent->parameterFields()) {
            if (f.name().compare(field.name(), Qt::CaseInsensitive) == 0 && f.hasCurrentValue())
                return f.currentValue();
        }
    }
    throw ReportError(QStringLiteral("No value was given for the parameter field \"%1\" of %2.").arg(field.name(), label()));
}

QString ReportDocument::renderHtml(Pass &pass) const
{
    TemplateData root(TemplateData::type::object);
    reporting::addFormatters(root);

    std::map<QString, QString> params; // lower-case name -> value
    TemplateData paramData(TemplateData::type::object);
    for (const ParameterField &f : m_parameters) {
        const QString value = parameterValue(f);
        params[f.name().toLower()] = value;
        paramData.set(key(f.name()), reporting::templateValue(value));
    }
    root.set("param", paramData);

    TemplateData report(TemplateData::type::object);
    report.set("title", reporting::templateValue(m_parent ? m_parent->title() : m_title));
    report.set("printed", pass.printed.toStdString());
    report.set("file", fileName().toStdString());
    root.set("report", report);

    std::vector<FetchedTable> fetched;
    for (const ReportTable &table : m_tables) {
        const LayoutTable &def = table.definition();
        const QString where = QStringLiteral("the table \"%1\" (%2) of %3").arg(table.name(), table.location(), label());
        if (!table.logOnInfo())
            throw ReportError(QStringLiteral("The table \"%1\" of %2 is not logged on to a database server.")
                                  .arg(table.name(), label()));

        // The values of the references, or nullopt when a table referred to has no row.
        bool skip = false;
        QStringList values;
        const SqlTemplate &sql = def.isProcedure ? def.arguments : def.where;
        for (const SqlTemplate::Reference &r : sql.references) {
            if (r.table.isEmpty()) {
                values << params.at(r.name.toLower());
                continue;
            }
            const auto source = std::find_if(fetched.begin(), fetched.end(), [&](const FetchedTable &f) {
                return f.name.compare(r.table, Qt::CaseInsensitive) == 0;
            });
            if (source->rows.rows.empty()) {
                skip = true;
                break;
            }
            const int column = source->rows.columnIndex(r.name.toStdString());
            if (column < 0)
                throw ReportError(QStringLiteral("The table \"%1\" of %2 has no field \"%3\".").arg(r.table, label(), r.name));
            values << text(source->rows.rows.front()[static_cast<std::size_t>(column)]);
        }

        FetchedTable result{table.name(), {}};
        if (!skip) {
            Command command;
            command << (def.isProcedure ? table.location() + QLatin1Char(' ')
                                        : QStringLiteral("select * from ") + table.location() +
                                              (sql.isEmpty() ? QString() : QStringLiteral(" where ")))
                           .toUtf8()
                           .constData();
            for (std::size_t i = 0; i < sql.references.size(); ++i) {
                const QString &before = sql.text[static_cast<qsizetype>(i)];
                const QString &after = sql.text[static_cast<qsizetype>(i) + 1];
                // A reference the author already put in quotes is not quoted again.
                const bool quoted = before.endsWith(QLatin1Char('\'')) && after.startsWith(QLatin1Char('\''));
                command << (quoted ? before : before + QLatin1Char('\'')).toUtf8().constData();
                command << values[static_cast<qsizetype>(i)];
                if (!quoted)
                    command << "'";
            }
            command << sql.text.last().toUtf8().constData();
            if (!def.order.isEmpty())
                command << (QStringLiteral(" order by ") + def.order).toUtf8().constData();
            try {
                result.rows = pass.connections.connectionFor(*table.logOnInfo()).query(command).rows();
            } catch (const DatabaseError &e) {
                throw ReportError(QStringLiteral("Reading %1 failed: %2").arg(where, e.description()));
            }
        }

        TemplateData first(TemplateData::type::object);
        TemplateData rows(TemplateData::type::list);
        const labdb::ResultSet &rs = result.rows;
        for (std::size_t c = 0; c < rs.columns.size(); ++c)
            first.set(key(QString::fromStdString(rs.columns[c])),
                      reporting::templateValue(rs.rows.empty() ? QString() : text(rs.rows.front()[c])));
        for (const labdb::Row &row : rs.rows) {
            TemplateData item(TemplateData::type::object);
            for (std::size_t c = 0; c < rs.columns.size(); ++c)
                item.set(key(QString::fromStdString(rs.columns[c])), reporting::templateValue(text(row[c])));
            rows.push_back(item);
        }
        first.set("rows", rows);
        first.set("found", TemplateData(!rs.rows.empty()));
        root.set(key(table.name()), first);
        fetched.push_back(std::move(result));
    }

    TemplateData subreports(TemplateData::type::object);
    for (const auto &s : m_subreports) {
        Pass subPass{pass.connections, pass.printed, TemplateData(TemplateData::type::object)};
        subreports.set(key(s->name()), s->renderHtml(subPass).toStdString());
    }
    root.set("subreport", subreports);

    const QString where = m_parent ? fileName() + QStringLiteral(", subreport ") + name() : fileName();
    const QString html = reporting::PageTemplate(m_block->templateText, where, m_block->templateLine).render(root);
    pass.root = std::move(root);
    return html;
}

RenderedReport ReportDocument::render(ConnectionProvider &connections) const
{
    if (m_parent)
        throw ReportError(QStringLiteral("A subreport is rendered with its main report %1.").arg(fileName()));
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        throw ReportError(QStringLiteral("Reports are laid out by the GUI library; the program has not started it."));
    Pass pass{connections, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
              TemplateData(TemplateData::type::object)};
    const QString html = renderHtml(pass);
    return RenderedReport(RenderedReport::Parts::build(html, m_layout->page, m_title, fileName(), pass.root));
}

RenderedReport ReportDocument::render() const
{
    ConnectionCache connections;
    return render(connections);
}

} // namespace corvane
