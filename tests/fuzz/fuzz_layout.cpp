// A report layout file's text through the layout reader, and every page design it accepts through
// the template engine. A ReportError is a broken layout refused; anything else that escapes is a
// fault.

#include <reports/layout.h>

#include "pagetemplate.h"

#include <QSizeF>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        const corvane::Layout layout = corvane::Layout::parse(text, QStringLiteral("fuzz.rpt"));
        // An accepted page leaves room to print on.
        const corvane::PageSetup &page = layout.page;
        QSizeF paper = page.pageSize.size(QPageSize::Millimeter);
        if (page.orientation == QPageLayout::Landscape)
            paper.transpose();
        const QMarginsF m = page.marginsMm;
        for (const qreal v : {m.left(), m.top(), m.right(), m.bottom()})
            require(std::isfinite(v) && v >= 0, "margins are finite and not negative");
        require(page.pageSize.isValid() && std::isfinite(paper.width()) && std::isfinite(paper.height()),
                "the paper has a size");
        require(m.left() + m.right() < paper.width() && m.top() + m.bottom() < paper.height(),
                "the margins leave room on the paper");

        // The report runs every accepted piece of SQL as fixed text and references in turn.
        std::vector<const corvane::LayoutBlock *> blocks{&layout.main};
        for (const corvane::LayoutBlock &sub : layout.subreports)
            blocks.push_back(&sub);
        for (const corvane::LayoutBlock *block : blocks) {
            for (const corvane::LayoutTable &table : block->tables) {
                for (const corvane::SqlTemplate *sql : {&table.arguments, &table.where}) {
                    require(sql->text.isEmpty() || sql->text.size() == static_cast<qsizetype>(sql->references.size()) + 1,
                            "fixed text and references alternate");
                }
            }
        }
        // Every page design renders as the report renders it, its date formatters included.
        for (const corvane::LayoutBlock *block : blocks) {
            corvane::reporting::TemplateData root(corvane::reporting::TemplateData::type::object);
            corvane::reporting::addFormatters(root);
            corvane::reporting::TemplateData param(corvane::reporting::TemplateData::type::object);
            for (const corvane::LayoutParameter &p : block->parameters) {
                param.set(p.name.toLower().toStdString(),
                          corvane::reporting::templateValue(p.defaultValue.value_or(QStringLiteral("2026-03-07 14:05:00"))));
            }
            root.set("param", param);
            root.set("page", std::string("1"));
            root.set("pages", std::string("2"));
            corvane::reporting::PageTemplate(block->templateText, QStringLiteral("fuzz.rpt"), block->templateLine).render(root);
            if (block == &layout.main && !page.footer.isEmpty())
                corvane::reporting::PageTemplate(page.footer, QStringLiteral("fuzz.rpt (footer)"), 1).render(root);
        }
    } catch (const corvane::ReportError &) {
    }
    return 0;
}
