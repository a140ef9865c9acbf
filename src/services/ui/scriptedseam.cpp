#include "services/ui/scriptedseam.h"

#include <QDialog>

namespace corvane {

void ScriptedUiSeam::clear()
{
    m_answers.clear();
    m_messages.clear();
    m_inputs.clear();
    m_inputRequests.clear();
    m_dialogs.clear();
}

QMessageBox::StandardButton ScriptedUiSeam::message(const MessageRequest &request)
{
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    } else {
        const auto bits = request.buttons.toInt();
        answer = static_cast<QMessageBox::StandardButton>(bits & -bits);
    }
    m_messages.append(Shown{request, answer});
    return answer;
}

int ScriptedUiSeam::modal(QDialog &dialog)
{
    const QString name = dialog.objectName();
    m_dialogs.append(name.isEmpty() ? QString::fromLatin1(dialog.metaObject()->className()) : name);
    if (m_dialogHandler)
        return m_dialogHandler(dialog);
    dialog.reject();
    return dialog.result();
}

std::optional<QString> ScriptedUiSeam::input(const InputRequest &request)
{
    m_inputRequests.append(request);
    if (m_inputs.empty())
        return std::nullopt;
    const auto [typed, text] = m_inputs.front();
    m_inputs.pop_front();
    if (!typed)
        return std::nullopt;
    return text;
}

} // namespace corvane
