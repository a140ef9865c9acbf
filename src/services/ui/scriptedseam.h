#pragma once
// An IUiSeam that answers from a script and remembers what was shown, for tests and unattended
// runs. Unscripted messages get the box's first button (the lowest standard button: OK, Yes,
// Abort); unscripted input boxes are cancelled; unscripted modal windows are closed at once as
// rejected.

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
    // The next input box gets this text (nothing: it is cancelled).
    void queueInput(const std::optional<QString> &text) { m_inputs.push_back({text.has_value(), text.value_or(QString())}); }

    const QList<Shown> &messages() const { return m_messages; }
    const QList<InputRequest> &inputs() const { return m_inputRequests; }
    // objectName of each dialog run modally (its class name when it has none).
    const QStringList &dialogs() const { return m_dialogs; }
    void clear();

    QMessageBox::StandardButton message(const MessageRequest &request) override;
    int modal(QDialog &dialog) override;
    std::optional<QString> input(const InputRequest &request) override;

private:
    std::deque<QMessageBox::StandardButton> m_answers;
    std::deque<std::pair<bool, QString>> m_inputs; // typed, and what
    DialogHandler m_dialogHandler;
    QList<InputRequest> m_inputRequests;
    QList<Shown> m_messages;
    QStringList m_dialogs;
};

} // namespace corvane
