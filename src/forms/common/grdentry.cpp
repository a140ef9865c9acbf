#include "forms/common/grdentry.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMap>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace corvane {

QVariant VariantMapPropertyBag::readProperty(const QString &key, const QVariant &defaultValue) const
{
    return m_values.value(key, defaultValue);
}

void VariantMapPropertyBag::writeProperty(const QString &key, const QVariant &value, const QVariant &defaultValue)
{
    if (value == defaultValue)
        m_values.remove(key);
    else
        m_values.insert(key, value);
}

QString SettingsPropertyBag::path(const QString &key) const
{
    return m_group.isEmpty() ? key : m_group + QLatin1Char('/') + key;
}

QVariant SettingsPropertyBag::readProperty(const QString &key, const QVariant &defaultValue) const
{
    return m_settings.value(path(key), defaultValue);
}

void SettingsPropertyBag::writeProperty(const QString &key, const QVariant &value, const QVariant &defaultValue)
{
    if (value == defaultValue)
        m_settings.remove(path(key));
    else
        m_settings.setValue(path(key), value);
}

QColor colorFromBgr(int bgr)
{
    return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
}

int colorToBgr(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

namespace {

const QString kFixedCols = QStringLiteral("FixedCols");
const QString kFixedRows = QStringLiteral("FixedRows");
const QString kFormatString = QStringLiteral("FormatString");
const QString kRows = QStringLiteral("Rows");
const QString kTextMatrix = QStringLiteral("TextMatrix");
const QString kCols = QStringLiteral("Cols");
const QString kCol = QStringLiteral("Col");
const QString kRow = QStringLiteral("Row");
const QString kColWidth = QStringLiteral("ColWidth");
const QString kText = QStringLiteral("Text");
const QString kIncrement = QStringLiteral("Increment");
const QString kBackColor = QStringLiteral("BkgColor_txtEntry");
const QString kForeColor = QStringLiteral("ForeColor");
// The saved state names these two with a leading 0, whatever the current cell or column.
const QString kSavedTextMatrix = QStringLiteral("0TextMatrix");
const QString kSavedColWidth = QStringLiteral("0ColWidth");

constexpr int kDefaultRows = 9;
constexpr int kDefaultCols = 9;
constexpr int kDefaultBackColor = 12971774; // pale yellow
constexpr int kDefaultForeColor = 16777215; // white
constexpr int kDefaultColumnPixels = 64;
constexpr int kHeadingPadding = 12;

Qt::Alignment alignmentFromCode(int code)
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (code >= 3 && code <= 5)
        horizontal = Qt::AlignHCenter;
    else if (code >= 6 && code <= 8)
        horizontal = Qt::AlignRight;
    Qt::Alignment vertical = Qt::AlignVCenter;
    if (code >= 0 && code <= 8) {
        if (code % 3 == 0)
            vertical = Qt::AlignTop;
        else if (code % 3 == 2)
            vertical = Qt::AlignBottom;
    }
    return horizontal | vertical;
}

// The leading number of a text, as the spin reads it: "12abc" is 12, "abc" 0, "2.5" 2.
int numericValue(const QString &text)
{
    const QString t = text.trimmed();
    int end = 0;
    if (end < t.size() && (t.at(end) == QLatin1Char('-') || t.at(end) == QLatin1Char('+')))
        ++end;
    bool point = false;
    while (end < t.size() && (t.at(end).isDigit() || (!point && t.at(end) == QLatin1Char('.')))) {
        if (t.at(end) == QLatin1Char('.'))
            point = true;
        ++end;
    }
    bool ok = false;
    const double value = t.left(end).toDouble(&ok);
    if (!ok)
        return 0;
    const double rounded = std::nearbyint(value);
    return static_cast<int>(std::clamp(rounded, double(std::numeric_limits<int>::min()),
                                       double(std::numeric_limits<int>::max())));
}

} // namespace

