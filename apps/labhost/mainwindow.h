#pragma once
// The host stand-in's worklist: lists the requests, holds the session values a laboratory module
// would set, and opens the result-entry component on the chosen request.

#include <QMainWindow>

#include <memory>

namespace Ui {
class MainWindow;
}
namespace corvane {
class Connection;
class clsResultEntry;
} // namespace corvane

namespace labhost {

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(std::unique_ptr<corvane::Connection> worklistConnection, QWidget *parent = nullptr);
    ~MainWindow() override;

    void refresh();
    // Opens the result entry on the selected row; returns false when nothing was selected.
    bool openSelected();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refreshRow(int row);
    corvane::clsResultEntry &component();

    std::unique_ptr<Ui::MainWindow> ui;
    std::unique_ptr<corvane::Connection> m_db;
    std::unique_ptr<corvane::clsResultEntry> m_component;
};

} // namespace labhost
