#pragma once
// The fixed pages of the package screens: blood count, urinalysis and stool examination. Each is
// laid out once and placed on both screens; the screen reaches its boxes by name.

#include <QWidget>

#include <memory>

namespace Ui {
class BloodCountPage;
class UrinalysisPage;
class StoolPage;
} // namespace Ui

namespace corvane {

class BloodCountPage : public QWidget {
    Q_OBJECT

public:
    explicit BloodCountPage(QWidget *parent = nullptr);
    ~BloodCountPage() override;

    // Rows 16 to 20 (RBC, MPV, RDW, reticulocytes, ESR) belong to the panel's count only.
    void showPanelRows(bool shown);

private:
    std::unique_ptr<Ui::BloodCountPage> ui;
};

class UrinalysisPage : public QWidget {
    Q_OBJECT

public:
    explicit UrinalysisPage(QWidget *parent = nullptr);
    ~UrinalysisPage() override;

private:
    std::unique_ptr<Ui::UrinalysisPage> ui;
};

class StoolPage : public QWidget {
    Q_OBJECT

public:
    explicit StoolPage(QWidget *parent = nullptr);
    ~StoolPage() override;

private:
    std::unique_ptr<Ui::StoolPage> ui;
};

} // namespace corvane
