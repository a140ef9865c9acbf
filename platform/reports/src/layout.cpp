#include "reports/layout.h"

#include "pagetemplate.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSizeF>

#include <cmath>

namespace corvane {

namespace {

const QRegularExpression &identifier()
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re;
}

// Names the template itself uses at its top level.
bool reservedName(const QString &name)
{
    static const QSet<QString> reserved{QStringLiteral("param"),    QStringLiteral("report"),
                                        QStringLiteral("subreport"), QStringLiteral("date"),
                                        QStringLiteral("time"),     QStringLiteral("datetime"),
                                        QStringLiteral("page"),     QStringLiteral("pages"),
                                        QStringLiteral("rows"),     QStringLiteral("found")};
    return reserved.contains(name.toLower());
}

class Parser {
public:
    Parser(const QString &text, const QString &fileName) : m_fileName(fileName)
    {
        m_lines = text.split(QLatin1Char('\n'));
        for (QString &l : m_lines) {
            if (l.endsWith(QLatin1Char('\r')))
                l.chop(1);
        }
    }

    Layout parse()
    {
        Layout layout;
        layout.fileName = m_fileName;
        LayoutBlock *block = &layout.main;
        enum class Section { None, Report, Parameters, Table, Template } section = Section::None;
        bool seenReport = false;
        bool seenParameters = false;
        QStringList templateLines;

        const auto endBlock = [&](int line) {
            if (section == Section::Template)
                block->templateText = templateLines.join(QLatin1Char('\n'));
            else
                fail(line, blockLabel(*block) + QStringLiteral(" has no [template] section"));
            templateLines.clear();
        };

        static const QRegularExpression subreportHeader(QStringLiteral("^\\[\\s*subreport\\s+([^\\]]*?)\\s*\\]$"),
                                                        QRegularExpression::CaseInsensitiveOption);
        for (int i = 0; i < m_lines.size(); ++i) {
            const int lineNo = i + 1;
            const QString line = m_lines[i];
            const QString trimmed = line.trimmed();
            const QRegularExpressionMatch sub = subreportHeader.match(trimmed);

            if (section == Section::Template && !sub.hasMatch()) {
                templateLines << line;
                continue;
            }
            if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')))
                continue;

            if (sub.hasMatch()) {
                endBlock(lineNo);
                const QString name = sub.captured(1);
                checkName(lineNo, name, QStringLiteral("subreport"));
                for (const LayoutBlock &b : layout.subreports) {
                    if (b.name.compare(name, Qt::CaseInsensitive) == 0)
                        fail(lineNo, QStringLiteral("the subreport \"%1\" is defined twice").arg(name));
                }
                layout.subreports.push_back(LayoutBlock{});
                block = &layout.subreports.back();
                block->name = name;
                section = Section::None;
                seenParameters = false;
                continue;
            }

            if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
                const QStringList words =
                    trimmed.mid(1, trimmed.size() - 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
                const QString kind = words.value(0).toLower();
                if (kind == QLatin1String("report") && words.size() == 1) {
                    if (block != &layout.main)
                        fail(lineNo, QStringLiteral("[report] belongs to the main report, before any subreport"));
                    if (seenReport)
                        fail(lineNo, QStringLiteral("[report] is given twice"));
                    seenReport = true;
                    section = Section::Report;
                } else if (kind == QLatin1String("parameters") && words.size() == 1) {
                    if (seenParameters)
                        fail(lineNo, QStringLiteral("[parameters] is given twice in %1").arg(blockLabel(*block)));
                    seenParameters = true;
                    section = Section::Parameters;
                } else if (kind == QLatin1String("table") && words.size() == 2) {
                    const QString name = words[1];
                    checkName(lineNo, name, QStringLiteral("table"));
                    if (findTable(*block, name))
                        fail(lineNo, QStringLiteral("the table \"%1\" is defined twice").arg(name));
                    block->tables.push_back(LayoutTable{});
                    block->tables.back().name = name;
                    block->tables.back().line = lineNo;
                    section = Section::Table;
                } else if (kind == QLatin1String("template") && words.size() == 1) {
                    section = Section::Template;
                    block->templateLine = lineNo + 1;
                } else {
                    fail(lineNo, QStringLiteral("unknown section %1").arg(trimmed));
                }
                continue;
            }

            switch (section) {
            case Section::None:
            case Section::Template:
                fail(lineNo, QStringLiteral("text outside a section: \"%1\"").arg(trimmed));
            case Section::Report:
                reportSetting(lineNo, trimmed, layout.page);
                break;
            case Section::Parameters:
                parameter(lineNo, trimmed, *block);
                break;
            case Section::Table:
                tableSetting(lineNo, trimmed, *block);
                break;
            }
        }
        endBlock(static_cast<int>(m_lines.size()));

        checkPage(layout.page);
        check(layout.main);
        for (const LayoutBlock &b : layout.subreports)
            check(b);
        return layout;
    }

private:
    [[noreturn]] void fail(int line, const QString &what) const
    {
        throw ReportError(QStringLiteral("The report layout %1 has an error on line %2: %3.")
                              .arg(m_fileName)
                              .arg(line)
                              .arg(what));
    }

