#pragma once
// A report with its data, laid out in pages: shown by the preview, written as PDF, printed.

#include <QPageLayout>
#include <QSizeF>
#include <QString>

#include <memory>

class QPainter;
class QPagedPaintDevice;

namespace corvane {

class RenderedReport {
public:
    // Pages are laid out in units of 1/96 inch, the size of a pixel at zoom 100% on a usual screen.
    static constexpr double kUnitsPerInch = 96.0;

    struct Parts;
    explicit RenderedReport(std::shared_ptr<const Parts> parts) : m_parts(std::move(parts)) {}

    int pageCount() const;
    // Paper size in layout units, orientation applied.
    QSizeF pageSize() const;
    // The paper with no margins of its own: the report draws its margins itself.
    QPageLayout pageLayout() const;
    const QString &title() const;
    // The page design as rendered from the template, for whoever adjusts a layout.
    const QString &html() const;
    QString plainText() const;

    // One page in layout units, (0,0) at the top-left corner of the paper. Draws no background.
    void paintPage(QPainter &painter, int index) const;
    // Every page onto a PDF writer or a printer (which must print the full page: its own margins
    // would move the report). Throws ReportError when the device cannot be painted on.
    void paint(QPagedPaintDevice &device) const;
    void writePdf(const QString &path) const;

private:
    std::shared_ptr<const Parts> m_parts;
};

} // namespace corvane
