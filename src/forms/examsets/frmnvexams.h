#pragma once
// Sets of exams with normal values: every exam of the request on one line of the exam-entry list,
// numeric, a choice such as positive or negative, or text, each with its own range and flag.

#include "forms/examsets/examsetform.h"

namespace Ui {
class frmNVExams;
}

namespace corvane {

class frmNVExams : public ExamSetForm {
    Q_OBJECT

public:
    explicit frmNVExams(QWidget *parent = nullptr);
    ~frmNVExams() override;

protected:
    void setupByFormat() override;
    QString progressCaption(int line) const override;
    bool printsWholePage() const override { return true; }
    bool acceptsCharacter(int line, QChar c) const override;
    bool lineKeyDown(int line, int keyCode) override;
    void prepareSignOff(frmMedTech &signOff) override;

private:
    // The exams whose lines take the words of the common result codes.
    bool takesResultCodes(int line) const;

    std::unique_ptr<Ui::frmNVExams> ui;
};

} // namespace corvane
