#include "forms/microbiology/antibioticgrid.h"

#include "services/database/recordset.h"
#include "services/ui/messagebox.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace corvane {

namespace {

// Twips of the original layout at 15 twips to the pixel.
constexpr int kCodeWidth = 500 / 15;
constexpr int kDescriptionWidth = 3800 / 15 - 20;
constexpr int kResultWidth = 46;

// Cells are typed through the screen's own editor, never one of the view's.
class NoEditorDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return nullptr;
    }
};

QString cellText(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
}

} // namespace

AntibioticGrid::AntibioticGrid(QTableWidget *table, QLineEdit *editor, QLineEdit *search)
    : QObject(table), m_table(table), m_editor(editor), m_search(search)
{
    m_editor->setParent(m_table->viewport());
    m_editor->setFrame(false);
    m_editor->setAlignment(Qt::AlignCenter);
    m_editor->hide();
    // Open cells say they are editable; the view's own editor never opens on them.
    m_table->setItemDelegate(new NoEditorDelegate(m_table));
    m_table->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    m_editor->installEventFilter(this);
    m_viewport = m_table->viewport();
    m_viewport->installEventFilter(this);

    connect(m_editor, &QLineEdit::textChanged, this, &AntibioticGrid::editorChanged);
    connect(m_table, &QTableWidget::cellClicked, this, [this](int row, int column) {
        moveTo(row, column);
        openEditor();
    });
    // Moving through the table with the keys enters each cell as a click does.
    connect(m_table, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (!m_placing && row >= 0 && m_table->hasFocus() && isOpen(column))
            openEditor();
    });
    const auto follow = [this] {
        if (editorOpen())
            placeEditor();
    };
    connect(m_table->verticalScrollBar(), &QScrollBar::valueChanged, this, follow);
    connect(m_table->horizontalScrollBar(), &QScrollBar::valueChanged, this, follow);
}

void AntibioticGrid::bind(Recordset &rs)
{
    m_placing = true;
    m_table->clearContents();
    m_table->setColumnCount(kColumns);
    m_table->setRowCount(rs.recordCount());
    const int fields = std::min(rs.fieldCount(), kColumns - 1);
    // The first two headers come from the data.
    for (int f = 0; f < std::min(fields, 2); ++f)
        m_table->setHorizontalHeaderItem(f + 1, new QTableWidgetItem(rs.fieldName(f)));
    for (int row = 0; !rs.eof(); rs.moveNext(), ++row) {
        for (int f = 0; f < fields; ++f)
            m_table->setItem(row, f + 1, new QTableWidgetItem(rs.field(f).toStringOr()));
    }
    m_placing = false;
}

