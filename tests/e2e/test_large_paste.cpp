// A megabyte pasted into any text box of any screen, by keyboard or by the box's menu: the screen
// answers at once, the box is never cut short without a word (it refuses the paste with a message
// and keeps what it had), and a text the box can take arrives whole. Every window of the tour is
// walked, so a new screen is checked without new test code.

#include "scriptedsession.h"
#include "windowtour.h"

#include "host/dispatch.h"
#include "host/screenfactory.h"
#include "services/ui/messagebox.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <iostream>

namespace {

// Counts the message boxes shown while a paste runs, answering each with its first button.
class MessageCounter : public corvane::IUiSeam {
public:
    QMessageBox::StandardButton message(const corvane::MessageRequest &request) override
    {
        texts << request.text;
        const auto bits = request.buttons.toInt();
        return static_cast<QMessageBox::StandardButton>(bits & -bits);
    }
    int modal(QDialog &) override
    {
        ++dialogs;
        return QDialog::Rejected;
    }
    QStringList texts;
    int dialogs = 0;
};

QString textOf(QWidget &box)
{
    if (auto *line = qobject_cast<QLineEdit *>(&box))
        return line->text();
    if (auto *edit = qobject_cast<QTextEdit *>(&box))
        return edit->toPlainText();
    return static_cast<QPlainTextEdit &>(box).toPlainText();
}

// Editable text boxes a technologist can type into (date pickers and spin boxes excepted).
QList<QWidget *> textBoxes(QWidget &window)
{
    QList<QWidget *> boxes;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        if (!w->isEnabled())
            continue;
        if (auto *line = qobject_cast<QLineEdit *>(w)) {
            if (!line->isReadOnly() && !qobject_cast<QAbstractSpinBox *>(line->parentWidget()))
                boxes << w;
        } else if (auto *edit = qobject_cast<QTextEdit *>(w)) {
            if (!edit->isReadOnly())
                boxes << w;
        } else if (auto *plain = qobject_cast<QPlainTextEdit *>(w)) {
            if (!plain->isReadOnly())
                boxes << w;
        }
    }
    return boxes;
}

// Pastes as the keyboard does, through whatever the screen does with keys.
qint64 paste(QWidget &box, const QString &text)
{
    QApplication::clipboard()->setText(text);
    box.setFocus();
    QElapsedTimer timer;
    timer.start();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    QApplication::sendEvent(&box, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    QApplication::sendEvent(&box, &release);
    QApplication::processEvents();
    return timer.elapsed();
}

// Pastes through the box's context menu; false when no menu with Paste came up.
bool pasteByMenu(QWidget &box, const QString &text)
{
    QApplication::clipboard()->setText(text);
    auto *area = qobject_cast<QAbstractScrollArea *>(&box);
    QWidget &target = area ? *area->viewport() : box;
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), target.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&target, &event);
    QMenu *menu = nullptr;
    QAction *paste = nullptr;
    for (QWidget *w : QApplication::allWidgets()) {
        if (auto *m = qobject_cast<QMenu *>(w); m && m->isVisible()) {
            for (QAction *action : m->actions()) {
                if (action->text().startsWith(QLatin1String("&Paste"))) {
                    menu = m;
                    paste = action;
                }
            }
        }
    }
    if (!menu)
        return false;
    paste->trigger();
    menu->close();
    QApplication::processEvents();
    return true;
}

class LargePasteTour : public e2e::ScriptedSessionTest {};

TEST_P(LargePasteTour, AMegabytePastedIntoAnyTextBoxIsRefusedAtOnceAndATextThatFitsArrivesWhole)
{
    if (!db)
        return;
    const QString megabyte = QString(QStringLiteral("Pasted line of a long document, 0123456789.\n")).repeated(24000);
    ASSERT_GE(megabyte.size(), 1000000);
    QStringList checkedScreens;
    int boxes = 0;
    int wholes = 0;
    qint64 slowest = 0;
    labhost::tourWindows([&](QWidget &window, const QString &name) {
        const QString screen = name.section(QLatin1Char('-'), 0, 0);
        if (!corvane::ScreenFactory::isRegistered(screen))
            return;
        bool any = false;
        for (QWidget *box : textBoxes(window)) {
            const std::string where = (name + QLatin1Char(' ') + box->objectName()).toStdString();
            const QString before = textOf(*box);
            MessageCounter seam;
            corvane::ScopedUiSeam scoped(seam);
            const qint64 ms = paste(*box, megabyte);
            slowest = std::max(slowest, ms);
            // Generous: a screen that took the megabyte into its layout would take far longer.
            EXPECT_LT(ms, 1000) << where;
            EXPECT_EQ(seam.texts.size(), 1) << where << ": " << seam.texts.join(QLatin1Char('|')).toStdString();
            if (!seam.texts.isEmpty()) {
                EXPECT_TRUE(seam.texts[0].contains(QLatin1String("Nothing was pasted"))) << where;
            }
            EXPECT_EQ(seam.dialogs, 0) << where;
            EXPECT_TRUE(textOf(*box) == before) << where << " changed";
            // The same through the box's menu.
            EXPECT_TRUE(pasteByMenu(*box, megabyte)) << where;
            EXPECT_EQ(seam.texts.size(), 2) << where;
            EXPECT_TRUE(textOf(*box) == before) << where << " changed";
            seam.texts.clear();

            // What fits arrives whole (a screen may upper-case it), or the screen's own rules for
            // the box turn it away (a digits-only box); it is never cut short.
            auto *line = qobject_cast<QLineEdit *>(box);
            if (line)
                line->selectAll();
            else
                box->setProperty("plainText", QString());
            const QString untouched = textOf(*box);
            const int room = line ? std::min(line->maxLength(), 5000) : 5000;
            QString fits = QStringLiteral("O'Brien: ").leftJustified(room, QLatin1Char('x'));
            if (!line)
                fits.replace(40, 1, QLatin1Char('\n'));
            paste(*box, fits);
            const QString after = textOf(*box);
            const bool arrived = after.compare(fits, Qt::CaseInsensitive) == 0;
            wholes += arrived ? 1 : 0;
            EXPECT_TRUE(arrived || after == untouched) << where << " holds " << after.size() << " of " << fits.size();
            any = true;
            ++boxes;
        }
        if (any)
            checkedScreens << name;
    });
    EXPECT_GT(wholes, boxes * 9 / 10);
    // Every screen the dispatch opens with text boxes must have been reached.
    const QStringList screens = corvane::ScreenFactory::registeredScreens();
    ASSERT_FALSE(screens.isEmpty());
    for (const QString &screen : screens) {
        if (!corvane::dispatchScreenNames().contains(screen) || screen == QLatin1String("frmBethesda"))
            continue; // the pathology chooser has only buttons
        const bool reached = std::any_of(checkedScreens.begin(), checkedScreens.end(), [&](const QString &n) {
            return n.section(QLatin1Char('-'), 0, 0) == screen;
        });
        EXPECT_TRUE(reached) << screen.toStdString() << " had no text box pasted into";
    }
    std::cout << "pasted 1 MB into " << boxes << " text boxes of " << checkedScreens.size()
              << " windows; slowest " << slowest << " ms; a text that fits arrived whole in " << wholes << "\n";
}

INSTANTIATE_TEST_SUITE_P(Backends, LargePasteTour, testsupport::kBothBackends, testsupport::backendName);

} // namespace
