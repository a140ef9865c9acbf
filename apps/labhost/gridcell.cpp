#include "gridcell.h"

#include "forms/common/grdentry.h"

#include <controls/examentry.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTableView>
#include <QTreeView>

namespace labhost {

namespace {

// A table's own header counts as the heading row (column) when it is shown.
bool showsHorizontalHeader(const QAbstractItemView *view)
{
    if (const auto *t = qobject_cast<const QTableView *>(view))
        return !t->horizontalHeader()->isHidden();
    if (const auto *t = qobject_cast<const QTreeView *>(view))
        return !t->isHeaderHidden();
    return false;
}

bool showsVerticalHeader(const QAbstractItemView *view)
{
    if (const auto *t = qobject_cast<const QTableView *>(view))
        return !t->verticalHeader()->isHidden();
    return false;
}

bool inside(const QWidget *outer, const QWidget *w)
{
    return w && (w == outer || outer->isAncestorOf(w));
}

} // namespace

std::optional<CellName> cellName(const QString &scriptName)
{
    static const QRegularExpression cell(QStringLiteral("^(\\w+)\\((-?\\d+),(-?\\d+)\\)$"));
    const auto m = cell.match(scriptName);
    if (!m.hasMatch())
        return std::nullopt;
    return CellName{m.captured(1), m.captured(2).toInt(), m.captured(3).toInt()};
}

void clickAt(QWidget *widget, const QPoint &at)
{
    // As the window system does: the first widget up the chain that takes focus on a click gets it.
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus)) {
            w->setFocus(Qt::MouseFocusReason);
            break;
        }
        if (w->isWindow())
            break;
    }
    const QPointF global = widget->mapToGlobal(QPointF(at));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
    QApplication::processEvents();
}

std::optional<GridCell> GridCell::at(QWidget *control, int row, int column, QString *why)
{
    GridCell cell;
    // The grdEntry control's own table carries the control's usual name too.
    if (control->parentWidget() && control->parentWidget()->inherits("corvane::GrdEntry"))
        control = control->parentWidget();
    cell.m_control = control;
    cell.m_row = row;
    cell.m_column = column;
    int rows = 0, columns = 0;
    if (control->inherits("corvane::ExamEntry")) {
        cell.m_exams = static_cast<corvane::ExamEntry *>(control);
        rows = cell.m_exams->count() + 1;
        columns = corvane::ExamEntry::ColumnCount;
    } else if (control->inherits("corvane::GrdEntry")) {
        // By class name: the control may come from another copy of its library than this one.
        cell.m_entry = static_cast<corvane::GrdEntry *>(control);
        rows = cell.m_entry->Rows();
        columns = cell.m_entry->Cols();
        cell.m_modelRow = row;
        cell.m_modelColumn = column;
    } else if ((cell.m_view = qobject_cast<QAbstractItemView *>(control)) && cell.m_view->model()) {
        const int top = showsHorizontalHeader(cell.m_view) ? 1 : 0;
        const int left = showsVerticalHeader(cell.m_view) ? 1 : 0;
        rows = cell.m_view->model()->rowCount() + top;
        columns = cell.m_view->model()->columnCount() + left;
        cell.m_modelRow = row - top;
        cell.m_modelColumn = column - left;
    } else {
        *why = QStringLiteral("%1 is not a grid").arg(control->objectName());
        return std::nullopt;
    }
    if (row < 0 || column < 0 || row >= rows || column >= columns) {
        *why = QStringLiteral("%1 has no cell (%2,%3): it has %4 rows and %5 columns")
                   .arg(control->objectName())
                   .arg(row)
                   .arg(column)
                   .arg(rows)
                   .arg(columns);
        return std::nullopt;
    }
    return cell;
}

bool GridCell::isHeading() const
{
    if (m_exams)
        return m_row == 0;
    if (m_entry)
        return m_row < m_entry->FixedRows() || m_column < m_entry->FixedCols();
    return m_modelRow < 0 || m_modelColumn < 0;
}

bool GridCell::isCurrent() const
{
    if (m_exams)
        return m_row >= 1 && m_exams->currentLine() == m_row - 1;
    if (m_entry)
        return m_entry->Row() == m_row && m_entry->col() == m_column;
    const QModelIndex current = m_view->currentIndex();
    return !isHeading() && current.row() == m_modelRow && current.column() == m_modelColumn &&
           current.parent() == m_view->rootIndex();
}

