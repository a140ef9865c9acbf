#pragma once
// The preview area of the report window: one page at a time, at a zoom that can follow the
// window's width or size.

#include <reports/renderedreport.h>

#include <QImage>
#include <QScrollArea>

#include <optional>

namespace corvane {

class ReportPageWidget;

class ReportView : public QScrollArea {
    Q_OBJECT

public:
    // Zoom values: these two follow the window; any other value is a percentage.
    static constexpr int kPageWidth = 1;
    static constexpr int kWholePage = 2;

    explicit ReportView(QWidget *parent = nullptr);
    ~ReportView() override;

    void setReportSource(const RenderedReport &report);
    bool hasReport() const { return m_report.has_value(); }

    int pageCount() const;
    int page() const { return m_page; } // 0-based
    void setPage(int page);

    int zoom() const { return m_zoom; }
    void setZoom(int zoom);
    // Pixels per layout unit at the current zoom and size.
    double scale() const;

Q_SIGNALS:
    void pageChanged(int page);
    void zoomChanged(int zoom);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void refresh();

    std::optional<RenderedReport> m_report;
    ReportPageWidget *m_pageWidget;
    int m_page = 0;
    int m_zoom = kPageWidth;
};

} // namespace corvane
