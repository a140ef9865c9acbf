#include "services/ui/messagebox.h"

#include <QDialog>

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

int showModal(QDialog &dialog)
{
    if (t_seam)
        return t_seam->modal(dialog);
    return dialog.exec();
}

} // namespace corvane
