#include "controls/examentry.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <stdexcept>

namespace corvane {

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kEnterAscii = 13;
constexpr int kBackspaceAscii = 8;

QLabel *cellLabel(QWidget *parent, const QString &text = {})
{
    auto *label = new QLabel(text, parent);
    label->setAutoFillBackground(true);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}

void paint(QWidget *w, const QColor &fore, const QColor &back)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, back);
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::Text, fore);
    p.setColor(QPalette::WindowText, fore);
    w->setPalette(p);
}

} // namespace

ExamEntry::ExamEntry(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrExamEntry"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    outer->addWidget(m_scroll);
    m_body = new QWidget(m_scroll);
    m_grid = new QGridLayout(m_body);
    m_grid->setContentsMargins(4, 2, 4, 2);
    m_grid->setHorizontalSpacing(6);
    m_grid->setVerticalSpacing(2);
    m_scroll->setWidget(m_body);

    const QStringList headings{QStringLiteral("No."), QStringLiteral("Exam"), QStringLiteral("Result"), QString(),
                               QStringLiteral("Normal Value"), QStringLiteral("Unit")};
    for (int c = 0; c < ColumnCount; ++c) {
        QLabel *h = cellLabel(m_body, headings[c]);
        h->setObjectName(QStringLiteral("lblHeading_%1").arg(c));
        QFont bold = h->font();
        bold.setBold(true);
        h->setFont(bold);
        m_grid->addWidget(h, 0, c);
        m_headings << h;
    }
    m_grid->setColumnStretch(ColumnCount, 1);
    m_grid->setRowStretch(1, 1);
    applyWidths();
}

ExamEntry::~ExamEntry() = default;

void ExamEntry::connectTo(std::shared_ptr<ExamLineSource> source)
{
    m_source = std::move(source);
}

void ExamEntry::Load(int entryMode, const QString &requestNum)
{
    if (!m_source)
        throw std::logic_error("ExamEntry: no source to read the exam lines from");
    setLines(m_source->examLines(requestNum, entryMode));
}

void ExamEntry::clearRows()
{
    setFocusProxy(nullptr);
    for (const Row &r : m_rows) {
        for (QWidget *w : {static_cast<QWidget *>(r.number), static_cast<QWidget *>(r.exam),
                           static_cast<QWidget *>(r.entry), static_cast<QWidget *>(r.flag),
                           static_cast<QWidget *>(r.normal), static_cast<QWidget *>(r.unit)})
            delete w;
    }
    m_rows.clear();
    m_colors.clear();
    m_lines.clear();
    m_current = -1;
}

void ExamEntry::setLines(const QList<ExamLine> &lines)
{
    clearRows();
    m_grid->setRowStretch(static_cast<int>(lines.size()) + 1, 0);
    m_lines = lines;
    QWidget *previous = nullptr;
    for (int i = 0; i < lines.size(); ++i) {
        const ExamLine &l = lines[i];
        Row r;
        r.number = cellLabel(m_body, QString::number(i + 1) + QLatin1Char('.'));
        r.exam = cellLabel(m_body, l.exam);
        r.exam->setObjectName(QStringLiteral("lblExam_%1").arg(i));
        r.entry = new QLineEdit(l.entry, m_body);
        r.entry->setObjectName(QStringLiteral("txtEntry_%1").arg(i));
        r.entry->setMaxLength(255);
        r.entry->installEventFilter(this);
        r.flag = cellLabel(m_body, l.flag);
        r.flag->setObjectName(QStringLiteral("lblFlag_%1").arg(i));
        QFont bold = r.flag->font();
        bold.setBold(true);
        r.flag->setFont(bold);
        r.normal = cellLabel(m_body, l.normalValue);
        r.normal->setObjectName(QStringLiteral("lblNormal_%1").arg(i));
        r.unit = cellLabel(m_body, l.unit);
        r.unit->setObjectName(QStringLiteral("lblUnit_%1").arg(i));
        const int gridRow = i + 1;
        m_grid->addWidget(r.number, gridRow, ColNumber);
        m_grid->addWidget(r.exam, gridRow, ColExam);
        m_grid->addWidget(r.entry, gridRow, ColEntry);
        m_grid->addWidget(r.flag, gridRow, ColFlag);
        m_grid->addWidget(r.normal, gridRow, ColNormalValue);
        m_grid->addWidget(r.unit, gridRow, ColUnit);
        connect(r.entry, &QLineEdit::textChanged, this, [this, i](const QString &text) {
            if (i < m_lines.size()) {
                m_lines[i].entry = text;
                Q_EMIT EntryChanged(i);
            }
        });
        // Tab goes down the entry boxes, as Enter does.
        if (previous)
            QWidget::setTabOrder(previous, r.entry);
        previous = r.entry;
        m_rows << r;
        m_colors << std::pair{QColor(Qt::black), QColor(Qt::white)};
        applyColors(i);
    }
    m_grid->setRowStretch(static_cast<int>(lines.size()) + 1, 1);
    applyWidths();
    // Focus given to the list lands on its first line.
    setFocusProxy(m_rows.isEmpty() ? nullptr : m_rows[0].entry);
    if (!m_rows.isEmpty())
        m_current = 0;
}

void ExamEntry::checkIndex(int index) const
{
    if (index < 0 || index >= m_lines.size())
        throw std::out_of_range("ExamEntry: no line " + std::to_string(index));
}

ExamLine ExamEntry::line(int index) const
{
    checkIndex(index);
    ExamLine l = m_lines[index];
    l.entry = m_rows[index].entry->text();
    return l;
}