namespace grdentry_detail {

// Cell texts plus the per-column alignment and width (pixels) that all four views share.
class GridModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_cells.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_columns; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole) {
            const QString note = m_notes.value({index.row(), index.column()});
            const QString &text = m_cells.at(index.row()).at(index.column());
            return note.isEmpty() ? text : text + QStringLiteral("  ") + note;
        }
        if (role == Qt::ToolTipRole)
            return m_tips.value({index.row(), index.column()});
        if (role == Qt::ForegroundRole && m_notes.contains({index.row(), index.column()}))
            return QColor(0xc0, 0x00, 0x00);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(m_alignments.at(index.column()));
        if (role == Qt::BackgroundRole && (index.row() < m_fixedRows || index.column() < m_fixedCols))
            return QApplication::palette().button();
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    void setRows(int count)
    {
        const int current = rowCount();
        if (count > current) {
            beginInsertRows({}, current, count - 1);
            while (m_cells.size() < count)
                m_cells.append(emptyRow());
            endInsertRows();
        } else if (count < current) {
            beginRemoveRows({}, count, current - 1);
            m_cells.resize(count);
            for (auto it = m_notes.begin(); it != m_notes.end();)
                it = it.key().first >= count ? m_notes.erase(it) : std::next(it);
            for (auto it = m_tips.begin(); it != m_tips.end();)
                it = it.key().first >= count ? m_tips.erase(it) : std::next(it);
            endRemoveRows();
        }
    }

    void setColumns(int count)
    {
        if (count > m_columns) {
            beginInsertColumns({}, m_columns, count - 1);
            for (QStringList &row : m_cells)
                while (row.size() < count)
                    row.append(QString());
            while (m_alignments.size() < count) {
                m_alignments.append(Qt::AlignLeft | Qt::AlignVCenter);
                m_widths.append(kDefaultColumnPixels);
            }
            m_columns = count;
            endInsertColumns();
        } else if (count < m_columns) {
            beginRemoveColumns({}, count, m_columns - 1);
            for (QStringList &row : m_cells)
                row.resize(count);
            m_alignments.resize(count);
            m_widths.resize(count);
            m_columns = count;
            endRemoveColumns();
        }
    }

    void insertRowAt(int row, const QStringList &texts)
    {
        QStringList cells = emptyRow();
        for (int c = 0; c < m_columns && c < texts.size(); ++c)
            cells[c] = texts.at(c);
        beginInsertRows({}, row, row);
        m_cells.insert(row, cells);
        endInsertRows();
    }

    QString text(int row, int column) const { return m_cells.at(row).at(column); }

    void setText(int row, int column, const QString &text)
    {
        m_cells[row][column] = text;
        const QModelIndex i = index(row, column);
        Q_EMIT dataChanged(i, i, {Qt::DisplayRole});
    }

    QString note(int row, int column) const { return m_notes.value({row, column}); }

    // A mark shown after a cell's text (a result's H or L) that is not part of the text.
    void setNote(int row, int column, const QString &note)
    {
        if (note.isEmpty())
            m_notes.remove({row, column});
        else
            m_notes.insert({row, column}, note);
        const QModelIndex i = index(row, column);
        Q_EMIT dataChanged(i, i, {Qt::DisplayRole, Qt::ForegroundRole});
    }

    QString tip(int row, int column) const { return m_tips.value({row, column}); }

    void setTip(int row, int column, const QString &tip)
    {
        if (tip.isEmpty())
            m_tips.remove({row, column});
        else
            m_tips.insert({row, column}, tip);
    }

    void clearTexts()
    {
        m_notes.clear();
        m_tips.clear();
        for (QStringList &row : m_cells)
            row.fill(QString());
        if (rowCount() > 0 && m_columns > 0)
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, m_columns - 1), {Qt::DisplayRole});
    }

    void setAlignment(int column, Qt::Alignment alignment)
    {
        m_alignments[column] = alignment;
        if (rowCount() > 0)
            Q_EMIT dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::TextAlignmentRole});
    }

    void setFixed(int rows, int columns)
    {
        m_fixedRows = rows;
        m_fixedCols = columns;
    }

    int width(int column) const { return m_widths.at(column); }
    void setWidth(int column, int pixels) { m_widths[column] = pixels; }

private:
    QStringList emptyRow() const
    {
        QStringList row;
        row.resize(m_columns);
        return row;
    }

    QList<QStringList> m_cells;
    QMap<QPair<int, int>, QString> m_notes;
    QMap<QPair<int, int>, QString> m_tips;
    int m_columns = 0;
    QList<Qt::Alignment> m_alignments;
    QList<int> m_widths;
    int m_fixedRows = 0;
    int m_fixedCols = 0;
};

// The scrolling part of the table. The heading rows and columns are three more views of the same
// model laid over the areas the (empty, fixed-size) headers reserve, so they stay put on scroll.
class GridView : public QTableView {
public:
    explicit GridView(GrdEntry *owner) : QTableView(owner), m_owner(owner)
    {
        for (QTableView **pane : {&top, &left, &corner}) {
            auto *v = new QTableView(this);
            v->horizontalHeader()->hide();
            v->verticalHeader()->hide();
            v->horizontalHeader()->setMinimumSectionSize(0);
            v->verticalHeader()->setMinimumSectionSize(0);
            v->setFocusPolicy(Qt::NoFocus);
            v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            v->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            v->setFrameShape(QFrame::NoFrame);
            v->setSelectionMode(NoSelection);
            v->setEditTriggers(NoEditTriggers);
            v->setWordWrap(false);
            *pane = v;
        }
        setEditTriggers(NoEditTriggers);
        setSelectionMode(SingleSelection);
        setTabKeyNavigation(false);
        setWordWrap(false);
        setCornerButtonEnabled(false);
        horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        horizontalHeader()->setMinimumSectionSize(0);
        verticalHeader()->setMinimumSectionSize(0);
        horizontalHeader()->setFixedHeight(0);
        verticalHeader()->setFixedWidth(0);
        connect(horizontalScrollBar(), &QScrollBar::valueChanged, top, [this](int value) {
            top->horizontalScrollBar()->setValue(value);
        });
        connect(verticalScrollBar(), &QScrollBar::valueChanged, left, [this](int value) {
            left->verticalScrollBar()->setValue(value);
        });
    }

    void setGridModel(QAbstractItemModel *model)
    {
        setModel(model);
        for (QTableView *v : panes())
            v->setModel(model);
    }

    std::array<QTableView *, 3> panes() const { return {top, left, corner}; }

