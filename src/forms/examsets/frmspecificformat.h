#pragma once
// Exams laid out in fixed columns (format code "4"), such as a glucose tolerance test: one line per
// timed sample, entered in the exam-entry list.

#include "forms/examsets/examsetform.h"

namespace Ui {
class frmSpecificFormat;
}

namespace corvane {

class frmSpecificFormat : public ExamSetForm {
    Q_OBJECT

public:
    explicit frmSpecificFormat(QWidget *parent = nullptr);
    ~frmSpecificFormat() override;

protected:
    void setupByFormat() override;
    QString progressCaption(int line) const override;

private:
    std::unique_ptr<Ui::frmSpecificFormat> ui;
};

} // namespace corvane
