#include "services/reports/reportview.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace corvane {

// The page as an image at the view's scale, drawn on a grey desk with a margin around it.
class ReportPageWidget : public QWidget {
public:
    static constexpr int kDesk = 12;

    explicit ReportPageWidget(QWidget *parent) : QWidget(parent) {}

    void show(const RenderedReport *report, int page, double scale)
    {
        m_image = QImage();
        if (report && page < report->pageCount()) {
            const qreal dpr = devicePixelRatioF();
            const QSize size = (report->pageSize() * scale * dpr).toSize();
            m_image = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
            m_image.fill(Qt::white);
            m_image.setDevicePixelRatio(dpr);
            QPainter p(&m_image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.scale(scale, scale);
            report->paintPage(p, page);
        }
        const QSize logical = (QSizeF(m_image.size()) / m_image.devicePixelRatio()).toSize();
        setFixedSize(logical + QSize(2 * kDesk, 2 * kDesk));
        update();
    }

    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(0x80, 0x80, 0x80));
        if (m_image.isNull())
            return;
        const QRect page(QPoint(kDesk, kDesk), (QSizeF(m_image.size()) / m_image.devicePixelRatio()).toSize());
        p.fillRect(page.translated(3, 3), QColor(0x50, 0x50, 0x50));
        p.drawImage(page.topLeft(), m_image);
    }

private:
    QImage m_image;
};

ReportView::ReportView(QWidget *parent) : QScrollArea(parent), m_pageWidget(new ReportPageWidget(this))
{
    setWidget(m_pageWidget);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setBackgroundRole(QPalette::Dark);
    setFocusPolicy(Qt::StrongFocus);
}

ReportView::~ReportView() = default;

void ReportView::setReportSource(const RenderedReport &report)
{
    m_report = report;
    m_page = 0;
    refresh();
    Q_EMIT pageChanged(m_page);
}

int ReportView::pageCount() const
{
    return m_report ? m_report->pageCount() : 0;
}

void ReportView::setPage(int page)
{
    page = std::clamp(page, 0, std::max(0, pageCount() - 1));
    if (page == m_page)
        return;
    m_page = page;
    refresh();
    verticalScrollBar()->setValue(0);
    Q_EMIT pageChanged(m_page);
}

void ReportView::setZoom(int zoom)
{
    if (zoom != kPageWidth && zoom != kWholePage)
        zoom = std::clamp(zoom, 10, 400);
    if (zoom == m_zoom)
        return;
    m_zoom = zoom;
    refresh();
    Q_EMIT zoomChanged(m_zoom);
}

double ReportView::scale() const
{
    if (!m_report)
        return 1.0;
    const QSizeF page = m_report->pageSize();
    const QSize room = viewport()->size() - QSize(2 * ReportPageWidget::kDesk, 2 * ReportPageWidget::kDesk);
    // Fitting the width leaves room for the vertical scroll bar that the page will need.
    const double bar = verticalScrollBar()->isVisible() ? 0 : style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    switch (m_zoom) {
    case kPageWidth:
        return std::max(0.1, (room.width() - bar) / page.width());
    case kWholePage:
        return std::max(0.1, std::min(room.width() / page.width(), room.height() / page.height()));
    default:
        return m_zoom / 100.0;
    }
}

void ReportView::refresh()
{
    m_pageWidget->show(m_report ? &*m_report : nullptr, m_page, scale());
}

void ReportView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    if (m_zoom == kPageWidth || m_zoom == kWholePage)
        refresh();
}

void ReportView::keyPressEvent(QKeyEvent *event)
{
    // Page Down past the bottom of a page turns to the next one, as in a printed report.
    QScrollBar *bar = verticalScrollBar();
    if (event->key() == Qt::Key_PageDown && bar->value() >= bar->maximum() && m_page + 1 < pageCount()) {
        setPage(m_page + 1);
        return;
    }
    if (event->key() == Qt::Key_PageUp && bar->value() <= bar->minimum() && m_page > 0) {
        setPage(m_page - 1);
        bar->setValue(bar->maximum());
        return;
    }
    if (event->key() == Qt::Key_Home && event->modifiers() & Qt::ControlModifier) {
        setPage(0);
        return;
    }
    if (event->key() == Qt::Key_End && event->modifiers() & Qt::ControlModifier) {
        setPage(pageCount() - 1);
        return;
    }
    QScrollArea::keyPressEvent(event);
}

} // namespace corvane