    void setRowHeight(int pixels)
    {
        verticalHeader()->setDefaultSectionSize(pixels);
        for (QTableView *v : panes())
            v->verticalHeader()->setDefaultSectionSize(pixels);
    }

    void flushLayout()
    {
        executeDelayedItemsLayout();
        for (QTableView *v : panes())
            v->doItemsLayout();
        updateGeometries();
    }

    void plainKeyPress(QKeyEvent *event)
    {
        m_owner->m_userMove = true;
        QTableView::keyPressEvent(event);
        m_owner->m_userMove = false;
    }

    bool focusPrevious() { return focusNextPrevChild(false); }

    QTableView *top = nullptr;
    QTableView *left = nullptr;
    QTableView *corner = nullptr;

protected:
    void updateGeometries() override
    {
        QTableView::updateGeometries();
        if (!corner)
            return;
        const QRect h = horizontalHeader()->geometry();
        const QRect v = verticalHeader()->geometry();
        top->setGeometry(h);
        left->setGeometry(v);
        corner->setGeometry(QRect(v.x(), h.y(), v.width(), h.height()));
        for (QTableView *pane : panes()) {
            pane->setVisible(pane->width() > 0 && pane->height() > 0);
            pane->raise();
        }
        top->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
        left->verticalScrollBar()->setValue(verticalScrollBar()->value());
        m_owner->relayoutEditor();
    }

    void keyPressEvent(QKeyEvent *event) override { m_owner->gridKeyPress(event); }

    void mousePressEvent(QMouseEvent *event) override
    {
        const QModelIndex target = indexAt(event->position().toPoint());
        if (target.isValid() && (target.row() != m_owner->m_row || target.column() != m_owner->m_col))
            m_owner->gridAboutToMove();
        m_owner->m_userMove = true;
        QTableView::mousePressEvent(event);
        m_owner->m_userMove = false;
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        m_owner->m_userMove = true;
        QTableView::mouseMoveEvent(event);
        m_owner->m_userMove = false;
    }

    // Typing into the table never jumps to a matching cell: it only ever edits through the editor.
    void keyboardSearch(const QString &) override {}

private:
    GrdEntry *m_owner;
};

class EntryEdit : public QLineEdit {
public:
    explicit EntryEdit(GrdEntry *owner) : QLineEdit(owner), m_owner(owner) {}
    void plainKeyPress(QKeyEvent *event) { QLineEdit::keyPressEvent(event); }

protected:
    void keyPressEvent(QKeyEvent *event) override { m_owner->editorKeyPress(event); }

    // Shift+Tab leaves the control, rather than stopping on the table behind the editor.
    bool focusNextPrevChild(bool next) override
    {
        if (next)
            return QLineEdit::focusNextPrevChild(true);
        m_owner->m_grid->setFocus(Qt::BacktabFocusReason);
        return m_owner->m_grid->focusPrevious();
    }

private:
    GrdEntry *m_owner;
};

// Only the arrows of a spin box show; every step goes to the control, which has its own rule.
class SpinButtons : public QSpinBox {
public:
    explicit SpinButtons(GrdEntry *owner) : QSpinBox(owner), m_owner(owner)
    {
        // A click on the arrows must leave the typing focus in the editor.
        setFocusPolicy(Qt::NoFocus);
        lineEdit()->setFocusPolicy(Qt::NoFocus);
        setRange(0, 10);
    }

    void setValueUnbounded(int value)
    {
        if (value > maximum())
            setMaximum(value);
        if (value < minimum())
            setMinimum(value);
        setValue(value);
    }

    void stepBy(int steps) override { m_owner->spinStep(steps); }

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    GrdEntry *m_owner;
};

} // namespace grdentry_detail

using grdentry_detail::EntryEdit;
using grdentry_detail::GridModel;
using grdentry_detail::GridView;
using grdentry_detail::SpinButtons;

GrdEntry::GrdEntry(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("grdEntry"));
    m_model = new GridModel(this);
    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("grdEntry"));
    m_grid->setGridModel(m_model);
    m_grid->setRowHeight(fontMetrics().height() + 8);

    m_edit = new EntryEdit(this);
    m_edit->setObjectName(QStringLiteral("txtEntry"));
    m_edit->setFrame(false);

    m_button = new QPushButton(QStringLiteral("..."), this);
    m_button->setObjectName(QStringLiteral("cmdEntry"));
    m_button->setFont(QFont(QStringLiteral("Times New Roman")));
    m_button->setFocusPolicy(Qt::NoFocus);

    m_spin = new SpinButtons(this);
    m_spin->setObjectName(QStringLiteral("UpDown"));

    // setFocus() on the control reaches the table; the control itself takes no click focus, or a
    // click on the button or the spin would pull the focus out of the editor.
    setFocusPolicy(Qt::NoFocus);
    setFocusProxy(m_grid);

    connect(m_button, &QPushButton::clicked, this, [this] { Q_EMIT ButtonClick(); });
    connect(m_edit, &QLineEdit::textChanged, this, [this] { Q_EMIT Change(); });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { gridCurrentChanged(current); });
    const auto onScroll = [this] {
        hideEditor();
        m_button->hide();
    };
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, onScroll);
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this, onScroll);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        const bool inside = now && (now == this || isAncestorOf(now));
        const bool arrived = inside && !m_focusInside;
        m_focusInside = inside;
        // Coming back to the window, or from a popup, is not the user entering the control.
        if (arrived && m_lastFocusReason != Qt::ActiveWindowFocusReason && m_lastFocusReason != Qt::PopupFocusReason)
            focusArrived(now);
    });

    m_grid->installEventFilter(this);
    m_edit->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    for (QTableView *pane : m_grid->panes())
        pane->viewport()->installEventFilter(this);

    hideAll();
    readProperties(VariantMapPropertyBag());
}

