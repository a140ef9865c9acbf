#pragma once
// The executive check-up package: its tests with results, flags and remarks, the blood count, the
// urinalysis and the stool examination. The host's selector chooses the package.

#include "forms/packages/packageform.h"

#include <memory>

namespace Ui {
class frmExecutive;
}

namespace corvane {

class frmExecutive : public PackageForm {
    Q_OBJECT

public:
    explicit frmExecutive(QWidget *parent = nullptr);
    ~frmExecutive() override;

    // The package of a host selector: 0 to 3; any other selector has none.
    static QString packageFor(int selector);

protected:
    QString choosePackageCode() const override;

private:
    std::unique_ptr<Ui::frmExecutive> ui;
};

} // namespace corvane
