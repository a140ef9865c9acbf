#pragma once
// The call that reports critical values before they are saved: who was told, where, when, and
// that the recipient read the values back.

#include "forms/common/resultflags.h"

#include <QDateTime>
#include <QDialog>

#include <optional>

#include <memory>

namespace Ui {
class frmCriticalCall;
}

namespace corvane {

struct CriticalCallEntry {
    QList<CriticalValue> values;
    QString person;
    QString ward;
    QDateTime callTime;
};

class frmCriticalCall : public QDialog {
    Q_OBJECT

public:
    frmCriticalCall(const QList<CriticalValue> &values, const QDateTime &serverNow, QWidget *parent = nullptr);
    ~frmCriticalCall() override;

    // The call as entered; nothing when it was cancelled.
    std::optional<CriticalCallEntry> runModal();

private:
    void updateOk();

    std::unique_ptr<Ui::frmCriticalCall> ui;
    QList<CriticalValue> m_values;
};

} // namespace corvane
