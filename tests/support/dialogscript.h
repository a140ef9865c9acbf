#pragma once
// Drives modal windows in tests: each window the component runs modally is shown (offscreen),
// activated, and handed to the next script queued under its object name; what the script leaves
// open is closed as rejected. Messages are answered and recorded by the scripted seam.

#include "services/ui/scriptedseam.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMap>
#include <QString>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace testsupport {

class DialogScript {
public:
    using Script = std::function<void(QDialog &)>;

    DialogScript() : m_scope(m_seam)
    {
        m_seam.setDialogHandler([this](QDialog &dialog) { return run(dialog); });
    }

    void expect(const QString &objectName, Script script) { m_scripts[objectName].push_back(std::move(script)); }
    corvane::ScriptedUiSeam &seam() { return m_seam; }
    // Scripts queued but never used.
    int pending() const
    {
        int n = 0;
        for (const auto &queue : m_scripts)
            n += static_cast<int>(queue.size());
        return n;
    }

private:
    int run(QDialog &dialog)
    {
        QWidget *previous = QApplication::activeWindow();
        const int result = runScript(dialog);
        if (previous) { // the window below gets the keyboard back, as after a real modal
            previous->activateWindow();
            QApplication::processEvents();
        }
        return result;
    }

    int runScript(QDialog &dialog)
    {
        dialog.show();
        dialog.activateWindow();
        QApplication::processEvents();
        auto &queue = m_scripts[dialog.objectName()];
        if (!queue.empty()) {
            Script script = std::move(queue.front());
            queue.pop_front();
            script(dialog);
        }
        if (dialog.isVisible())
            dialog.reject();
        return dialog.result();
    }

    corvane::ScriptedUiSeam m_seam;
    corvane::ScopedUiSeam m_scope;
    QMap<QString, std::deque<Script>> m_scripts;
};

// A child control of a window by its object name; fails the test when it is missing.
template <class W>
W *control(QWidget &window, const char *name)
{
    W *w = window.findChild<W *>(QString::fromLatin1(name));
    if (!w)
        ADD_FAILURE() << "no control " << name << " on " << window.objectName().toStdString();
    return w;
}

// The text of a line edit of a window.
inline QString textOf(QWidget &window, const char *name)
{
    const QLineEdit *box = control<QLineEdit>(window, name);
    return box ? box->text() : QStringLiteral("<no control>");
}

} // namespace testsupport
