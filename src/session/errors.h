#pragma once
// Errors the component raises itself (as opposed to those the database reports).

#include <QString>

#include <stdexcept>

namespace corvane {

class ComponentError : public std::runtime_error {
public:
    explicit ComponentError(const QString &description) : std::runtime_error(description.toStdString()) {}
    QString description() const { return QString::fromStdString(what()); }
};

} // namespace corvane
