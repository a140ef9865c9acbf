#pragma once
// Gram stain (and KOH mount) of a smear: specimen source, the result with its quick texts, cell
// counts per low-power field, the organisms by morphology, remarks, and whether the specimen is
// sent out. The findings sit in their own table, not in the shared result row.

#include "forms/common/resultfields.h"
#include "forms/common/resultform.h"

namespace Ui {
class frmGramStain;
}

namespace corvane {

class frmGramStain : public ResultForm {
    Q_OBJECT

public:
    explicit frmGramStain(QWidget *parent = nullptr);
    ~frmGramStain() override;

    void Fill_Results() override;

    // The text a function key adds to the result box (Shift+F1 has its own), or an empty text for
    // a key without one.
    static QString quickText(int key, Qt::KeyboardModifiers modifiers);

protected:
    void loadHook() override;
    bool fillsHeaderFromStorage() const override { return false; }
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    QList<Command> saveCommands(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    void showSendOuts();

    std::unique_ptr<Ui::frmGramStain> ui;
    ResultFields m_results;
    bool m_sendOutsShown = false;
};

} // namespace corvane
