#pragma once
// Panel packages (pre-employment and the like): their tests with one result each, the blood count
// and the urinalysis. Some packages report no blood count or no urinalysis.

#include "forms/packages/packageform.h"

#include <memory>

namespace Ui {
class frmPanel;
}

namespace corvane {

class frmPanel : public PackageForm {
    Q_OBJECT

public:
    explicit frmPanel(QWidget *parent = nullptr);
    ~frmPanel() override;

protected:
    QString choosePackageCode() const override;
    void preparePages(const QString &code) override;

private:
    std::unique_ptr<Ui::frmPanel> ui;
};

} // namespace corvane
