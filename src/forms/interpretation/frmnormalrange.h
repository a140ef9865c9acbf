#pragma once
// Fixed sets of numeric results, one sub-screen per kind: prothrombin time, Coombs test, bleeding
// and clotting time, thyroid function, hormones and prostate-specific antigen.

#include "forms/common/resultform.h"

#include <array>

namespace Ui {
class frmNormalRange;
}

namespace corvane {

class frmNormalRange : public ResultForm {
    Q_OBJECT

public:
    // The stored fields, in the order the save procedure takes them.
    static constexpr int kSlots = 21;

    explicit frmNormalRange(QWidget *parent = nullptr);
    ~frmNormalRange() override;

    // The sub-screen shown: the stored result's, else the host's selector.
    int subScreen() const { return m_subScreen; }

protected:
    void loadHook() override;
    Command resultQuery() const override;
    void fillResultFields(const Recordset &row) override;
    Command saveCommand(int flag, const SaveTexts &texts) const override;
    ReportRequest report() const override;
    QString accessionPrompt() const override;
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    void showSubScreen(int number);
    QString slotText(int slot) const;
    void setSlotText(int slot, const QString &text);
    // The frame holding a slot's box; -1 for none.
    static int frameOf(int slot);

    std::unique_ptr<Ui::frmNormalRange> ui;
    std::array<QWidget *, kSlots> m_slots{};
    QList<QWidget *> m_frames;
    int m_subScreen = 0;
};

} // namespace corvane
