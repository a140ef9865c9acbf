#include "forms/common/pastelimit.h"

#include "services/ui/messagebox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <optional>

namespace corvane {

namespace {

// The characters the box keeps besides the pasted ones, and the most it takes; nothing for a
// control that is no editable text box.
struct Room {
    qsizetype kept = 0;
    qsizetype limit = 0;
};

std::optional<Room> roomIn(QObject *watched)
{
    if (auto *line = qobject_cast<QLineEdit *>(watched)) {
        if (line->isReadOnly())
            return std::nullopt;
        return Room{line->text().size() - line->selectedText().size(), line->maxLength()};
    }
    if (auto *edit = qobject_cast<QTextEdit *>(watched)) {
        if (edit->isReadOnly())
            return std::nullopt;
        return Room{edit->document()->characterCount() - 1 - edit->textCursor().selectedText().size(),
                    kMultiLineTextLimit};
    }
    if (auto *edit = qobject_cast<QPlainTextEdit *>(watched)) {
        if (edit->isReadOnly())
            return std::nullopt;
        return Room{edit->document()->characterCount() - 1 - edit->textCursor().selectedText().size(),
                    kMultiLineTextLimit};
    }
    return std::nullopt;
}

} // namespace

bool refuseOversizedPaste(QObject *watched, const QKeyEvent &key)
{
    if (!key.matches(QKeySequence::Paste))
        return false;
    const std::optional<Room> room = roomIn(watched);
    if (!room)
        return false;
    const qsizetype pasted = QGuiApplication::clipboard()->text().size();
    if (room->kept + pasted <= room->limit)
        return false;
    MessageBox::show(QStringLiteral("The text to paste has %L1 characters, but this box takes at most %L2. "
                                    "Nothing was pasted; shorten the text and paste it again.")
                         .arg(pasted)
                         .arg(room->limit),
                     QStringLiteral("Text Too Long"), QMessageBox::Warning);
    return true;
}

} // namespace corvane
