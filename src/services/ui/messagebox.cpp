#include "services/ui/messagebox.h"

#include <QDialog>
#include <QInputDialog>

namespace corvane {

namespace {
thread_local IUiSeam *t_seam = nullptr;
} // namespace

void installUiSeam(IUiSeam *seam)
{
    t_seam = seam;
}

IUiSeam *installedUiSeam()
{
    return t_seam;
}

QMessageBox::StandardButton MessageBox::show(const QString &text, const QString &title, QMessageBox::Icon icon,
                                             QMessageBox::StandardButtons buttons)
{
    if (t_seam)
        return t_seam->message(MessageRequest{text, title, icon, buttons});
    QMessageBox box(icon, title, text, buttons);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

namespace {

std::optional<QString> runInputDialog(const InputRequest &request, IUiSeam *seam)
{
    QInputDialog box;
    box.setObjectName(QStringLiteral("InputBox"));
    box.setWindowTitle(request.title);
    box.setLabelText(request.prompt);
    box.setTextValue(request.defaultText);
    const int result = seam ? seam->modal(box) : box.exec();
    if (result != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

} // namespace

std::optional<QString> IUiSeam::input(const InputRequest &request)
{
    return runInputDialog(request, this);
}

std::optional<QString> InputBox::ask(const QString &prompt, const QString &title, const QString &defaultText)
{
    const InputRequest request{prompt, title, defaultText};
    if (t_seam)
        return t_seam->input(request);
    return runInputDialog(request, nullptr);
}

QString InputBox::show(const QString &prompt, const QString &title, const QString &defaultText)
{
    return ask(prompt, title, defaultText).value_or(QString());
}

int showModal(QDialog &dialog)
{
    if (t_seam)
        return t_seam->modal(dialog);
    return dialog.exec();
}

} // namespace corvane
