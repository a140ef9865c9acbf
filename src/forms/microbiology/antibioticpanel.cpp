#include "forms/microbiology/antibioticpanel.h"

#include "services/database/recordset.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace corvane {

namespace {

enum Column { Mark, Code, Description, Result };

// The mark is the Wingdings check-mark character; it is drawn as a check mark wherever that font
// is missing.
class MarkDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->text == QString(AntibioticPanel::kMark))
            option->text = QStringLiteral("\u2714");
        option->displayAlignment = Qt::AlignCenter;
    }
};

QTableWidgetItem *readOnly(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

const QChar AntibioticPanel::kMark(0x00FC);

AntibioticPanel::AntibioticPanel(QTableWidget *grid, QChar letter, int heading)
    : QObject(grid), m_grid(grid), m_letter(letter), m_heading(heading)
{
    m_grid->setColumnCount(4);
    m_grid->setHorizontalHeaderLabels({QString(), QStringLiteral("Code"), QStringLiteral("Antibiotic"),
                                       QStringLiteral("Result")});
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setItemDelegateForColumn(Mark, new MarkDelegate(m_grid));
    m_grid->setItemDelegateForColumn(Result, new MarkDelegate(m_grid));
    m_grid->setColumnWidth(Mark, 24);
    m_grid->setColumnWidth(Code, 48);
    m_grid->setColumnWidth(Result, 52);
    m_grid->horizontalHeader()->setSectionResizeMode(Description, QHeaderView::Stretch);
    m_grid->installEventFilter(this);
    connect(m_grid, &QTableWidget::cellClicked, this, [this](int row, int) { toggle(row); });
}

void AntibioticPanel::fill(Recordset &rs)
{
    m_grid->setRowCount(0);
    for (int row = 0; !rs.eof(); rs.moveNext(), ++row) {
        m_grid->insertRow(row);
        m_grid->setItem(row, Mark, readOnly(QString()));
        m_grid->setItem(row, Code, readOnly(rs.field(QStringLiteral("Code")).toStringOr()));
        m_grid->setItem(row, Description, readOnly(rs.field(QStringLiteral("Description")).toStringOr()));
        m_grid->setItem(row, Result, readOnly(QString()));
    }
}

void AntibioticPanel::choose(Recordset &rs)
{
    for (; !rs.eof(); rs.moveNext()) {
        const QString code = rs.field(QStringLiteral("Code")).toStringOr();
        for (int row = 0; row < m_grid->rowCount(); ++row) {
            if (m_grid->item(row, Code)->text() == code) {
                m_grid->item(row, Mark)->setText(QString(kMark));
                m_grid->item(row, Result)->setText(rs.field(QStringLiteral("Result")).toStringOr());
            }
        }
    }
}

void AntibioticPanel::toggle(int row)
{
    QTableWidgetItem *mark = m_grid->item(row, Mark);
    if (!mark)
        return;
    const bool chosen = mark->text().isEmpty();
    mark->setText(chosen ? QString(kMark) : QString());
    if (!chosen)
        m_grid->item(row, Result)->setText(QString());
}

void AntibioticPanel::setResult(int row, const QString &result)
{
    if (!m_grid->item(row, Mark))
        return;
    m_grid->item(row, Mark)->setText(QString(kMark));
    m_grid->item(row, Result)->setText(result);
}

QList<ChosenAntibiotic> AntibioticPanel::chosen() const
{
    QList<ChosenAntibiotic> out;
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        if (!m_grid->item(row, Mark)->text().isEmpty())
            out.append({m_grid->item(row, Code)->text(), m_grid->item(row, Result)->text()});
    }
    return out;
}

bool AntibioticPanel::eventFilter(QObject *watched, QEvent *event)
{
    // S, I or R on a row chooses it with that result; Space toggles it.
    if (watched == m_grid && event->type() == QEvent::KeyPress && m_grid->currentRow() >= 0) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text().toUpper();
        if (typed == QLatin1String("S") || typed == QLatin1String("I") || typed == QLatin1String("R")) {
            setResult(m_grid->currentRow(), typed);
            return true;
        }
        if (key->key() == Qt::Key_Space) {
            toggle(m_grid->currentRow());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace corvane
