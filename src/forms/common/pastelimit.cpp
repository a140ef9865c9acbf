#include "forms/common/pastelimit.h"

#include "services/ui/messagebox.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
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

// True when the clipboard holds more than the box can take; the technologist is then told.
bool refusePaste(QObject *box)
{
    const std::optional<Room> room = roomIn(box);
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

} // namespace

bool refuseOversizedPaste(QObject *watched, const QKeyEvent &key)
{
    return key.matches(QKeySequence::Paste) && refusePaste(watched);
}

bool showPasteCheckedMenu(QObject *watched, const QContextMenuEvent &event)
{
    // A multi-line box gets its mouse events on its viewport.
    QObject *box = roomIn(watched) ? watched : watched->parent();
    if (!box || !roomIn(box) || static_cast<QWidget *>(box)->contextMenuPolicy() == Qt::CustomContextMenu)
        return false;
    const auto paste = [box] {
        if (refusePaste(box))
            return;
        if (auto *line = qobject_cast<QLineEdit *>(box))
            line->paste();
        else if (auto *edit = qobject_cast<QTextEdit *>(box))
            edit->paste();
        else
            static_cast<QPlainTextEdit *>(box)->paste();
    };
    QMenu *menu = nullptr;
    if (auto *line = qobject_cast<QLineEdit *>(box))
        menu = line->createStandardContextMenu();
    else if (auto *edit = qobject_cast<QTextEdit *>(box))
        menu = edit->createStandardContextMenu(event.pos());
    else
        menu = static_cast<QPlainTextEdit *>(box)->createStandardContextMenu(event.pos());
    // The menu's actions carry no names; Paste is known by its (translated) caption.
    const QString caption = qobject_cast<QLineEdit *>(box) ? QCoreApplication::translate("QLineEdit", "&Paste")
                                                           : QCoreApplication::translate("QWidgetTextControl", "&Paste");
    for (QAction *action : menu->actions()) {
        if (action->text().section(QLatin1Char('\t'), 0, 0) == caption) {
            QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
            QObject::connect(action, &QAction::triggered, box, paste);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event.globalPos());
    return true;
}

} // namespace corvane
