#pragma once
// The result-entry screens built into the component, by the names the dispatch table uses.

#include "host/resultscreen.h"

#include <QString>

#include <functional>
#include <memory>

namespace corvane {

using ScreenMaker = std::function<std::unique_ptr<ResultScreen>()>;
void forEachBuiltInScreen(const std::function<void(const QString &name, ScreenMaker make)> &visit);

} // namespace corvane