GrdEntry::~GrdEntry() = default;

void GrdEntry::checkIndex(int index)
{
    if (index < 0 || index > MaxColumn)
        throw std::out_of_range("subscript out of range");
}

int GrdEntry::pixelsFromTwips(int twips) const
{
    return qRound(twips * logicalDpiX() / 1440.0);
}

int GrdEntry::twipsFromPixels(int pixels) const
{
    return qRound(pixels * 1440.0 / logicalDpiX());
}

int GrdEntry::defaultColumnTwips() const
{
    return twipsFromPixels(kDefaultColumnPixels);
}

bool GrdEntry::columnEnabled(int column) const
{
    // Columns past the settings arrays have no editor.
    return column >= 0 && column <= MaxColumn && m_enableColumn[column];
}

void GrdEntry::setEnableColumn(int index, bool enabled)
{
    checkIndex(index);
    m_enableColumn[index] = enabled;
}

bool GrdEntry::EnableColumn(int index) const
{
    checkIndex(index);
    return m_enableColumn[index];
}

void GrdEntry::setColumnformat(int index, int format)
{
    checkIndex(index);
    m_columnFormat[index] = format;
}

int GrdEntry::columnformat(int index) const
{
    checkIndex(index);
    return m_columnFormat[index];
}

void GrdEntry::setColumnControl(int index, int control)
{
    checkIndex(index);
    m_columnControl[index] = control;
}

int GrdEntry::columnControl(int index) const
{
    checkIndex(index);
    return m_columnControl[index];
}

void GrdEntry::AddItem(const QString &item, int index)
{
    const int row = index < 0 ? Rows() : index;
    if (index < -1 || row > Rows())
        throw std::out_of_range("row out of range");
    m_model->insertRowAt(row, item.split(QLatin1Char('\t')));
    syncViewCurrent();
    applyLayout();
}

void GrdEntry::Clear()
{
    m_model->clearTexts();
    hideAll();
}

int GrdEntry::FixedCols() const
{
    return m_fixedCols;
}

void GrdEntry::setFixedCols(int count)
{
    if (count < 0)
        throw std::out_of_range("fixed columns out of range");
    m_fixedCols = count;
    applyLayout();
    Q_EMIT propertyChanged(kFixedCols);
}

int GrdEntry::FixedRows() const
{
    return m_fixedRows;
}

void GrdEntry::setFixedRows(int count)
{
    if (count < 0)
        throw std::out_of_range("fixed rows out of range");
    m_fixedRows = count;
    applyLayout();
    Q_EMIT propertyChanged(kFixedRows);
}

QString GrdEntry::FormatString() const
{
    return m_formatString;
}

void GrdEntry::setFormatString(const QString &format)
{
    applyFormatString(format);
    Q_EMIT propertyChanged(kFormatString);
}

void GrdEntry::applyFormatString(const QString &format)
{
    m_formatString = format;
    if (format.isEmpty())
        return;
    const int semicolon = format.indexOf(QLatin1Char(';'));
    const QString columnPart = semicolon < 0 ? format : format.left(semicolon);
    const QString rowPart = semicolon < 0 ? QString() : format.mid(semicolon + 1);

    const QStringList headings = columnPart.split(QLatin1Char('|'));
    m_model->setColumns(static_cast<int>(headings.size()));
    if (m_model->rowCount() < 1)
        m_model->setRows(1);
    for (int c = 0; c < headings.size(); ++c) {
        QString text = headings.at(c);
        int code = 1;
        if (text.startsWith(QLatin1Char('<')))
            code = 1;
        else if (text.startsWith(QLatin1Char('^')))
            code = 4;
        else if (text.startsWith(QLatin1Char('>')))
            code = 7;
        if (!text.isEmpty() && QStringLiteral("<^>").contains(text.at(0)))
            text.remove(0, 1);
        m_model->setText(0, c, text);
        m_model->setAlignment(c, alignmentFromCode(code));
        m_model->setWidth(c, text.isEmpty() ? kDefaultColumnPixels
                                            : m_grid->fontMetrics().horizontalAdvance(text) + kHeadingPadding);
    }
    if (!rowPart.isEmpty()) {
        const QStringList rowHeadings = rowPart.split(QLatin1Char('|'));
        m_model->setRows(static_cast<int>(rowHeadings.size()) + 1);
        for (int r = 0; r < rowHeadings.size(); ++r)
            m_model->setText(r + 1, 0, rowHeadings.at(r));
    }
    clampCurrent();
    applyLayout();
}

int GrdEntry::Rows() const
{
    return m_model->rowCount();
}

void GrdEntry::setRows(int count)
{
    if (count < 0)
        throw std::out_of_range("rows out of range");
    m_model->setRows(count);
    clampCurrent();
    applyLayout();
    Q_EMIT propertyChanged(kRows);
}

