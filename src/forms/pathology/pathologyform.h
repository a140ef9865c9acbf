#pragma once
// What the anatomic pathology screens share beyond the common lifecycle: the reader, physician and
// resident boxes with their doctor lookups, the conforme pathologist, the report's own number in
// place of the sample number, the page keys, the supplemental-report buttons, and a pathologist's
// sign-off.
//
// Rich-text boxes hold plain text: what is typed is what is stored and read back, character for
// character (line breaks as "\n"); formatting is not kept, because the report lays the text out.

#include "forms/common/conforme.h"
#include "forms/common/resultform.h"

#include <memory>

class QCheckBox;
class QLineEdit;
class QTabWidget;
class QTextEdit;

namespace corvane {

// "1|note" -> checked and "note"; the number before the bar sets the box.
struct SourceValue {
    bool checked = false;
    QString note;
};
SourceValue splitSourceValue(const QString &stored);

class PathologyForm : public ResultForm {
    Q_OBJECT

protected:
    using ResultForm::ResultForm;

    // After setupUi: the common wiring and the pathology controls found on the screen.
    void initPathology();

    // Opening: page 0, the report time, the doctors from the request, the focus.
    void loadHook() override;
    // The received and completed pickers take the server clock when the screen opens; screens
    // that take them from their new-result defaults say false.
    virtual bool receivedFromServerClock() const { return true; }
    // A new result: the report time from the server, the report's texts empty.
    void fillNewResult(const QDateTime &today) override;
    // The boxes the new-result defaults empty.
    virtual QList<QWidget *> emptiedWhenNew() const = 0;
    // The report's own number box (txtHistopathNum, txtCytology).
    virtual QLineEdit *numberBox() const = 0;

    bool keyHook(QObject *watched, QKeyEvent *key) override;
    // No sample number here: the report's number is checked on its own (txtHistopathNum).
    QString accessionPrompt() const override { return QStringLiteral("You have to fill-in the HISTOPATH NUMBER first."); }
    bool eventFilter(QObject *watched, QEvent *event) override;

    // The stored conforme, shown without opening the search.
    void showStoredConforme(const QString &conforme, const QString &pathologist, const QString &signature)
    {
        m_conforme->showStored(conforme, pathologist, signature);
    }
    Conforme &conforme() const { return *m_conforme; }
    QString conformeValue() const { return m_conforme->conformeValue(); }
    QString signatureValue() const { return m_conforme->signatureValue(); }
    QString conformePathologist() const { return m_conforme->pathologist(); }
    QString text(const char *name) const;
    void setText(const char *name, const QString &value);
    // "True" / "False": the running command's verify flag as the reports take it.
    QString verifyFlag() const { return withVerifier() ? QStringLiteral("True") : QStringLiteral("False"); }

    // The first save's logbook row: received, completed, the report's number and the reader.
    LogbookEntry logbookEntry() const override;

    // A pathologist signs: the paper size is offered, the technologists' entries are not.
    void preparePathologistSignOff(frmMedTech &signOff);

private:
    struct DoctorBoxes {
        QLineEdit *id;
        QLineEdit *name;
        bool freeName; // an ID of "0" unlocks the name for a doctor not in the master file
    };
    void lookUpDoctor(const DoctorBoxes &boxes, const QString &text);
    void enterDoctor(const DoctorBoxes &boxes);
    bool validateNumber();
    void showPage(int index);
    void focusPageText(int index);
    QTabWidget *tabs() const;

    QList<DoctorBoxes> m_doctors;
    std::unique_ptr<Conforme> m_conforme;
};

} // namespace corvane