QString ExamEntry::entry(int index) const
{
    checkIndex(index);
    return m_rows[index].entry->text();
}

void ExamEntry::setEntry(int index, const QString &text)
{
    checkIndex(index);
    m_rows[index].entry->setText(text);
}

QString ExamEntry::normalValue(int index) const
{
    checkIndex(index);
    return m_lines[index].normalValue;
}

void ExamEntry::setNormalValue(int index, const QString &text)
{
    checkIndex(index);
    m_lines[index].normalValue = text;
    m_rows[index].normal->setText(text);
}

QString ExamEntry::unit(int index) const
{
    checkIndex(index);
    return m_lines[index].unit;
}

void ExamEntry::setUnit(int index, const QString &text)
{
    checkIndex(index);
    m_lines[index].unit = text;
    m_rows[index].unit->setText(text);
}

void ExamEntry::setRange(int index, const QString &minimum, const QString &maximum)
{
    checkIndex(index);
    m_lines[index].minimum = minimum;
    m_lines[index].maximum = maximum;
}

QString ExamEntry::flag(int index) const
{
    checkIndex(index);
    return m_lines[index].flag;
}

void ExamEntry::setFlag(int index, const QString &flag)
{
    checkIndex(index);
    m_lines[index].flag = flag;
    m_rows[index].flag->setText(flag);
}

void ExamEntry::setLineColors(int index, const QColor &fore, const QColor &back)
{
    checkIndex(index);
    m_colors[index] = {fore, back};
    applyColors(index);
}

QColor ExamEntry::lineBackColor(int index) const
{
    checkIndex(index);
    return m_colors[index].second;
}

void ExamEntry::applyColors(int index)
{
    const auto &[fore, back] = m_colors[index];
    paint(m_rows[index].entry, fore, back);
    paint(m_rows[index].flag, QColor(0xc0, 0, 0), back);
}

int ExamEntry::pixelsFromTwips(int twips) const
{
    return twips * logicalDpiX() / kTwipsPerInch;
}

QList<QWidget *> ExamEntry::columnWidgets(int column) const
{
    QList<QWidget *> ws{m_headings[column]};
    for (const Row &r : m_rows) {
        QWidget *cells[ColumnCount] = {r.number, r.exam, r.entry, r.flag, r.normal, r.unit};
        ws << cells[column];
    }
    return ws;
}

void ExamEntry::applyWidths()
{
    for (int c = 0; c < ColumnCount; ++c) {
        const int px = pixelsFromTwips(m_widths[c]);
        for (QWidget *w : columnWidgets(c)) {
            w->setVisible(m_widths[c] > 0);
            if (m_widths[c] > 0)
                w->setFixedWidth(px);
        }
    }
}

void ExamEntry::setColWidth(int column, int twips)
{
    if (column < 0 || column >= ColumnCount)
        throw std::out_of_range("ExamEntry: no column " + std::to_string(column));
    m_widths[column] = std::max(0, twips);
    applyWidths();
}

int ExamEntry::ColWidth(int column) const
{
    if (column < 0 || column >= ColumnCount)
        throw std::out_of_range("ExamEntry: no column " + std::to_string(column));
    return m_widths[column];
}

void ExamEntry::setFixedColumns(const QList<int> &twips)
{
    for (int i = 0; i < twips.size() && ColNumber + i < ColumnCount; ++i)
        m_widths[ColNumber + i] = std::max(0, twips[i]);
    m_fixed = true;
    applyWidths();
}

QLineEdit *ExamEntry::entryBox(int index) const
{
    checkIndex(index);
    return m_rows[index].entry;
}

void ExamEntry::setCurrentLine(int index)
{
    checkIndex(index);
    QLineEdit *box = m_rows[index].entry;
    m_scroll->ensureWidgetVisible(box);
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
    if (m_current != index) {
        m_current = index;
        Q_EMIT LineChanged(index);
    }
}

int ExamEntry::lineOf(const QObject *watched) const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].entry == watched)
            return i;
    }
    return -1;
}

bool ExamEntry::eventFilter(QObject *watched, QEvent *event)
{
    const int i = lineOf(watched);
    if (i < 0)
        return QFrame::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn && m_current != i) {
        m_current = i;
        m_scroll->ensureWidgetVisible(m_rows[i].entry);
        Q_EMIT LineChanged(i);
    }
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);

    auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    int keyCode = enter ? int(Qt::Key_Return) : key->key();
    Qt::KeyboardModifiers shift = key->modifiers();
    Q_EMIT KeyDown(i, keyCode, shift);
    if (keyCode == 0)
        return true;

    int keyAscii = 0;
    if (enter)
        keyAscii = kEnterAscii;
    else if (key->key() == Qt::Key_Backspace)
        keyAscii = kBackspaceAscii;
    else if (!key->text().isEmpty() && key->text().at(0).unicode() >= 32 && key->text().at(0).unicode() != 127)
        keyAscii = key->text().at(0).unicode();
    if (keyAscii != 0) {
        const int typed = keyAscii;
        Q_EMIT KeyPress(i, keyAscii);
        if (keyAscii == 0 || keyAscii == kEnterAscii)
            return true;
        if (keyAscii != typed) {
            m_rows[i].entry->insert(QString(QChar(keyAscii)));
            return true;
        }
        return false;
    }
    if (keyCode == Qt::Key_Down && i + 1 < m_rows.size()) {
        setCurrentLine(i + 1);
        return true;
    }
    if (keyCode == Qt::Key_Up && i > 0) {
        setCurrentLine(i - 1);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace corvane
