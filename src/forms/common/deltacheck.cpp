#include "forms/common/deltacheck.h"

#include "services/database/connection.h"
#include "session/sessioncontext.h"

#include <labdb/normalvalues.h>

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>

#include <utility>

namespace corvane {

namespace {

std::optional<double> number(const Field &f)
{
    const QString text = f.isNull() ? QString() : f.toStringOr().trimmed();
    return text.isEmpty() ? std::nullopt : labdb::numericValue(text.toStdString());
}

QString text(const Recordset &rs, const char *name)
{
    return rs.field(QLatin1String(name)).toStringOr().trimmed();
}

} // namespace

DeltaCheck::DeltaCheck(QWidget &screen) : QObject(&screen), m_screen(screen)
{
    // The status line follows the field the technologist is in.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        const auto tip = m_tips.constFind(now);
        if (tip != m_tips.constEnd() && !tip->isEmpty())
            setStatus(*tip);
    });
}

void DeltaCheck::load(const QString &requestNum)
{
    stopWatching(m_fields, this);
    for (QLabel *label : std::as_const(m_labels)) {
        label->clear();
        label->setToolTip(QString());
    }
    m_fields.clear();
    m_tips.clear();
    m_previous.clear();
    m_statusKey.clear();
    m_firstKey.clear();
    m_firstText.clear();
    setStatus(QString());
    Connection &db = SessionContext::current().db();
    for (Recordset rs = db.lookup(Command("Laboratory..Lab_Get_DeltaPrevious '") << requestNum << "'"); !rs.eof();
         rs.moveNext()) {
        Previous p{text(rs, "ExamCode"),      text(rs, "Field"),        text(rs, "PreviousRequestNum"),
                   text(rs, "PreviousValue"), text(rs, "PreviousDate"), text(rs, "PreviousAt"),
                   {number(rs.field(QStringLiteral("AbsoluteChange"))), number(rs.field(QStringLiteral("PercentChange")))}};
        m_previous.insert(p.field.isEmpty() ? p.examCode : p.field, p);
    }
}

std::optional<SeenDelta> DeltaCheck::deltaOf(const QString &key, const QString &value) const
{
    const auto it = m_previous.constFind(key);
    if (it == m_previous.constEnd())
        return std::nullopt;
    const std::string before = it->value.toStdString();
    const std::string now = value.toStdString();
    const auto delta = labdb::deltaBeyond(before, now, it->rule);
    if (!delta)
        return std::nullopt;
    return SeenDelta{it->examCode,
                     it->field,
                     it->requestNum,
                     it->value,
                     it->date,
                     it->at,
                     value.trimmed(),
                     QString::fromStdString(labdb::changeText(*delta, before, now)),
                     QString::fromStdString(labdb::deltaText(before, it->date.toStdString(), now, *delta))};
}

void DeltaCheck::noteJudged(const QString &key, const std::optional<SeenDelta> &delta)
{
    if (delta && m_firstKey.isEmpty()) {
        m_firstKey = key;
        m_firstText = delta->text;
    }
    if (delta) {
        setStatus(delta->text);
        m_statusKey = key;
    } else if (key == m_statusKey) {
        setStatus(QString());
        m_statusKey.clear();
    }
}

void DeltaCheck::watch(const QList<JudgedField> &fields)
{
    // Watched again when a screen reads its limits anew: nothing stays wired twice.
    stopWatching(m_fields, this);
    m_fields.clear();
    for (const JudgedField &j : fields) {
        if (!m_previous.contains(j.field) || !j.control || j.control->isHidden())
            continue;
        m_fields.append(j);
        onJudgedTextChanged(j, this, [this, j] { show(j); });
    }
    for (const JudgedField &j : std::as_const(m_fields))
        show(j);
    // The first delta of the filled screen stands in the status line until another is judged.
    if (!m_firstKey.isEmpty()) {
        setStatus(m_firstText);
        m_statusKey = m_firstKey;
    }
}

void DeltaCheck::show(const JudgedField &field)
{
    const std::optional<SeenDelta> delta = deltaOf(field.field, judgedText(field.control));
    QLabel *label = labelBeside(field.control);
    label->setText(delta ? QStringLiteral("\u0394") : QString());
    label->setToolTip(delta ? delta->text : QString());
    m_tips.insert(field.control, delta ? delta->text : QString());
    field.control->setToolTip(delta ? delta->text : QString());
    noteJudged(field.field, delta);
}

QLabel *DeltaCheck::labelBeside(QWidget *control)
{
    if (QLabel *existing = m_labels.value(control))
        return existing;
    const QString name = control->objectName();
    const int underscore = name.lastIndexOf(QLatin1Char('_'));
    const QString suffix = underscore >= 0 ? name.mid(underscore) : QLatin1Char('_') + name;
    auto *label = new QLabel(control->parentWidget());
    label->setObjectName(QStringLiteral("lblDelta") + suffix);
    // Bold and black: a glyph, not a colour, carries it, so it reads in black and white too.
    label->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: black; }"));
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("\u0394")) + 6);
    auto *grid = control->parentWidget() ? qobject_cast<QGridLayout *>(control->parentWidget()->layout()) : nullptr;
    const int at = grid ? grid->indexOf(control) : -1;
    if (at >= 0) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(at, &row, &column, &rowSpan, &columnSpan);
        // Right after the field's flag when it has one, else after the grid's columns.
        int deltaColumn = grid->columnCount();
        if (auto *flag = control->parentWidget()->findChild<QLabel *>(QStringLiteral("lblFlag") + suffix,
                                                                       Qt::FindDirectChildrenOnly)) {
            const int flagAt = grid->indexOf(flag);
            if (flagAt >= 0) {
                int r = 0, c = 0, rs = 0, cs = 0;
                grid->getItemPosition(flagAt, &r, &c, &rs, &cs);
                deltaColumn = c + 1;
            }
        }
        grid->addWidget(label, row, deltaColumn);
    } else {
        label->move(control->geometry().right() + 28, control->y());
    }
    label->show();
    m_labels.insert(control, label);
    return label;
}

// Below the screen's other controls, hidden while there is nothing to say: a screen without a
// delta looks as it always did.
void DeltaCheck::setStatus(const QString &text)
{
    if (!m_status) {
        m_status = new QLabel(&m_screen);
        m_status->setObjectName(QStringLiteral("lblDeltaStatus"));
        m_status->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; }"));
        if (auto *box = qobject_cast<QBoxLayout *>(m_screen.layout()))
            box->addWidget(m_status);
        else
            m_status->setGeometry(8, m_screen.height() - 24, m_screen.width() - 16, 20);
    }
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

void DeltaCheck::save(Connection &db, const QList<DeltaValue> &values, const QString &requestNum,
                      const QString &employeeCode) const
{
    for (const DeltaValue &v : values) {
        const std::optional<SeenDelta> d = deltaOf(v.key, v.value);
        if (!d)
            continue;
        db.execute(Command("Laboratory..Lab_Save_DeltaCheck '")
                   << (v.requestNum.isEmpty() ? requestNum : v.requestNum) << "', '" << d->examCode << "', '"
                   << d->field << "', '" << d->previousRequest << "', '" << d->previousValue << "', '"
                   << d->previousAt << "', '" << d->value << "', '" << d->change << "', '" << employeeCode << "'");
    }
}

} // namespace corvane
