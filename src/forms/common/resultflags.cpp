#include "forms/common/resultflags.h"

#include "services/database/connection.h"
#include "session/sessioncontext.h"

#include <labdb/normalvalues.h>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>

#include <algorithm>
#include <utility>

namespace corvane {

namespace {

std::optional<double> number(const Field &f)
{
    return f.isNull() ? std::nullopt : labdb::numericValue(f.toStringOr().toStdString());
}

} // namespace

QString judgedText(const QWidget *control)
{
    const QMetaProperty user = control ? control->metaObject()->userProperty() : QMetaProperty();
    return user.isValid() ? user.read(control).toString() : QString();
}

void onJudgedTextChanged(const JudgedField &field, QObject *receiver, const std::function<void()> &edited)
{
    if (auto *edit = qobject_cast<QLineEdit *>(field.control))
        QObject::connect(edit, &QLineEdit::textChanged, receiver, edited);
    else if (auto *combo = qobject_cast<QComboBox *>(field.control))
        QObject::connect(combo, &QComboBox::currentTextChanged, receiver, edited);
}

void stopWatching(const QList<JudgedField> &fields, QObject *receiver)
{
    for (const JudgedField &j : fields) {
        if (j.control)
            QObject::disconnect(j.control, nullptr, receiver, nullptr);
    }
}

ResultFlags::ResultFlags(QWidget &screen) : QObject(&screen), m_screen(screen) {}

void ResultFlags::load(const QString &requestNum, const QList<JudgedField> &fields)
{
    // Filled again: the limits are read anew and nothing of the last filling stays wired or shown.
    stopWatching(m_fields, this);
    for (QLabel *label : std::as_const(m_labels))
        label->clear();
    m_fields = fields;
    m_limits.clear();
    m_called.clear();
    if (fields.isEmpty())
        return;
    Connection &db = SessionContext::current().db();
    FieldLimits examWide;
    for (Recordset rs = db.lookup(Command("Laboratory..Lab_Get_ClinicalLimits '") << requestNum << "'"); !rs.eof();
         rs.moveNext()) {
        FieldLimits f;
        f.limits = {number(rs.field(QStringLiteral("LowValue"))), number(rs.field(QStringLiteral("HighValue"))),
                    number(rs.field(QStringLiteral("CriticalLow"))), number(rs.field(QStringLiteral("CriticalHigh")))};
        f.criticalLow = rs.field(QStringLiteral("CriticalLow")).toStringOr().trimmed();
        f.criticalHigh = rs.field(QStringLiteral("CriticalHigh")).toStringOr().trimmed();
        const QString field = rs.field(QStringLiteral("Field")).toStringOr().trimmed();
        if (field.isEmpty())
            examWide = f;
        else
            m_limits.insert(field, f);
    }
    // Exam-wide critical limits reach the fields that have no limits at all.
    if (examWide.limits.criticalLow || examWide.limits.criticalHigh) {
        for (const JudgedField &j : fields) {
            if (!m_limits.contains(j.field))
                m_limits.insert(j.field, examWide);
        }
    }
    if (m_limits.isEmpty())
        return;
    const auto gridOf = [](const QWidget *control) {
        return control && control->parentWidget() ? qobject_cast<QGridLayout *>(control->parentWidget()->layout())
                                                  : nullptr;
    };
    QMap<std::pair<const QObject *, int>, int> judgedInRow;
    for (const JudgedField &j : fields) {
        QGridLayout *grid = gridOf(j.control);
        const int at = grid && m_limits.contains(j.field) ? grid->indexOf(j.control) : -1;
        if (at < 0)
            continue;
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(at, &row, &column, &rowSpan, &columnSpan);
        if (++judgedInRow[{grid, row}] > 1)
            m_sharedRows.insert(grid);
    }
    // The fields of such a grid without limits keep an empty flag, so the cells stay aligned.
    for (const JudgedField &j : fields) {
        QGridLayout *grid = gridOf(j.control);
        if (grid && m_sharedRows.contains(grid) && !m_limits.contains(j.field) && grid->indexOf(j.control) >= 0)
            labelBeside(j.control);
    }
    for (Recordset rs = db.lookup(Command("Laboratory..Lab_Get_CriticalCalls '") << requestNum << "'"); !rs.eof();
         rs.moveNext())
        m_called.insert(rs.field(QStringLiteral("Field")).toStringOr().trimmed(),
                        rs.field(QStringLiteral("ResultValue")).toStringOr().trimmed());
    for (const JudgedField &j : fields) {
        // A row the screen hides for this laboratory section shows no flag either.
        if (!m_limits.contains(j.field) || !j.control || j.control->isHidden())
            continue;
        onJudgedTextChanged(j, this, [this, j] { show(j); });
        show(j);
    }
}

labdb::Flag ResultFlags::flagOf(const JudgedField &field) const
{
    const auto it = m_limits.constFind(field.field);
    if (it == m_limits.constEnd())
        return labdb::Flag::None;
    return labdb::judge(judgedText(field.control).toStdString(), it->limits);
}

void ResultFlags::show(const JudgedField &field)
{
    QLabel *label = labelBeside(field.control);
    const labdb::Flag flag = flagOf(field);
    const QString text = QString::fromStdString(labdb::flagText(flag));
    label->setText(text);
    // Bold and boxed for critical values: the flag reads in black and white too.
    label->setStyleSheet(labdb::isCritical(flag)
                             ? QStringLiteral("QLabel { font-weight: bold; color: #b00000; border: 2px solid #b00000; "
                                              "padding: 0px 2px; }")
                             : QStringLiteral("QLabel { font-weight: bold; color: #b00000; }"));
    label->setToolTip(text.isEmpty() ? QString()
                                     : labdb::isCritical(flag) ? QStringLiteral("Critical value")
                                                               : QStringLiteral("Outside the reference interval"));
}

QLabel *ResultFlags::labelBeside(QWidget *control)
{
    if (QLabel *existing = m_labels.value(control))
        return existing;
    const QString name = control->objectName();
    const int underscore = name.lastIndexOf(QLatin1Char('_'));
    auto *label = new QLabel(control->parentWidget());
    label->setObjectName(QStringLiteral("lblFlag") + (underscore >= 0 ? name.mid(underscore) : QLatin1Char('_') + name));
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("HH")) + 8);
    // In the field's row, after its other columns; elsewhere just right of the field.
    auto *grid = control->parentWidget() ? qobject_cast<QGridLayout *>(control->parentWidget()->layout()) : nullptr;
    const int at = grid ? grid->indexOf(control) : -1;
    if (at >= 0 && m_sharedRows.contains(grid)) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(at, &row, &column, &rowSpan, &columnSpan);
        // The field and its flag share the field's cell, so neighbours' flags cannot meet.
        grid->removeWidget(control);
        auto *cell = new QHBoxLayout;
        cell->setSpacing(2);
        cell->addWidget(control, 1);
        cell->addWidget(label);
        grid->addLayout(cell, row, column, rowSpan, columnSpan);
    } else if (at >= 0) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(at, &row, &column, &rowSpan, &columnSpan);
        // One column for the flags of a grid, right after its last column that holds anything.
        if (!m_flagColumns.contains(grid)) {
            int used = -1;
            for (int i = 0; i < grid->count(); ++i) {
                QLayoutItem *item = grid->itemAt(i);
                if (!item->widget() && !item->layout())
                    continue;
                int r = 0, c = 0, rs = 0, cs = 0;
                grid->getItemPosition(i, &r, &c, &rs, &cs);
                used = std::max(used, c + cs - 1);
            }
            const int flags = used + 1;
            // An empty stretching column the design ends with stays last, after the flag and the
            // delta mark that may follow it, so both sit beside the field's unit.
            if (const int stretch = grid->columnStretch(flags); stretch > 0) {
                grid->setColumnStretch(flags, 0);
                grid->setColumnStretch(flags + 2, stretch);
            }
            m_flagColumns.insert(grid, flags);
        }
        grid->addWidget(label, row, m_flagColumns.value(grid));
    } else {
        label->move(control->geometry().right() + 4, control->y());
    }
    label->show();
    m_labels.insert(control, label);
    return label;
}

QString ResultFlags::captionOf(const QWidget *control) const
{
    for (const QLabel *l : m_screen.findChildren<QLabel *>()) {
        if (l->buddy() == control)
            return l->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')).trimmed();
    }
    return control->objectName();
}

QList<CriticalValue> ResultFlags::uncalledCriticals() const
{
    QList<CriticalValue> out;
    for (const JudgedField &j : m_fields) {
        const labdb::Flag flag = flagOf(j);
        if (!labdb::isCritical(flag))
            continue;
        const QString value = judgedText(j.control).trimmed();
        if (m_called.contains(j.field) && m_called.value(j.field) == value)
            continue;
        const FieldLimits f = m_limits.value(j.field);
        out.append({j.field, captionOf(j.control), value,
                    flag == labdb::Flag::CriticalLow ? QStringLiteral("< ") + f.criticalLow
                                                     : QStringLiteral("> ") + f.criticalHigh});
    }
    return out;
}

void ResultFlags::markCalled(const QList<CriticalValue> &values)
{
    for (const CriticalValue &v : values)
        m_called.insert(v.field, v.value);
}

} // namespace corvane
