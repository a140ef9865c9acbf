#pragma once
// Every window of the build opened in turn on the demo data: the worklist, each result-entry screen
// (filled with a stored result and new) and the dialogs they open. "labhost screenshots" grabs each
// one; tests walk the same windows to check what every window must satisfy.

#include <QString>

#include <functional>

class QWidget;

namespace labhost {

// Called while the window is shown, before it is closed. NAME is unique within one tour and is what
// the screenshot of the window is called (without ".png").
using WindowVisitor = std::function<void(QWidget &window, const QString &name)>;

// Needs a QApplication and the demo database in the per-user connection settings. Modal windows are
// answered by closing them and message boxes with their first button. Throws on a database error.
void tourWindows(const WindowVisitor &visit);

} // namespace labhost
