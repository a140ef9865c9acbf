#pragma once
// The laboratory's urinalysis reference ranges: male and female values of ten counts, kept as
// the laboratory writes them (free text) as the counts' reference intervals, judged by and printed
// with the results.

#include <QDialog>
#include <QList>

#include <memory>

class QLineEdit;

namespace Ui {
class frmUrinalysisRefRange;
}

namespace corvane {

class frmUrinalysisRefRange : public QDialog {
    Q_OBJECT

public:
    explicit frmUrinalysisRefRange(QWidget *parent = nullptr);
    ~frmUrinalysisRefRange() override;

    // Loads the ranges and shows the dialog modally; true when they were updated. A failing read
    // is reported and the dialog stays closed; the screen underneath keeps what was typed on it.
    static bool edit(QWidget *parent);

    QLineEdit *txtRefRange(int k) const { return m_boxes.value(k); }

private:
    void Form_Load();
    void update();

    std::unique_ptr<Ui::frmUrinalysisRefRange> ui;
    QList<QLineEdit *> m_boxes;
};

} // namespace corvane