void AntibioticGrid::layOut()
{
    m_placing = true;
    m_table->setColumnCount(kColumns);
    if (m_table->rowCount() == 0)
        m_table->setRowCount(1);
    for (int c = 1; c <= 2; ++c) {
        if (!m_table->horizontalHeaderItem(c))
            m_table->setHorizontalHeaderItem(c, new QTableWidgetItem(c == 1 ? QStringLiteral("Code")
                                                                             : QStringLiteral("Description")));
    }
    for (int c = kFirstResultColumn; c < kColumns; ++c) {
        const bool zone = (c - kFirstResultColumn) % 2 == 1;
        m_table->setHorizontalHeaderItem(
            c, new QTableWidgetItem(zone ? QStringLiteral("   ZI") : QString::number((c - kFirstResultColumn) / 2 + 1)));
    }
    for (int row = 0; row < m_table->rowCount(); ++row) {
        for (int c = 0; c < kColumns; ++c) {
            QTableWidgetItem *item = m_table->item(row, c);
            if (!item) {
                item = new QTableWidgetItem;
                m_table->setItem(row, c, item);
            }
            item->setFlags(isOpen(c) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                     : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (c >= kFirstResultColumn)
                item->setTextAlignment(Qt::AlignCenter);
        }
    }
    m_table->setColumnHidden(0, true);
    m_table->setColumnWidth(1, kCodeWidth + 16);
    m_table->setColumnWidth(2, kDescriptionWidth);
    for (int c = kFirstResultColumn; c < kColumns; ++c)
        m_table->setColumnWidth(c, kResultWidth);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    const int rowHeight = m_table->rowHeight(0);
    m_table->setMinimumHeight(13 * rowHeight + m_table->horizontalHeader()->height() + 4);
    m_table->setCurrentCell(0, kFirstResultColumn);
    m_placing = false;
}

bool AntibioticGrid::isZoneColumn(int column) const
{
    const QTableWidgetItem *header = m_table->horizontalHeaderItem(column);
    return header && header->text().trimmed() == QLatin1String("ZI");
}

bool AntibioticGrid::isValidCode(const QString &text)
{
    static const QStringList valid{QString(),         QStringLiteral("S"),  QStringLiteral("I"), QStringLiteral("R"),
                                   QStringLiteral("S*"), QStringLiteral("I*"), QStringLiteral("R*")};
    return valid.contains(text.toUpper());
}

int AntibioticGrid::currentRow() const
{
    return m_table->currentRow();
}

int AntibioticGrid::currentColumn() const
{
    return m_table->currentColumn();
}

void AntibioticGrid::setCurrentCell(int row, int column)
{
    moveTo(row, column);
}

void AntibioticGrid::moveTo(int row, int column)
{
    m_placing = true;
    m_table->setCurrentCell(row, column);
    m_placing = false;
}

bool AntibioticGrid::editorOpen() const
{
    return !m_editor->isHidden();
}

void AntibioticGrid::openEditor()
{
    int column = currentColumn();
    const int row = std::max(currentRow(), 0);
    if (column == 1 || column == 2 || column < 0)
        column = kFirstResultColumn;
    moveTo(row, column);
    if (!isOpen(column))
        return;
    m_placing = true;
    m_editor->setText(cellText(m_table, row, column));
    m_placing = false;
    placeEditor();
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
    m_editor->selectAll();
}

void AntibioticGrid::placeEditor()
{
    const QModelIndex index = m_table->model()->index(currentRow(), currentColumn());
    m_table->scrollTo(index);
    // One pixel less each way keeps the cell's grid lines in sight.
    m_editor->setGeometry(m_table->visualRect(index).adjusted(0, 0, -1, -1));
}

void AntibioticGrid::hideEditor()
{
    m_editor->hide();
}

void AntibioticGrid::editorChanged(const QString &text)
{
    if (m_placing || currentRow() < 0)
        return;
    const int column = currentColumn();
    if (!isOpen(column))
        return;
    QTableWidgetItem *item = m_table->item(currentRow(), column);
    if (!item)
        return;
    item->setText(isZoneColumn(column) ? text : text.left(2));
}

bool AntibioticGrid::validate()
{
    const int column = currentColumn();
    if (!editorOpen() || !isOpen(column) || isZoneColumn(column) || isValidCode(m_editor->text()))
        return true;
    MessageBox::show(QStringLiteral("Invalid entry!"), QStringLiteral("Message"), QMessageBox::Information);
    m_editor->setFocus(Qt::OtherFocusReason);
    return false;
}

bool AntibioticGrid::editorKey(QKeyEvent *key)
{
    const int row = currentRow();
    const int column = currentColumn();
    const int lastRow = m_table->rowCount() - 1;
    const auto moveAndOpen = [this](int r, int c) {
        moveTo(r, c);
        openEditor();
        return true;
    };
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        if (!validate())
            return true;
        return moveAndOpen(std::min(row + 1, lastRow), column);
    case Qt::Key_Up:
        if (!validate())
            return true;
        return moveAndOpen(std::max(row - 1, 0), column);
    case Qt::Key_Right:
        if (!validate())
            return true;
        if (column + 1 < kColumns)
            return moveAndOpen(row, column + 1);
        // Past the last column: the first result column of the next row; the last row stays.
        return moveAndOpen(row < lastRow ? row + 1 : row, kFirstResultColumn);
    case Qt::Key_Left:
        if (!validate())
            return true;
        // Column 3 has no open column to its left: the editor stays.
        return moveAndOpen(row, std::max(column - 1, kFirstResultColumn));
    case Qt::Key_Escape:
        if (validate())
            hideEditor();
        return true;
    case Qt::Key_F3:
        hideEditor();
        if (m_search && m_search->isVisible()) {
            m_search->setFocus(Qt::OtherFocusReason);
            m_search->selectAll();
        }
        return true;
    default:
        break;
    }
    const QString typed = key->text();
    if (typed.isEmpty() || !typed.at(0).isPrint())
        return false; // control keys pass
    // A quote is the screen's to turn into a backtick first.
    if (typed == QLatin1String("'"))
        return false;
    const QString upper = typed.toUpper();
    if (!isZoneColumn(column)) {
        for (const QChar c : upper) {
            if (!QStringLiteral("SIR*").contains(c))
                return true; // dropped
        }
    }
    m_editor->insert(upper);
    return true;
}

void AntibioticGrid::search(const QString &text)
{
    if (m_table->rowCount() == 0)
        return;
    int found = text.isEmpty() ? 0 : -1;
    for (int row = 0; found < 0 && row < m_table->rowCount(); ++row) {
        if (cellText(m_table, row, 2).startsWith(text, Qt::CaseInsensitive))
            found = row;
    }
    if (found < 0)
        found = std::max(currentRow(), 0);
    hideEditor();
    moveTo(found, 0);
    m_table->scrollTo(m_table->model()->index(found, 2));
    m_table->selectRow(found);
}

void AntibioticGrid::editFoundRow()
{
    moveTo(std::max(currentRow(), 0), kFirstResultColumn);
    openEditor();
}

QList<SensitivityCode> AntibioticGrid::codes() const
{
    QList<SensitivityCode> out;
    for (int c = kFirstResultColumn; c < kColumns; ++c) {
        if (isZoneColumn(c))
            continue;
        const QString organism = m_table->horizontalHeaderItem(c)->text();
        for (int row = 0; row < m_table->rowCount(); ++row) {
            const QString result = cellText(m_table, row, c);
            if (result.isEmpty())
                continue;
            out.append({cellText(m_table, row, 1), result, organism,
                        c + 1 < kColumns ? cellText(m_table, row, c + 1) : QString()});
        }
    }
    return out;
}

bool AntibioticGrid::eventFilter(QObject *watched, QEvent *event)
{
    // Leaving an invalid code, by the keyboard or by a click elsewhere in the table, is refused.
    // The table is only asked once the event is one of those: while it is being destroyed its
    // editor loses the focus for another reason, and the table must not be touched then.
    if (watched == m_editor && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason) &&
            editorOpen() && !validate())
            return false;
    }
    if (watched == m_viewport && event->type() == QEvent::MouseButtonPress && editorOpen() && !validate())
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace corvane
