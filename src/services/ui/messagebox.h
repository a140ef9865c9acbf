#pragma once
// The one way the component shows a message box or runs a modal window. By default they are real
// (QMessageBox, QDialog::exec); a thread can install an IUiSeam to answer them instead, which is
// how tests and scripted runs drive the component and see what it showed.

#include <QMessageBox>
#include <QString>

#include <optional>

class QDialog;

namespace corvane {

struct MessageRequest {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

struct InputRequest {
    QString prompt;
    QString title;
    QString defaultText;
};

class IUiSeam {
public:
    virtual ~IUiSeam() = default;
    // The button that answers the message.
    virtual QMessageBox::StandardButton message(const MessageRequest &request) = 0;
    // The dialog's result code (QDialog::Accepted / Rejected or a done() value).
    virtual int modal(QDialog &dialog) = 0;
    // The text typed into an input box, nothing when it was cancelled. By default the box is a
    // dialog like any other and goes through modal().
    virtual std::optional<QString> input(const InputRequest &request);

protected:
    IUiSeam() = default;
    IUiSeam(const IUiSeam &) = default;
    IUiSeam &operator=(const IUiSeam &) = default;
};

// The calling thread's seam; nullptr restores the real windows. The seam is not owned.
void installUiSeam(IUiSeam *seam);
IUiSeam *installedUiSeam();

// Installs a seam for one scope and puts the previous one back.
class ScopedUiSeam {
public:
    explicit ScopedUiSeam(IUiSeam &seam) : m_previous(installedUiSeam()) { installUiSeam(&seam); }
    ~ScopedUiSeam() { installUiSeam(m_previous); }
    ScopedUiSeam(const ScopedUiSeam &) = delete;
    ScopedUiSeam &operator=(const ScopedUiSeam &) = delete;

private:
    IUiSeam *m_previous;
};

class MessageBox {
public:
    // Shown without an owner window, like every message of the component.
    static QMessageBox::StandardButton show(const QString &text, const QString &title,
                                            QMessageBox::Icon icon = QMessageBox::NoIcon,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);
};

class InputBox {
public:
    // The typed text; empty when the user cancels, as the screens have always read it.
    static QString show(const QString &prompt, const QString &title = QString(),
                        const QString &defaultText = QString());
    // The typed text, or nothing when the user cancels.
    static std::optional<QString> ask(const QString &prompt, const QString &title = QString(),
                                      const QString &defaultText = QString());
};

// Runs the dialog modally and returns its result code.
int showModal(QDialog &dialog);

} // namespace corvane