QWidget *GridCell::editorWidget() const
{
    if (m_exams) // every line's entry box is always open
        return m_row >= 1 && m_column == corvane::ExamEntry::ColEntry ? m_exams->entryBox(m_row - 1) : nullptr;
    if (!isCurrent())
        return nullptr;
    if (m_entry) {
        auto *editor = m_entry->findChild<QLineEdit *>(QStringLiteral("txtEntry"));
        return editor && !editor->isHidden() ? editor : nullptr;
    }
    QWidget *focus = QApplication::focusWidget();
    // An open editor is a child of the viewport holding the focus.
    QWidget *viewport = m_view->viewport();
    return focus && focus != viewport && inside(viewport, focus) ? focus : nullptr;
}

QString GridCell::text() const
{
    if (QWidget *editor = editorWidget()) {
        const QMetaProperty user = editor->metaObject()->userProperty();
        return user.isValid() ? user.read(editor).toString() : QString();
    }
    if (m_entry)
        return m_entry->TextMatrix(m_row, m_column);
    if (m_exams) {
        if (m_row == 0) {
            const auto *heading = m_exams->findChild<QLabel *>(QStringLiteral("lblHeading_%1").arg(m_column));
            return heading ? heading->text() : QString();
        }
        const corvane::ExamLine line = m_exams->line(m_row - 1);
        switch (m_column) {
        case corvane::ExamEntry::ColNumber: return QString::number(m_row) + QLatin1Char('.');
        case corvane::ExamEntry::ColExam: return line.exam;
        case corvane::ExamEntry::ColFlag: return line.flag;
        case corvane::ExamEntry::ColNormalValue: return line.normalValue;
        case corvane::ExamEntry::ColUnit: return line.unit;
        default: return line.entry;
        }
    }
    const QAbstractItemModel *model = m_view->model();
    if (m_modelRow < 0)
        return m_modelColumn < 0 ? QString() : model->headerData(m_modelColumn, Qt::Horizontal).toString();
    if (m_modelColumn < 0)
        return model->headerData(m_modelRow, Qt::Vertical).toString();
    return model->index(m_modelRow, m_modelColumn, m_view->rootIndex()).data().toString();
}

bool GridCell::editable() const
{
    if (!m_control->isEnabled() || isHeading())
        return false;
    if (m_entry)
        return m_column <= corvane::GrdEntry::MaxColumn && m_entry->EnableColumn(m_column);
    if (m_exams)
        return m_column == corvane::ExamEntry::ColEntry && m_exams->entryBox(m_row - 1)->isEnabled();
    const QModelIndex index = m_view->model()->index(m_modelRow, m_modelColumn, m_view->rootIndex());
    return (index.flags() & Qt::ItemIsEditable) && (index.flags() & Qt::ItemIsEnabled) &&
           m_view->editTriggers() != QAbstractItemView::NoEditTriggers;
}

void GridCell::go()
{
    if (isHeading())
        return;
    if (m_exams) {
        // A click on the line's entry box, as the technologist picks a line.
        QWidget *box = m_exams->entryBox(m_row - 1);
        if (QApplication::focusWidget() != box)
            clickAt(box, box->rect().center());
        return;
    }
    if (isCurrent() && inside(m_control, QApplication::focusWidget()) && (!m_entry || editorWidget()))
        return;
    if (m_entry) {
        // The cell shows in the scrolling table; the heading panes hold only heading cells.
        auto *table = m_entry->findChild<QTableView *>(QStringLiteral("grdEntry"), Qt::FindDirectChildrenOnly);
        const QModelIndex index = table->model()->index(m_row, m_column);
        table->scrollTo(index);
        clickAt(table->viewport(), table->visualRect(index).center());
        return;
    }
    const QModelIndex index = m_view->model()->index(m_modelRow, m_modelColumn, m_view->rootIndex());
    m_view->scrollTo(index);
    clickAt(m_view->viewport(), m_view->visualRect(index).center());
}

QWidget *GridCell::keyTarget() const
{
    QWidget *focus = QApplication::focusWidget();
    if (inside(m_control, focus))
        return focus;
    if (m_exams)
        return m_exams->entryBox(m_row - 1);
    if (m_entry)
        return m_entry->findChild<QTableView *>(QStringLiteral("grdEntry"), Qt::FindDirectChildrenOnly);
    return m_view;
}

bool GridCell::openEditor()
{
    if (m_exams || m_entry || editorWidget())
        return editorWidget() != nullptr;
    m_view->edit(m_view->model()->index(m_modelRow, m_modelColumn, m_view->rootIndex()));
    QApplication::processEvents();
    return editorWidget() != nullptr;
}

void GridCell::setValue(const QString &value)
{
    go();
    if (m_exams) {
        m_exams->setEntry(m_row - 1, value);
        return;
    }
    if (m_entry) {
        if (auto *editor = qobject_cast<QLineEdit *>(editorWidget()))
            editor->setText(value);
        return;
    }
    m_view->model()->setData(m_view->model()->index(m_modelRow, m_modelColumn, m_view->rootIndex()), value,
                             Qt::EditRole);
}

} // namespace labhost