    static QString blockLabel(const LayoutBlock &b)
    {
        return b.name.isEmpty() ? QStringLiteral("the main report") : QStringLiteral("the subreport \"%1\"").arg(b.name);
    }

    void checkName(int line, const QString &name, const QString &what) const
    {
        if (!identifier().match(name).hasMatch())
            fail(line, QStringLiteral("\"%1\" is not a valid %2 name (letters, digits and _)").arg(name, what));
        if (what != QLatin1String("subreport") && reservedName(name))
            fail(line, QStringLiteral("\"%1\" is a reserved name and cannot name a %2").arg(name, what));
    }

    static const LayoutTable *findTable(const LayoutBlock &b, const QString &name)
    {
        for (const LayoutTable &t : b.tables) {
            if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                return &t;
        }
        return nullptr;
    }

    std::pair<QString, QString> keyValue(int line, const QString &text) const
    {
        const qsizetype eq = text.indexOf(QLatin1Char('='));
        if (eq <= 0)
            fail(line, QStringLiteral("expected \"key = value\", found \"%1\"").arg(text));
        return {text.left(eq).trimmed().toLower(), text.mid(eq + 1).trimmed()};
    }

    void reportSetting(int line, const QString &text, PageSetup &page)
    {
        const auto [key, value] = keyValue(line, text);
        if (key != QLatin1String("footer"))
            m_pageLine = line;
        if (key == QLatin1String("paper"))
            page.pageSize = paper(line, value);
        else if (key == QLatin1String("orientation"))
            page.orientation = orientation(line, value);
        else if (key == QLatin1String("margins"))
            page.marginsMm = margins(line, value);
        else if (key == QLatin1String("footer")) {
            reporting::PageTemplate(value, m_fileName + QStringLiteral(" (footer)"), line); // throws when broken
            page.footer = value;
        }
        else
            fail(line, QStringLiteral("unknown setting \"%1\" in [report]").arg(key));
    }

