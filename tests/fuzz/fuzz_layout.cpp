// A report layout file's text through the layout reader, page design included. A ReportError is
// the reader refusing a broken layout; anything else that escapes is a fault.

#include <reports/layout.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        const corvane::Layout layout = corvane::Layout::parse(text, QStringLiteral("fuzz.rpt"));
        // The report runs every accepted piece of SQL as fixed text and references in turn.
        std::vector<const corvane::LayoutBlock *> blocks{&layout.main};
        for (const corvane::LayoutBlock &sub : layout.subreports)
            blocks.push_back(&sub);
        for (const corvane::LayoutBlock *block : blocks) {
            for (const corvane::LayoutTable &table : block->tables) {
                for (const corvane::SqlTemplate *sql : {&table.arguments, &table.where}) {
                    if (!sql->text.isEmpty() && sql->text.size() != static_cast<qsizetype>(sql->references.size()) + 1) {
                        std::fprintf(stderr, "broken: SQL of table %s\n", qPrintable(table.name));
                        std::abort();
                    }
                }
            }
        }
    } catch (const corvane::ReportError &) {
    }
    return 0;
}
