#pragma once
// Estrogen and progesterone receptor status by immunohistochemistry: extent and intensity scores
// with their totals, the pathologist's final interpretation, block and positive controls.

#include "forms/bloodbank/receptorform.h"
#include "forms/common/resultfields.h"

#include <memory>

class QLabel;
class QLineEdit;

namespace Ui {
class frmERAPRA;
}

namespace corvane {

class frmERAPRA : public ReceptorForm {
    Q_OBJECT

public:
    explicit frmERAPRA(QWidget *parent = nullptr);
    ~frmERAPRA() override;

protected:
    void loadHook() override;
    QStringList results() const override;
    void showResults(const QStringList &results) override;
    QString reportFile() const override { return QStringLiteral("LabPrint_ERAPRA.RPT"); }
    bool keyHook(QObject *watched, QKeyEvent *key) override;

private:
    // One receptor's row: extent percentage, extent score, intensity score and word, total.
    struct Row {
        QLineEdit *percent;
        QLineEdit *extent;
        QLineEdit *intensity;
        QLineEdit *word;
        QLabel *total;
    };
    void wire(const Row &row);
    // A stored extent: "NO STAINING" is an extent score of 0, anything else a percentage.
    static void showExtent(const Row &row, const QString &stored);

    std::unique_ptr<Ui::frmERAPRA> ui;
    ResultFields m_txtResult;
    Row m_estrogen;
    Row m_progesterone;
};

} // namespace corvane
