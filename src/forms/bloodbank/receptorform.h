#pragma once
// What the immunohistochemistry receptor screens (estrogen/progesterone, c-erbB-2) share: the
// case number, the pathologist list, the specimen, and nine result slots stored through the
// receptor result procedures. Each screen says which of its fields fill the nine slots.

#include "forms/common/resultform.h"

#include <QStringList>

class QComboBox;

namespace corvane {

// "Grace U.  Lim, M.D.": a pathologist as the list offers them (two blanks before the last name,
// with or without the middle initial).
QString pathologistListName(const QString &first, const QString &middle, const QString &last);

class ReceptorForm : public ResultForm {
    Q_OBJECT

protected:
    using ResultForm::ResultForm;

    // Result1 .. Result9 as this screen stores them.
    virtual QStringList results() const = 0;
    virtual void showResults(const QStringList &results) = 0;
    virtual QString reportFile() const = 0;

    void loadHook() override;
    Command resultQuery() const override;
    void fillStoredHeader(const Recordset &row) override;
    void fillResultFields(const Recordset &row) override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    // Enter in a one-line box moves on.
    bool keyHook(QObject *watched, QKeyEvent *key) override;

    // A fixed-choice combo showing a stored value, also one its list no longer offers.
    static void showChoice(QComboBox *combo, const QString &value);
};

} // namespace corvane