QString GrdEntry::TextMatrix(int row, int column) const
{
    if (row < 0 || row >= Rows() || column < 0 || column >= Cols())
        throw std::out_of_range("cell out of range");
    return m_model->text(row, column);
}

void GrdEntry::setCellNote(int row, int column, const QString &note)
{
    if (row < 0 || row >= Rows() || column < 0 || column >= Cols())
        throw std::out_of_range("cell out of range");
    m_model->setNote(row, column, note);
}

QString GrdEntry::CellNote(int row, int column) const
{
    return m_model->note(row, column);
}

void GrdEntry::setCellToolTip(int row, int column, const QString &tip)
{
    if (row < 0 || row >= Rows() || column < 0 || column >= Cols())
        throw std::out_of_range("cell out of range");
    m_model->setTip(row, column, tip);
}

QString GrdEntry::CellToolTip(int row, int column) const
{
    return m_model->tip(row, column);
}

void GrdEntry::setTextMatrix(int row, int column, const QString &text)
{
    if (row < 0 || row >= Rows() || column < 0 || column >= Cols())
        throw std::out_of_range("cell out of range");
    m_model->setText(row, column, text);
    Q_EMIT propertyChanged(kTextMatrix);
}

int GrdEntry::Bands() const
{
    return 1;
}

int GrdEntry::Cols() const
{
    return m_model->columnCount();
}

void GrdEntry::setCols(int count)
{
    if (count < 0)
        throw std::out_of_range("columns out of range");
    m_model->setColumns(count);
    clampCurrent();
    applyLayout();
    Q_EMIT propertyChanged(kCols);
}

int GrdEntry::col() const
{
    return m_col;
}

void GrdEntry::setCol(int column)
{
    if (column < 0 || column >= Cols() || column > MaxColumn)
        throw std::out_of_range("column out of range");
    moveTo(m_row, column);
    Q_EMIT propertyChanged(kCol);
    enterCell();
}

int GrdEntry::Row() const
{
    return m_row;
}

void GrdEntry::setRow(int row)
{
    if (row < 0 || row >= Rows() || m_col > MaxColumn)
        throw std::out_of_range("row out of range");
    moveTo(row, m_col);
    Q_EMIT propertyChanged(kRow);
    enterCell();
}

int GrdEntry::ColWidth(int index) const
{
    if (index < 0 || index >= Cols())
        throw std::out_of_range("column out of range");
    return twipsFromPixels(m_model->width(index));
}

void GrdEntry::setColWidth(int index, int twips)
{
    if (index < 0 || index >= Cols() || twips < 0)
        throw std::out_of_range("column out of range");
    m_model->setWidth(index, pixelsFromTwips(twips));
    applyLayout();
    Q_EMIT propertyChanged(kColWidth);
}

QString GrdEntry::Text() const
{
    return m_edit->text();
}

void GrdEntry::setText(const QString &text)
{
    m_edit->setText(text);
    Q_EMIT propertyChanged(kText);
}

int GrdEntry::Increment() const
{
    return m_increment;
}

void GrdEntry::setIncrement(int step)
{
    m_increment = step;
    Q_EMIT propertyChanged(kIncrement);
}

void GrdEntry::setColAlignment(int index, int alignment)
{
    if (index < 0 || index >= Cols())
        throw std::out_of_range("column out of range");
    m_model->setAlignment(index, alignmentFromCode(alignment));
}

QColor GrdEntry::BackColor_TextEntry() const
{
    return m_backColor;
}

void GrdEntry::setBackColor_TextEntry(const QColor &color)
{
    m_backColor = color;
    QPalette pal = m_edit->palette();
    pal.setColor(QPalette::Base, color);
    m_edit->setPalette(pal);
    Q_EMIT propertyChanged(kBackColor);
}

QColor GrdEntry::ForeColor() const
{
    return m_foreColor;
}

void GrdEntry::setForeColor(const QColor &color)
{
    m_foreColor = color;
    QPalette pal = m_edit->palette();
    pal.setColor(QPalette::Text, color);
    m_edit->setPalette(pal);
    Q_EMIT propertyChanged(kForeColor);
}

void GrdEntry::readProperties(const PropertyBag &bag)
{
    const auto readInt = [&bag](const QString &key, int defaultValue) {
        bool ok = false;
        const int value = bag.readProperty(key, defaultValue).toInt(&ok);
        return ok ? value : defaultValue;
    };
    m_fixedCols = qMax(0, readInt(kFixedCols, 1));
    m_fixedRows = qMax(0, readInt(kFixedRows, 1));
    applyFormatString(bag.readProperty(kFormatString, QString()).toString());
    m_model->setRows(qMax(0, readInt(kRows, kDefaultRows)));
    clampCurrent();
    const QString cellText = bag.readProperty(kSavedTextMatrix, QString()).toString();
    if (m_row < Rows() && m_col < Cols())
        m_model->setText(m_row, m_col, cellText);
    m_model->setColumns(qMax(0, readInt(kCols, kDefaultCols)));
    clampCurrent();
    const int column = readInt(kCol, 1);
    if (column >= 0 && column < Cols())
        moveTo(m_row, column);
    const int row = readInt(kRow, 1);
    if (row >= 0 && row < Rows())
        moveTo(row, m_col);
    const int width = readInt(kSavedColWidth, defaultColumnTwips());
    if (Cols() > 0 && width >= 0)
        m_model->setWidth(0, pixelsFromTwips(width));
    m_edit->setText(bag.readProperty(kText, QString()).toString());
    m_increment = readInt(kIncrement, 1);
    setBackColor_TextEntry(colorFromBgr(readInt(kBackColor, kDefaultBackColor)));
    setForeColor(colorFromBgr(readInt(kForeColor, kDefaultForeColor)));
    applyLayout();
    enterCell();
}

