#pragma once
// The component's public class: the host creates it (class identity "Corvane.clsResultEntry"),
// says who works in which mode, and calls Show_ResultEntry once per laboratory request.
//
// Every value lands in the thread's SessionContext, not in the object. Creating the object opens
// the shared connection from the per-user settings; a second object created while one is alive
// in the same thread shares that connection, and the last one released closes it.

#include <QObject>
#include <QString>

namespace corvane {

class clsResultEntry : public QObject {
    Q_OBJECT

public:
    // Constant-initialised: other libraries may register classes while statics are still set up.
    static constexpr QLatin1String kClassIdentity{"Corvane.clsResultEntry"};
    static constexpr QLatin1String kCodeSearchIdentity{"Kestrix.clslabexams"};

    // Throws when the connection will not open (an empty Server in the settings, for one).
    explicit clsResultEntry(QObject *parent = nullptr);
    ~clsResultEntry() override;

    // Write-only properties. A host speaking the automation convention passes -1 for true; any
    // non-zero value converts to true.
    void setCanVerify(bool value);
    void setVerifyMode(bool value);
    void setEditMode(bool value);
    void setClerk(bool value);
    void setEntryMode(qint16 value);
    void setEmployeeCode(const QString &value);
    void setEmployeeName(const QString &value);

    // Stores (despite its name) the exam identifier the panel screen reads.
    void Get_ExamID(QString &strGetExamID);

    // Loads the request, opens the screen its exam's format asks for at Top/Left (twips from the
    // desktop's top-left corner) and returns when that screen closes. Errors reach the caller.
    void Show_ResultEntry(QString &RequestNum, qint16 &intResult, qint16 Top = 2350, double Left = 100);
    // A screen that no format code opens (the bacteriology report), shown on a request as
    // Show_ResultEntry shows the screen it chooses.
    void Show_Screen(const QString &screenName, const QString &RequestNum);
};

} // namespace corvane