    QPageSize paper(int line, const QString &value) const
    {
        QString name = value.toLower();
        name.remove(QLatin1Char(' '));
        static const std::pair<const char *, QPageSize::PageSizeId> named[] = {
            {"a4", QPageSize::A4},         {"a5", QPageSize::A5},       {"letter", QPageSize::Letter},
            {"legal", QPageSize::Legal},   {"halfletter", QPageSize::Statement},
            {"executive", QPageSize::Executive}, {"b5", QPageSize::B5},
        };
        for (const auto &[n, id] : named) {
            if (name == QLatin1String(n))
                return QPageSize(id);
        }
        static const QRegularExpression custom(
            QStringLiteral("^(\\d+(?:\\.\\d+)?)\\s*x\\s*(\\d+(?:\\.\\d+)?)\\s*(mm|in)$"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = custom.match(value.trimmed());
        if (m.hasMatch()) {
            const QSizeF size(m.captured(1).toDouble(), m.captured(2).toDouble());
            const auto unit = m.captured(3).toLower() == QLatin1String("in") ? QPageSize::Inch : QPageSize::Millimeter;
            if (std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0 && size.height() > 0) {
                const QPageSize custom(size, unit, value.trimmed(), QPageSize::ExactMatch);
                if (custom.isValid())
                    return custom;
            }
        }
        fail(line, QStringLiteral("unknown paper \"%1\" (A4, A5, Letter, Legal, HalfLetter, Executive, B5 or "
                                  "\"width x height mm\")")
                       .arg(value));
    }

    // Settings may come in any order, so the page is checked once they are all read.
    void checkPage(const PageSetup &page) const
    {
        QSizeF size = page.pageSize.size(QPageSize::Millimeter);
        if (page.orientation == QPageLayout::Landscape)
            size.transpose();
        const QMarginsF &m = page.marginsMm;
        if (m.left() + m.right() >= size.width() || m.top() + m.bottom() >= size.height())
            fail(m_pageLine, QStringLiteral("the margins leave no room to print on the %1 x %2 mm page")
                                 .arg(size.width())
                                 .arg(size.height()));
    }

    QPageLayout::Orientation orientation(int line, const QString &value) const
    {
        if (value.compare(QLatin1String("portrait"), Qt::CaseInsensitive) == 0)
            return QPageLayout::Portrait;
        if (value.compare(QLatin1String("landscape"), Qt::CaseInsensitive) == 0)
            return QPageLayout::Landscape;
        fail(line, QStringLiteral("orientation is portrait or landscape, not \"%1\"").arg(value));
    }

    // "12 mm", "12 15 mm" or "10 15 12 15 mm" (top right bottom left); millimetres unless "in".
    QMarginsF margins(int line, const QString &value) const
    {
        QStringList parts = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        double scale = 1.0;
        if (!parts.isEmpty() && (parts.last() == QLatin1String("mm") || parts.last() == QLatin1String("in"))) {
            scale = parts.last() == QLatin1String("in") ? 25.4 : 1.0;
            parts.removeLast();
        }
        QList<double> v;
        for (const QString &p : parts) {
            bool ok = false;
            const double d = p.toDouble(&ok);
            if (!ok || !std::isfinite(d) || d < 0)
                fail(line, QStringLiteral("margins must be numbers, found \"%1\"").arg(p));
            v << d * scale;
        }
        switch (v.size()) {
        case 1:
            return {v[0], v[0], v[0], v[0]};
        case 2:
            return {v[1], v[0], v[1], v[0]};
        case 4:
            return {v[3], v[0], v[1], v[2]};
        default:
            fail(line, QStringLiteral("margins take one, two or four values"));
        }
    }

    void parameter(int line, const QString &text, LayoutBlock &block) const
    {
        LayoutParameter p;
        const qsizetype eq = text.indexOf(QLatin1Char('='));
        p.name = (eq < 0 ? text : text.left(eq)).trimmed();
        if (eq >= 0)
            p.defaultValue = text.mid(eq + 1).trimmed();
        checkName(line, p.name, QStringLiteral("parameter"));
        for (const LayoutParameter &other : block.parameters) {
            if (other.name.compare(p.name, Qt::CaseInsensitive) == 0)
                fail(line, QStringLiteral("the parameter field \"%1\" is given twice").arg(p.name));
        }
        block.parameters.push_back(std::move(p));
    }

    void tableSetting(int line, const QString &text, LayoutBlock &block) const
    {
        LayoutTable &t = block.tables.back();
        const auto [key, value] = keyValue(line, text);
        if (key == QLatin1String("location")) {
            static const QRegularExpression loc(QStringLiteral("^[A-Za-z0-9_\\[\\]]+(\\.[A-Za-z0-9_\\[\\]]*)*$"));
            if (!loc.match(value).hasMatch())
                fail(line, QStringLiteral("\"%1\" is not a table location (database.owner.table)").arg(value));
            t.location = value;
        } else if (key == QLatin1String("where")) {
            t.where = sqlTemplate(line, value);
        } else if (key == QLatin1String("arguments")) {
            t.isProcedure = true;
            t.arguments = sqlTemplate(line, value);
        } else if (key == QLatin1String("order")) {
            t.order = value;
        } else {
            fail(line, QStringLiteral("unknown setting \"%1\" in [table %2]").arg(key, t.name));
        }
    }

    SqlTemplate sqlTemplate(int line, const QString &text) const
    {
        static const QRegularExpression ref(
            QStringLiteral("\\{\\s*(?:\\?\\s*([A-Za-z_][A-Za-z0-9_]*)|([A-Za-z_][A-Za-z0-9_]*)\\.([A-Za-z_][A-Za-z0-9_]*))\\s*\\}"));
        SqlTemplate t;
        qsizetype pos = 0;
        for (auto it = ref.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            t.text << text.mid(pos, m.capturedStart() - pos);
            t.references.push_back(m.captured(1).isEmpty() ? SqlTemplate::Reference{m.captured(2), m.captured(3)}
                                                           : SqlTemplate::Reference{QString(), m.captured(1)});
            pos = m.capturedEnd();
        }
        t.text << text.mid(pos);
        for (const QString &fixed : std::as_const(t.text)) {
            if (fixed.contains(QLatin1Char('{')) || fixed.contains(QLatin1Char('}')))
                fail(line, QStringLiteral("\"%1\" has a reference that is neither {?Parameter} nor {table.Field}")
                               .arg(text));
            if (fixed.contains(QLatin1Char(';')))
                fail(line, QStringLiteral("a selection is one statement; \";\" is not allowed"));
        }
        return t;
    }

    void check(const LayoutBlock &block) const
    {
        for (std::size_t i = 0; i < block.tables.size(); ++i) {
            const LayoutTable &t = block.tables[i];
            if (t.location.isEmpty())
                fail(t.line, QStringLiteral("the table \"%1\" has no location").arg(t.name));
            if (t.isProcedure && (!t.where.isEmpty() || !t.order.isEmpty()))
                fail(t.line, QStringLiteral("the table \"%1\" is a stored procedure (it has arguments); it cannot "
                                            "also have \"where\" or \"order\"")
                                 .arg(t.name));
            for (const SqlTemplate *s : {&t.where, &t.arguments}) {
                for (const SqlTemplate::Reference &r : s->references) {
                    if (r.table.isEmpty()) {
                        const bool known = std::any_of(block.parameters.begin(), block.parameters.end(), [&](const auto &p) {
                            return p.name.compare(r.name, Qt::CaseInsensitive) == 0;
                        });
                        if (!known)
                            fail(t.line, QStringLiteral("the table \"%1\" refers to {?%2}, which is not among the "
                                                        "parameter fields of %3")
                                             .arg(t.name, r.name, blockLabel(block)));
                        continue;
                    }
                    const LayoutTable *source = findTable(block, r.table);
                    if (!source || source >= &t)
                        fail(t.line, QStringLiteral("the table \"%1\" refers to {%2.%3}; only tables defined before "
                                                    "it can be referred to")
                                         .arg(t.name, r.table, r.name));
                }
            }
        }
        const QString where = block.name.isEmpty() ? m_fileName : m_fileName + QStringLiteral(", subreport ") + block.name;
        reporting::PageTemplate(block.templateText, where, block.templateLine); // throws when broken
    }

    QString m_fileName;
    QStringList m_lines;
    int m_pageLine = 0; // the last [report] line that changed the page
};

} // namespace

Layout Layout::parse(const QString &text, const QString &fileName)
{
    return Parser(text, fileName).parse();
}

Layout Layout::load(const QString &path)
{
    QFile f(path);
    const QString name = QFileInfo(path).fileName();
    if (!f.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("The report layout %1 cannot be read: %2.").arg(path, f.errorString()));
    return parse(QString::fromUtf8(f.readAll()), name);
}

} // namespace corvane
