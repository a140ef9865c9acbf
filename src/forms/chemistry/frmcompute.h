#pragma once
// The timed-urine computations of the normal-values screen: creatinine clearance (exam "1") and
// 24-hour urine protein (exam "255"), from typed values or the analyser's results.

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

class QLineEdit;

namespace Ui {
class frmCompute;
}

namespace corvane {

class frmCompute : public QDialog {
    Q_OBJECT

public:
    explicit frmCompute(QWidget *parent = nullptr);
    ~frmCompute() override;

    // Set before runModal.
    void setExamCode(int code) { m_examCode = code; }
    void setExamName(const QString &name);
    // "U" + sample number for the urine, "S" + sample number for the serum.
    void setSpecimenIDs(const QString &urine, const QString &serum);

    // Lays the dialog out for the exam, then shows it modally; true when a result was computed.
    bool runModal();

    double result() const { return m_result; }
    // 1 when an input was typed rather than taken from the analyser.
    int manualFlag() const { return m_manual; }

    // The formulas (double precision): clearance = (urine / serum) x (volume / 1440) x 0.0167;
    // protein = concentration x volume. Empty when an input cannot be used.
    static std::optional<double> creatinineClearance(double urine, double serum, double volume);
    static double urineProtein(double concentration, double volume);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool clearance() const { return m_examCode == 1; }
    void layoutForExam();
    void updateCaptions();
    void takeAnalyserResult(QLineEdit *input, const QString &specimen, const QString &testCode);
    bool checkVolume();
    void compute();

    std::unique_ptr<Ui::frmCompute> ui;
    int m_examCode = 0;
    QString m_urine;
    QString m_serum;
    double m_result = 0;
    int m_manual = 0;
    bool m_fromAnalyser1 = false;
    bool m_fromAnalyser2 = false;
};

} // namespace corvane
