#pragma once
// An IUiSeam that answers from a script and remembers what was shown, for tests and unattended
// runs. Unscripted messages get the box's first button (the lowest standard button: OK, Yes,
// Abort); unscripted modal windows are closed at once as rejected.

#include "services/ui/messagebox.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <functional>

namespace corvane {

class ScriptedUiSeam : public IUiSeam {
public:
    struct Shown {
        MessageRequest request;
        QMessageBox::StandardButton answer = QMessageBox::NoButton;
    };
    // Given the dialog while it is "modal"; returns its result code.
    using DialogHandler = std::function<int(QDialog &)>;

    void queueAnswer(QMessageBox::StandardButton answer) { m_answers.push_back(answer); }
    void setDialogHandler(DialogHandler handler) { m_dialogHandler = std::move(handler); }

    const QList<Shown> &messages() const { return m_messages; }
    // objectName of each dialog run modally (its class name when it has none).
    const QStringList &dialogs() const { return m_dialogs; }
    void clear();

    QMessageBox::StandardButton message(const MessageRequest &request) override;
    int modal(QDialog &dialog) override;

private:
    std::deque<QMessageBox::StandardButton> m_answers;
    DialogHandler m_dialogHandler;
    QList<Shown> m_messages;
    QStringList m_dialogs;
};

} // namespace corvane
