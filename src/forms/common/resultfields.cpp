#include "forms/common/resultfields.h"

#include "services/lookups/searchcode.h"
#include "session/sessioncontext.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace corvane {

ResultFields::ResultFields(QWidget &screen, const char *arrayName)
{
    for (int i = 0;; ++i) {
        auto *w = screen.findChild<QWidget *>(QLatin1String(arrayName) + QStringLiteral("_%1").arg(i));
        if (!w)
            break;
        m_fields.append(w);
    }
}

QString ResultFields::text(int i) const
{
    QWidget *w = field(i);
    if (auto *line = qobject_cast<QLineEdit *>(w))
        return line->text();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    if (auto *box = qobject_cast<QPlainTextEdit *>(w))
        return box->toPlainText();
    if (auto *box = qobject_cast<QTextEdit *>(w))
        return box->toPlainText();
    return {};
}

void ResultFields::setText(int i, const QString &text)
{
    QWidget *w = field(i);
    if (auto *line = qobject_cast<QLineEdit *>(w)) {
        line->setText(text);
        line->setCursorPosition(0);
    } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
        combo->setCurrentText(text);
    } else if (auto *box = qobject_cast<QPlainTextEdit *>(w)) {
        box->setPlainText(text);
    } else if (auto *box = qobject_cast<QTextEdit *>(w)) {
        box->setPlainText(text);
    }
}

void ResultFields::fillFromPositions(const Recordset &row)
{
    for (int i = 0; i < count(); ++i)
        setText(i, row.field(i + 1).toStringOr());
}

void ResultFields::appendTo(Command &command, const char *separator) const
{
    for (int i = 0; i < count(); ++i)
        command << text(i) << separator;
}

int ResultFields::indexOf(const QObject *widget) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i] == widget || m_fields[i]->isAncestorOf(qobject_cast<const QWidget *>(widget)))
            return i;
    }
    return -1;
}

ResultFields::KeyResult ResultFields::handleKey(QObject *watched, QKeyEvent *key)
{
    const int index = indexOf(watched);
    if (index < 0)
        return KeyResult::NotOurs;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        return KeyResult::MoveOn;
    if (key->key() == Qt::Key_F9) {
        searchInterpretation(index);
        return KeyResult::Handled;
    }
    return KeyResult::NotOurs;
}

void ResultFields::searchInterpretation(int index)
{
    if (!m_searched) {
        m_filter = text(index);
        m_searched = true;
    }
    qint32 kind = 28;
    QString exam = SessionContext::current().RequestRecord.code;
    QString filter = m_filter;
    const std::optional<SearchRecord> found = SearchCode(kind, exam, filter);
    if (!found)
        return;
    const QString chosen = searchField(*found, QStringLiteral("Interpretation"));
    const QString current = text(index);
    // With no filter a pick adds to what was typed; a filtered pick replaces it.
    setText(index, !current.isEmpty() && m_filter.isEmpty() ? current + QLatin1Char('\n') + chosen : chosen);
    if (m_filterUntilFilled)
        m_searched = false;
}

QList<JudgedField> ResultFields::judgedByPosition(int first, int last) const
{
    QList<JudgedField> out;
    for (int i = first; i <= last && i < count(); ++i)
        out.append({m_fields[i], QStringLiteral("result%1").arg(i + 1)});
    return out;
}

} // namespace corvane