void GrdEntry::writeProperties(PropertyBag &bag) const
{
    const bool hasCell = m_row < Rows() && m_col < Cols();
    bag.writeProperty(kFixedCols, m_fixedCols, 1);
    bag.writeProperty(kFixedRows, m_fixedRows, 1);
    bag.writeProperty(kFormatString, m_formatString, QString());
    bag.writeProperty(kRows, Rows(), kDefaultRows);
    bag.writeProperty(kSavedTextMatrix, hasCell ? m_model->text(m_row, m_col) : QString(), QString());
    bag.writeProperty(kCols, Cols(), kDefaultCols);
    bag.writeProperty(kCol, m_col, 1);
    bag.writeProperty(kRow, m_row, 1);
    bag.writeProperty(kSavedColWidth, Cols() > 0 ? ColWidth(0) : defaultColumnTwips(), defaultColumnTwips());
    bag.writeProperty(kText, Text(), QString());
    bag.writeProperty(kIncrement, m_increment, 1);
    bag.writeProperty(kBackColor, colorToBgr(m_backColor), kDefaultBackColor);
    bag.writeProperty(kForeColor, colorToBgr(m_foreColor), kDefaultForeColor);
}

void GrdEntry::moveTo(int row, int column)
{
    if (row == m_row && column == m_col) {
        syncViewCurrent();
        return;
    }
    m_row = row;
    m_col = column;
    syncViewCurrent();
    if (!m_enterMove)
        Q_EMIT RowColChange();
}

void GrdEntry::syncViewCurrent()
{
    const QModelIndex index = m_model->index(m_row, m_col);
    m_settingCurrent = true;
    if (index.isValid())
        m_grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    else
        m_grid->selectionModel()->clearCurrentIndex();
    m_settingCurrent = false;
}

void GrdEntry::clampCurrent()
{
    m_row = qBound(0, m_row, qMax(0, Rows() - 1));
    m_col = qBound(0, m_col, qMax(0, Cols() - 1));
    syncViewCurrent();
}

void GrdEntry::applyLayout()
{
    const int rows = Rows();
    const int cols = Cols();
    const int fixedRows = qMin(m_fixedRows, rows);
    const int fixedCols = qMin(m_fixedCols, cols);
    int headingWidth = 0;
    for (int c = 0; c < fixedCols; ++c)
        headingWidth += m_model->width(c);
    const int headingHeight = fixedRows * m_grid->verticalHeader()->defaultSectionSize();
    m_model->setFixed(fixedRows, fixedCols);

    const auto apply = [&](QTableView *view, bool headingRows, bool headingCols) {
        for (int r = 0; r < rows; ++r)
            view->setRowHidden(r, (r < fixedRows) != headingRows);
        for (int c = 0; c < cols; ++c) {
            const int width = m_model->width(c);
            view->setColumnHidden(c, (c < fixedCols) != headingCols || width == 0);
            if (width > 0)
                view->setColumnWidth(c, width);
        }
    };
    apply(m_grid, false, false);
    apply(m_grid->top, true, false);
    apply(m_grid->left, false, true);
    apply(m_grid->corner, true, true);
    m_grid->horizontalHeader()->setFixedHeight(headingHeight);
    m_grid->verticalHeader()->setFixedWidth(headingWidth);
    m_grid->flushLayout();
    relayoutEditor();
}

QTableView *GrdEntry::viewFor(int row, int column) const
{
    const bool headingRow = row < qMin(m_fixedRows, Rows());
    const bool headingCol = column < qMin(m_fixedCols, Cols());
    if (headingRow)
        return headingCol ? m_grid->corner : m_grid->top;
    return headingCol ? m_grid->left : static_cast<QTableView *>(m_grid);
}

QRect GrdEntry::cellRect(int row, int column) const
{
    QTableView *view = viewFor(row, column);
    const QWidget *viewport = view->viewport();
    const QPoint origin = viewport->mapTo(this, QPoint(0, 0));
    const QRect cell = view->visualRect(m_model->index(row, column)).translated(origin);
    // A cell partly scrolled out keeps the editor inside the visible table.
    return cell.intersected(QRect(origin, viewport->size()));
}

void GrdEntry::ensureVisible(int row, int column)
{
    const bool headingRow = row < qMin(m_fixedRows, Rows());
    const bool headingCol = column < qMin(m_fixedCols, Cols());
    const int r = headingRow ? m_grid->rowAt(0) : row;
    const int c = headingCol ? m_grid->columnAt(0) : column;
    if (r >= 0 && c >= 0)
        m_grid->scrollTo(m_model->index(r, c));
}

