#pragma once
// Creates result-entry screens by name ("frmAPTT", "frmStone" ...). Each screen registers itself;
// a name nobody registered is an error the host sees, never a silent no-op.

#include "host/resultscreen.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace corvane {

class ScreenFactory {
public:
    using Factory = std::function<std::unique_ptr<ResultScreen>()>;

    // A later registration under the same name replaces the earlier one.
    static void registerScreen(const QString &name, Factory factory);
    static void unregisterScreen(const QString &name);
    static bool isRegistered(const QString &name);
    static QStringList registeredScreens();
    // Throws ComponentError "The result entry screen <name> is not available in this build."
    static std::unique_ptr<ResultScreen> create(const QString &name);
};

} // namespace corvane
