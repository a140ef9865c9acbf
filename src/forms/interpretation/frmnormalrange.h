#pragma once
// Fixed sets of numeric results, one sub-screen per kind: prothrombin time, Coombs test, bleeding
// and clotting time, thyroid function, hormones, prostate-specific antigen and a thyroid screen.

#include "forms/common/resultform.h"

namespace Ui {
class frmNormalRange;
}

namespace corvane {

class frmNormalRange : public ResultForm {
    Q_OBJECT

public:
    // The stored fields, in the order the save procedure takes them.
    static constexpr int kSlots = 21;
    // Sub-screens 0 to 6 have a frame; 7 to 11 are panels entered elsewhere and only printed here.
    static constexpr int kFrames = 7;

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
    QString boxText(int box) const;
    void setBoxText(int box, const QString &text);

    std::unique_ptr<Ui::frmNormalRange> ui;
    QList<QWidget *> m_boxes; // in the order of the box table
    QList<QWidget *> m_frames;
    int m_subScreen = 0;
};

} // namespace corvane