void GrdEntry::enterCell()
{
    const QPointer<GrdEntry> self(this);
    Q_EMIT EnterCell();
    if (!self)
        return;
    placeEditor();
}

void GrdEntry::placeEditor()
{
    const int column = m_col;
    if (m_row >= Rows() || column >= Cols() || !columnEnabled(column)) {
        hideAll();
        return;
    }
    m_grid->flushLayout();
    ensureVisible(m_row, column);

    const QString cellText = m_model->text(m_row, column);
    switch (m_columnControl[column]) {
    case SpinEditor:
        m_button->hide();
        m_spin->show();
        m_edit->setText(cellText.isEmpty() ? QStringLiteral("1") : cellText);
        m_spin->setValueUnbounded(m_edit->text().isEmpty() ? 1 : numericValue(m_edit->text()));
        break;
    case PlainEditor:
        m_button->hide();
        m_spin->hide();
        m_edit->setText(cellText);
        break;
    default:
        m_button->show();
        m_spin->hide();
        m_edit->setText(cellText);
        break;
    }
    layoutEditorOverCell();
    m_edit->show();
    m_edit->setSelection(0, static_cast<int>(m_edit->text().size()));
    m_edit->setFocus(Qt::OtherFocusReason);
}

void GrdEntry::layoutEditorOverCell()
{
    const QRect cell = cellRect(m_row, m_col);
    // The button is square and the spin as wide as a scroll bar; both sit at the cell's right end.
    int side = 0;
    if (!m_button->isHidden()) {
        side = qMin(cell.height(), cell.width());
        m_button->setGeometry(cell.x() + cell.width() - side, cell.y(), side, cell.height());
        m_button->raise();
    } else if (!m_spin->isHidden()) {
        side = qMin(style()->pixelMetric(QStyle::PM_ScrollBarExtent), cell.width());
        m_spin->setGeometry(cell.x() + cell.width() - side, cell.y(), side, cell.height());
        m_spin->raise();
    }
    m_edit->setGeometry(cell.x(), cell.y(), cell.width() - side, cell.height());
    m_edit->raise();
}

void GrdEntry::relayoutEditor()
{
    if (!m_edit || m_relayouting || m_edit->isHidden() || m_row >= Rows() || m_col >= Cols())
        return;
    m_relayouting = true;
    m_grid->flushLayout();
    layoutEditorOverCell();
    m_relayouting = false;
}

void GrdEntry::hideEditor()
{
    // Hiding the focused editor would send the focus to the next control of the screen.
    if (m_edit->hasFocus())
        m_grid->setFocus(Qt::OtherFocusReason);
    m_edit->hide();
}

void GrdEntry::hideAll()
{
    hideEditor();
    m_button->hide();
    m_spin->hide();
}

void GrdEntry::leaveCell()
{
    const QPointer<GrdEntry> self(this);
    Q_EMIT LeaveCell();
    if (!self)
        return;
    hideEditor();
    m_grid->setFocus(Qt::OtherFocusReason);
}

int GrdEntry::nextEnabledColumn(int start)
{
    const int cols = Cols();
    for (int c = start; c < cols; ++c)
        if (columnEnabled(c))
            return c;
    if (m_row < Rows() - 1)
        moveTo(m_row + 1, m_col);
    for (int c = 0; c < cols; ++c)
        if (columnEnabled(c))
            return c;
    return 0;
}

bool GrdEntry::filterKey(int &keyAscii) const
{
    if (keyAscii < 0x20 || m_col > MaxColumn)
        return true;
    const QChar ch(keyAscii);
    switch (m_columnFormat[m_col]) {
    case DigitsOnly:
        return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    case UpperCase:
        keyAscii = ch.toUpper().unicode();
        return true;
    case Decimal:
        return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QLatin1Char('.');
    default:
        return true;
    }
}

void GrdEntry::editorKeyPress(QKeyEvent *event)
{
    const QPointer<GrdEntry> self(this);
    const int original = event->key() == Qt::Key_Enter ? int(Qt::Key_Return) : event->key();
    int key = original;
    Qt::KeyboardModifiers shift = event->modifiers();
    Q_EMIT KeyDown(key, shift);
    if (!self)
        return;
    event->accept();
    if (key == 0)
        return;

    // Conditions are read after KeyDown: the screen may have moved the cell in its handler.
    const int rows = Rows();
    const int cols = Cols();
    switch (key) {
    case Qt::Key_Up:
        if (m_row >= 2) {
            leaveCell();
            if (self && m_row >= 1) {
                moveTo(m_row - 1, m_col);
                enterCell();
            }
            return;
        }
        break;
    case Qt::Key_Down:
        if (m_row < rows - 1) {
            leaveCell();
            if (self && m_row + 1 < Rows()) {
                moveTo(m_row + 1, m_col);
                enterCell();
            }
            return;
        }
        break;
    case Qt::Key_Left:
        if (m_col >= 2) {
            leaveCell();
            if (self && m_col >= 1) {
                moveTo(m_row, m_col - 1);
                enterCell();
            }
            return;
        }
        break;
    case Qt::Key_Right:
        if (m_col < cols - 1) {
            leaveCell();
            if (self && m_col + 1 < Cols()) {
                moveTo(m_row, m_col + 1);
                enterCell();
            }
            return;
        }
        break;
    case Qt::Key_Return:
        if (m_col < cols - 1) {
            m_enterMove = true;
            const int next = nextEnabledColumn(m_col + 1);
            moveTo(m_row, next);
            m_enterMove = false;
            Q_EMIT RowColChange();
            if (!self)
                return;
            leaveCell();
            if (self)
                enterCell();
            return;
        }
        if (m_row < rows - 1) {
            leaveCell();
            if (!self)
                return;
            Q_EMIT RowColChange();
            if (!self || m_row + 1 >= Rows())
                return;
            m_enterMove = true;
            moveTo(m_row + 1, m_col);
            const int next = nextEnabledColumn(0);
            moveTo(m_row, next);
            m_enterMove = false;
            enterCell();
            return;
        }
        break;
    default:
        break;
    }

    if (key != original) {
        QKeyEvent changed(QEvent::KeyPress, key, event->modifiers());
        m_edit->plainKeyPress(&changed);
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty()) {
        const int typed = text.at(0).unicode();
        int keyAscii = typed;
        Q_EMIT KeyPress(keyAscii);
        if (!self || keyAscii == 0 || !filterKey(keyAscii))
            return;
        if (keyAscii != typed) {
            if (keyAscii >= 0x20)
                m_edit->insert(QString(QChar(keyAscii)));
            return;
        }
    }
    // Enter stays in the control: passed on it would press the screen's default button.
    if (key == Qt::Key_Return)
        return;
    m_edit->plainKeyPress(event);
}

