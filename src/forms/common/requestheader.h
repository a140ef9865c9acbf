#pragma once
// The request and patient lines at the top of every result-entry screen.

#include <QWidget>

#include <memory>

namespace Ui {
class RequestHeader;
}

namespace corvane {

class SessionContext;

class RequestHeader : public QWidget {
    Q_OBJECT

public:
    explicit RequestHeader(QWidget *parent = nullptr);
    ~RequestHeader() override;

    void show(const SessionContext &session);

private:
    std::unique_ptr<Ui::RequestHeader> ui;
};

} // namespace corvane
