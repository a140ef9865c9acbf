#pragma once
// Runs work once, when the named window is first shown: another workstation acting while the
// screen is open (the lost-update tests).

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QString>

#include <functional>
#include <utility>

namespace e2e {

class OnShow : public QObject {
public:
    OnShow(QString window, std::function<void()> work) : m_window(std::move(window)), m_work(std::move(work))
    {
        qApp->installEventFilter(this);
    }
    ~OnShow() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_work && event->type() == QEvent::Show && watched->objectName() == m_window)
            std::exchange(m_work, nullptr)();
        return false;
    }

private:
    QString m_window;
    std::function<void()> m_work;
};

} // namespace e2e
