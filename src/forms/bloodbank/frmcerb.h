#pragma once
// c-erbB-2 (HER2/neu) membrane staining score by immunohistochemistry with the final
// interpretation, block and positive control.

#include "forms/bloodbank/receptorform.h"

#include <memory>

namespace Ui {
class frmCerb;
}

namespace corvane {

class frmCerb : public ReceptorForm {
    Q_OBJECT

public:
    explicit frmCerb(QWidget *parent = nullptr);
    ~frmCerb() override;

protected:
    void loadHook() override;
    QStringList results() const override;
    void showResults(const QStringList &results) override;
    QString reportFile() const override { return QStringLiteral("LabPrint_Cerb.RPT"); }

private:
    std::unique_ptr<Ui::frmCerb> ui;
};

} // namespace corvane
