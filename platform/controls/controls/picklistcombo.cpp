#include "controls/picklistcombo.h"

#include <QCompleter>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <stdexcept>

namespace corvane {

PickListCombo::PickListCombo(QWidget *parent) : QComboBox(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    setMaxVisibleItems(15);
    setFreeText(true);
}

PickListCombo::~PickListCombo() = default;

void PickListCombo::connectTo(std::shared_ptr<PickListSource> source, const QString &database)
{
    m_source = std::move(source);
    m_database = database;
}

void PickListCombo::load(const QString &procedure, const QString &mode, const QString &listNumber)
{
    if (!m_source)
        throw std::logic_error("PickListCombo " + objectName().toStdString() + ": load before connectTo");
    const QStringList values = m_source->values(m_database, procedure, mode, listNumber);
    const QString shown = text();
    {
        const QSignalBlocker quiet(this);
        for (const QString &value : values) {
            if (findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
                addItem(value);
        }
    }
    setText(shown);
}

// Typed letters keep their case while the completion runs; an entry found that way is the
// entry, in the list's own spelling.
int PickListCombo::entryOf(const QString &typed) const
{
    return typed.isEmpty() ? -1 : findText(typed, Qt::MatchFixedString);
}

QString PickListCombo::text() const
{
    const QString shown = currentText();
    const int index = isEditable() ? entryOf(shown) : -1;
    return index >= 0 ? itemText(index) : shown;
}

void PickListCombo::focusOutEvent(QFocusEvent *event)
{
    const int index = isEditable() ? entryOf(currentText()) : -1;
    if (index >= 0 && itemText(index) != currentText()) {
        setCurrentIndex(index);
        setEditText(itemText(index));
    }
    QComboBox::focusOutEvent(event);
}

void PickListCombo::setText(const QString &text)
{
    const int index = text.isEmpty() ? -1 : findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) {
        setCurrentIndex(index);
        return;
    }
    setCurrentIndex(-1);
    if (isEditable()) {
        setEditText(text);
        lineEdit()->setCursorPosition(0);
    } else if (!text.isEmpty()) {
        // A pick-only list still shows a stored value it no longer offers.
        insertItem(0, text);
        setCurrentIndex(0);
    }
}

void PickListCombo::setFreeText(bool allowed)
{
    const QString shown = text();
    setEditable(allowed);
    if (allowed) {
        // Typed text is the value; it never becomes a list entry of its own.
        setInsertPolicy(QComboBox::NoInsert);
        useCompleter();
    }
    setText(shown);
}

// Typing finds: the first entry that starts with what was typed is completed in place (any
// case), so Enter or Tab takes it and Delete drops the completion to keep free text.
void PickListCombo::useCompleter()
{
    auto *completer = new QCompleter(model(), this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::InlineCompletion);
    completer->setFilterMode(Qt::MatchStartsWith);
    setCompleter(completer);
}

// A wheel turned while scrolling past the screen must not change a result.
void PickListCombo::wheelEvent(QWheelEvent *event)
{
    if (hasFocus())
        QComboBox::wheelEvent(event);
    else
        event->ignore();
}

} // namespace corvane
