#pragma once
// A paste a text box cannot hold whole is refused with a message, never cut short without a word:
// a result or a comment that lost its end looks complete to whoever reads the report.

class QObject;
class QKeyEvent;
class QContextMenuEvent;

namespace corvane {

// What a multi-line box takes; a one-line box takes its own maximum length.
constexpr int kMultiLineTextLimit = 32767;

// At a key on a text box: true when the key pastes more than the box can take, which it then
// refuses (the technologist is told, the box keeps what it had).
bool refuseOversizedPaste(QObject *watched, const QKeyEvent &key);

// At a context menu on a text box: shows the box's own menu, whose Paste refuses the same way;
// false for anything that is no editable text box.
bool showPasteCheckedMenu(QObject *watched, const QContextMenuEvent &event);

} // namespace corvane