void GrdEntry::gridKeyPress(QKeyEvent *event)
{
    const QPointer<GrdEntry> self(this);
    const int original = event->key() == Qt::Key_Enter ? int(Qt::Key_Return) : event->key();
    int key = original;
    Qt::KeyboardModifiers shift = event->modifiers();
    Q_EMIT KeyDown(key, shift);
    if (!self)
        return;
    if (key == 0 || key == Qt::Key_Return) {
        event->accept();
        return;
    }
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        gridAboutToMove();
        if (!self)
            return;
        break;
    default:
        break;
    }
    if (key != original) {
        QKeyEvent changed(QEvent::KeyPress, key, event->modifiers());
        m_grid->plainKeyPress(&changed);
        return;
    }
    m_grid->plainKeyPress(event);
}

void GrdEntry::gridAboutToMove()
{
    // The user picked another cell: the screen gets LeaveCell while Row and col still name the
    // cell that was typed in.
    if (!m_edit->isHidden())
        leaveCell();
}

void GrdEntry::gridCurrentChanged(const QModelIndex &current)
{
    if (m_settingCurrent || !m_userMove || !current.isValid())
        return;
    m_row = current.row();
    m_col = current.column();
    Q_EMIT RowColChange();
    enterCell();
}

void GrdEntry::gridMousePress(QMouseEvent *event, QWidget *source)
{
    Qt::MouseButton button = event->button();
    Qt::KeyboardModifiers shift = event->modifiers();
    const QPointF at = source->mapTo(m_grid, event->position().toPoint());
    float x = static_cast<float>(at.x());
    float y = static_cast<float>(at.y());
    m_pressedInGrid = true;
    Q_EMIT MouseDown(button, shift, x, y);
}

void GrdEntry::spinStep(int steps)
{
    if (steps == 0)
        return;
    const QPointer<GrdEntry> self(this);
    if (steps > 0)
        Q_EMIT UpClick();
    else
        Q_EMIT DownClick();
    if (!self)
        return;
    int value = m_spin->value();
    if (steps > 0) {
        if (value == m_spin->maximum())
            m_spin->setMaximum(value + m_increment);
        value += m_increment;
    } else {
        if (value == m_spin->minimum())
            m_spin->setMinimum(value - m_increment);
        value = value == 0 ? 0 : value - m_increment;
    }
    m_spin->setValueUnbounded(value);
    m_edit->setText(QString::number(value));
}

void GrdEntry::focusArrived(QWidget *now)
{
    const QPointer<GrdEntry> self(this);
    if (now == m_grid) {
        if (Rows() > 1)
            moveTo(1, m_col);
        enterCell();
    }
    if (self)
        Q_EMIT focusEntered();
}

void GrdEntry::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_grid->setGeometry(rect());
    relayoutEditor();
}

void GrdEntry::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    const QPointer<GrdEntry> self(this);
    m_grid->setGeometry(rect());
    Q_EMIT Show();
    if (!self)
        return;
    if (Rows() > 1 && Cols() > 1)
        moveTo(1, 1);
    enterCell();
}

bool GrdEntry::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched == m_grid || watched == m_edit)
            m_lastFocusReason = static_cast<QFocusEvent *>(event)->reason();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (watched != m_grid && watched != m_edit)
            gridMousePress(static_cast<QMouseEvent *>(event), static_cast<QWidget *>(watched));
        break;
    case QEvent::MouseButtonRelease:
        if (watched != m_grid && watched != m_edit && m_pressedInGrid) {
            m_pressedInGrid = false;
            Q_EMIT Click();
        }
        break;
    case QEvent::Wheel:
        // The heading panes scroll only with the table.
        if (watched != m_grid->viewport() && watched != m_grid && watched != m_edit) {
            QCoreApplication::sendEvent(m_grid->viewport(), event);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace corvane
