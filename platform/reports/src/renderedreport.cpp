#include "reports/renderedreport.h"

#include "renderparts.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

namespace corvane {

namespace {

constexpr double kMmPerInch = 25.4;

double units(double mm)
{
    return mm / kMmPerInch * RenderedReport::kUnitsPerInch;
}

// Qt draws a rule that follows a table whose last cell is empty as a dot, and a template leaves
// many cells empty when a result is missing; a blank keeps the cell's height and the rule.
QString withFilledCells(const QString &html)
{
    static const QRegularExpression empty(QStringLiteral("(<t[dh]\\b[^>]*>)\\s*(</t[dh]>)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString out = html;
    return out.replace(empty, QStringLiteral("\\1&nbsp;\\2"));
}

} // namespace

std::unique_ptr<QTextDocument> RenderedReport::Parts::newDocument() const
{
    auto doc = std::make_unique<QTextDocument>();
    doc->documentLayout()->setPaintDevice(const_cast<QImage *>(&layoutDevice));
    // Unhinted glyph widths, so a line breaks at the same word on screen, in PDF and on paper.
    doc->setUseDesignMetrics(true);
    doc->setDocumentMargin(0);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    doc->setDefaultFont(font);
    return doc;
}

std::shared_ptr<RenderedReport::Parts> RenderedReport::Parts::build(const QString &html, const PageSetup &page,
                                                                    const QString &title, const QString &where,
                                                                    const reporting::TemplateData &data)
{
    auto parts = std::make_shared<Parts>();
    parts->layoutDevice = QImage(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(kUnitsPerInch / kMmPerInch * 1000);
    parts->layoutDevice.setDotsPerMeterX(dotsPerMeter);
    parts->layoutDevice.setDotsPerMeterY(dotsPerMeter);
    parts->page = page;
    parts->title = title;
    parts->html = html;
    parts->footerData = reporting::TemplateData(data);

    const QSizeF paperMm = page.pageSize.size(QPageSize::Millimeter);
    const QSizeF oriented = page.orientation == QPageLayout::Landscape ? paperMm.transposed() : paperMm;
    parts->paper = QSizeF(units(oriented.width()), units(oriented.height()));
    const QMarginsF &m = page.marginsMm;
    parts->margins = QMarginsF(units(m.left()), units(m.top()), units(m.right()), units(m.bottom()));
    parts->content = QSizeF(parts->paper.width() - parts->margins.left() - parts->margins.right(),
                            parts->paper.height() - parts->margins.top() - parts->margins.bottom());
    if (parts->content.width() < units(20) || parts->content.height() < units(20))
        throw ReportError(QStringLiteral("The margins of %1 leave no room on the paper.").arg(where));

    if (!page.footer.trimmed().isEmpty()) {
        parts->footer.emplace(page.footer, where + QStringLiteral(" (footer)"), 0);
        // The footer takes its room from the bottom of every page, measured at its widest numbers.
        const std::unique_ptr<QTextDocument> sample = parts->footerDocument(999, 999);
        parts->footerGap = units(2);
        parts->content.rheight() -= sample->size().height() + parts->footerGap;
        // A sliver of a page would break the report into tens of thousands of pages.
        if (parts->content.height() < units(20))
            throw ReportError(QStringLiteral("The footer of %1 leaves no room on the page.").arg(where));
    }

    parts->document = parts->newDocument();
    parts->document->setHtml(withFilledCells(html));
    parts->document->setPageSize(parts->content);
    return parts;
}

std::unique_ptr<QTextDocument> RenderedReport::Parts::footerDocument(int page, int pages) const
{
    reporting::TemplateData data = footerData;
    data.set("page", std::to_string(page));
    data.set("pages", std::to_string(pages));
    auto doc = newDocument();
    doc->setHtml(footer->render(data));
    doc->setTextWidth(content.width());
    return doc;
}

int RenderedReport::pageCount() const
{
    return m_parts->document->pageCount();
}

QSizeF RenderedReport::pageSize() const
{
    return m_parts->paper;
}

QPageLayout RenderedReport::pageLayout() const
{
    return QPageLayout(m_parts->page.pageSize, m_parts->page.orientation, QMarginsF());
}

const QString &RenderedReport::title() const
{
    return m_parts->title;
}

const QString &RenderedReport::html() const
{
    return m_parts->html;
}

QString RenderedReport::plainText() const
{
    return m_parts->document->toPlainText();
}

void RenderedReport::paintPage(QPainter &painter, int index) const
{
    const Parts &p = *m_parts;
    const QSizeF &content = p.content;

    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.palette.setColor(QPalette::Text, Qt::black);
    ctx.clip = QRectF(0, index * content.height(), content.width(), content.height());

    painter.save();
    painter.translate(p.margins.left(), p.margins.top() - index * content.height());
    painter.setClipRect(ctx.clip, Qt::IntersectClip);
    p.document->documentLayout()->draw(&painter, ctx);
    painter.restore();

    if (p.footer) {
        const std::unique_ptr<QTextDocument> footer = p.footerDocument(index + 1, pageCount());
        QAbstractTextDocumentLayout::PaintContext fctx;
        fctx.palette.setColor(QPalette::Text, Qt::black);
        painter.save();
        painter.translate(p.margins.left(), p.margins.top() + content.height() + p.footerGap);
        footer->documentLayout()->draw(&painter, fctx);
        painter.restore();
    }
}

void RenderedReport::paint(QPagedPaintDevice &device) const
{
    device.setPageLayout(pageLayout());
    QPainter painter;
    if (!painter.begin(&device))
        throw ReportError(QStringLiteral("The report \"%1\" cannot be printed: the printer or file did not open.")
                              .arg(title()));
    const double sx = device.logicalDpiX() / kUnitsPerInch;
    const double sy = device.logicalDpiY() / kUnitsPerInch;
    for (int i = 0; i < pageCount(); ++i) {
        if (i > 0)
            device.newPage();
        painter.save();
        painter.scale(sx, sy);
        paintPage(painter, i);
        painter.restore();
    }
    if (!painter.end())
        throw ReportError(QStringLiteral("The report \"%1\" could not be finished on the printer or file.").arg(title()));
}

void RenderedReport::writePdf(const QString &path) const
{
    {
        // QPdfWriter says nothing when it cannot create the file; find out first.
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly))
            throw ReportError(QStringLiteral("The PDF file %1 cannot be written: %2.").arg(path, probe.errorString()));
    }
    QPdfWriter writer(path);
    writer.setTitle(title());
    writer.setCreator(QStringLiteral("Corvane"));
    paint(writer);
}

} // namespace corvane
