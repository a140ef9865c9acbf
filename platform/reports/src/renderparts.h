#pragma once
// What a rendered report is made of; shared by the renderer and the page painter.

#include "pagetemplate.h"
#include "reports/layout.h"
#include "reports/renderedreport.h"

#include <QImage>
#include <QTextDocument>

#include <memory>
#include <optional>

namespace corvane {

struct RenderedReport::Parts {
    // Laid out against an image of 96 dots per inch, so the pages are the same whatever screen
    // or printer the report ends up on.
    QImage layoutDevice;
    std::unique_ptr<QTextDocument> document;
    PageSetup page;
    QSizeF paper;       // layout units
    QMarginsF margins;  // layout units
    QSizeF content;     // the part of each page the body flows into
    double footerGap = 0;
    QString title;
    QString html;
    std::optional<reporting::PageTemplate> footer;
    reporting::TemplateData footerData; // the main report's data, for footer tags

    static std::shared_ptr<Parts> build(const QString &html, const PageSetup &page, const QString &title,
                                        const QString &where, const reporting::TemplateData &data);
    std::unique_ptr<QTextDocument> footerDocument(int page, int pages) const;
    std::unique_ptr<QTextDocument> newDocument() const;
};

} // namespace corvane
