#pragma once
// Which result-entry screen an exam opens, from its two format codes and the host's selector.

#include <QString>
#include <QStringList>

namespace corvane {

struct Dispatch {
    enum class Kind {
        Screen,  // open `screen`
        Message, // "Exam not yet formatted."
        Silent,  // return without a word
    };
    Kind kind = Kind::Message;
    QString screen;

    bool operator==(const Dispatch &) const = default;
};

// Codes compare as exact, case-sensitive strings; the first matching row of the table wins.
Dispatch chooseScreen(const QString &formType, const QString &valueType, qint16 intResult);
// Every screen the table can open, once each, in table order.
QStringList dispatchScreenNames();
// The message box for codes the table does not format.
void showExamNotFormatted();

} // namespace corvane
