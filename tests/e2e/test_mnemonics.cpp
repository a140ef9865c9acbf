// Alt+letter must lead to one control per window: when two mnemonics share a letter, Qt only moves
// the focus between them, so the technologist's first press can land in a date picker and the
// typed result becomes a date. Every window the screenshots show is walked, so a new screen is
// checked without new test code.

#include "scriptedsession.h"
#include "windowtour.h"

#include "host/dispatch.h"
#include "host/screenfactory.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <iostream>
#include <map>

namespace {

// A key that can fire in the window, and what it belongs to.
struct Mnemonic {
    QKeySequence key;
    const QWidget *where; // decides which stacked pages it lives on
    QString control;      // for the message: object name and caption
};

// The letter Qt makes of a caption; "&&" is a literal ampersand.
QKeySequence mnemonicOf(const QString &caption)
{
    return QKeySequence::mnemonic(caption);
}

QString describe(const QWidget &w, const QString &caption)
{
    return QStringLiteral("%1 \"%2\"").arg(w.objectName().isEmpty() ? QString::fromLatin1(w.metaObject()->className())
                                                                    : w.objectName(),
                                           caption);
}

// Shown in the window once its stacked pages are brought up: a control on a tab page that is not
// current still counts, one hidden for this exam does not (its shortcut cannot fire).
bool shownByDesign(const QWidget &w, const QWidget &window)
{
    for (const QWidget *p = &w; p && p != &window; p = p->parentWidget()) {
        const bool pageOfStack = qobject_cast<const QStackedWidget *>(p->parentWidget()) != nullptr;
        if (p->isHidden() && !pageOfStack)
            return false;
    }
    return true;
}

// Two keys can fire together unless they sit on different pages of the same stack (tab pages).
bool onSamePages(const QWidget &a, const QWidget &b, const QWidget &window)
{
    std::map<const QStackedWidget *, int> pagesOfA;
    for (const QWidget *p = &a; p && p != &window; p = p->parentWidget())
        if (auto *stack = qobject_cast<const QStackedWidget *>(p->parentWidget()))
            pagesOfA[stack] = stack->indexOf(const_cast<QWidget *>(p));
    for (const QWidget *p = &b; p && p != &window; p = p->parentWidget())
        if (auto *stack = qobject_cast<const QStackedWidget *>(p->parentWidget())) {
            const auto it = pagesOfA.find(stack);
            if (it != pagesOfA.end() && it->second != stack->indexOf(const_cast<QWidget *>(p)))
                return false;
        }
    return true;
}

bool takesFocus(const QWidget &w)
{
    const QWidget *target = &w;
    while (target->focusProxy())
        target = target->focusProxy();
    return target->focusPolicy() != Qt::NoFocus;
}

// Every fault of one window's keyboard mnemonics, one line each, prefixed with NAME.
QStringList mnemonicFaults(const QWidget &window, const QString &name)
{
    QList<Mnemonic> keys;
    QStringList faults;
    const auto ours = [&window](const QWidget &w) { return w.window() == &window && shownByDesign(w, window); };

    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (!ours(*label) || label->textFormat() == Qt::RichText)
            continue;
        const QKeySequence key = mnemonicOf(label->text());
        if (key.isEmpty())
            continue;
        const QWidget *buddy = label->buddy();
        // Without a buddy Qt grabs no shortcut and prints the & itself: the caption's key reaches nothing.
        if (!buddy)
            faults << QStringLiteral("%1: %2 has a mnemonic but no buddy").arg(name, describe(*label, label->text()));
        else if (!shownByDesign(*buddy, window) || !takesFocus(*buddy))
            faults << QStringLiteral("%1: %2 leads to %3, which cannot take the focus")
                          .arg(name, describe(*label, label->text()), buddy->objectName());
        else
            keys.append({key, label, describe(*label, label->text())});
    }
    for (const QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
        // The button's own shortcut, not its caption: code may have replaced the mnemonic.
        if (ours(*button) && button->shortcut().count() == 1
            && button->shortcut()[0].keyboardModifiers() == Qt::AltModifier)
            keys.append({button->shortcut(), button, describe(*button, button->text())});
    }
    for (const QGroupBox *group : window.findChildren<QGroupBox *>()) {
        const QKeySequence key = mnemonicOf(group->title());
        if (ours(*group) && !key.isEmpty())
            keys.append({key, group, describe(*group, group->title())});
    }
    for (const QTabBar *bar : window.findChildren<QTabBar *>()) {
        if (!ours(*bar))
            continue;
        const auto *tabs = qobject_cast<const QTabWidget *>(bar->parentWidget());
        for (int i = 0; i < bar->count(); ++i) {
            const QKeySequence key = mnemonicOf(bar->tabText(i));
            if (key.isEmpty() || !bar->isTabVisible(i))
                continue;
            const QWidget *page = tabs ? tabs->widget(i) : nullptr;
            const QString control = page ? describe(*page, bar->tabText(i)) : describe(*bar, bar->tabText(i));
            keys.append({key, bar, QStringLiteral("tab ") + control});
        }
    }
    for (const QShortcut *shortcut : window.findChildren<QShortcut *>()) {
        const QKeySequence key = shortcut->key();
        if (shortcut->isEnabled() && key.count() == 1 && key[0].keyboardModifiers() == Qt::AltModifier)
            keys.append({key, &window, QStringLiteral("shortcut ") + key.toString()});
    }

    for (qsizetype i = 0; i < keys.size(); ++i)
        for (qsizetype j = i + 1; j < keys.size(); ++j)
            if (keys[i].key == keys[j].key && onSamePages(*keys[i].where, *keys[j].where, window))
                faults << QStringLiteral("%1: %2 is taken by %3 and by %4")
                              .arg(name, keys[i].key.toString(), keys[i].control, keys[j].control);
    return faults;
}

// The rule itself on a window built here, so the walk below cannot pass by finding nothing.
TEST(MnemonicRule, SameLetterOnControlsThatFireTogether)
{
    QDialog window;
    window.setObjectName(QStringLiteral("frmTest"));
    auto *layout = new QVBoxLayout(&window);
    auto *submitted = new QLabel(QStringLiteral("Sa&mple submitted:"));
    submitted->setObjectName(QStringLiteral("lblSubmitted"));
    submitted->setBuddy(new QLineEdit);
    auto *method = new QLabel(QStringLiteral("&Method:"));
    method->setObjectName(QStringLiteral("lblMethod"));
    method->setBuddy(new QLineEdit);
    auto *group = new QGroupBox(QStringLiteral("&Patient"));
    group->setObjectName(QStringLiteral("fraPatient"));
    auto *print = new QPushButton(QStringLiteral("&Print"));
    print->setObjectName(QStringLiteral("cmdPrint"));
    auto *tabs = new QTabWidget;
    tabs->addTab(new QWidget, QStringLiteral("&Culture"));
    tabs->widget(0)->setObjectName(QStringLiteral("tabCulture"));
    auto *close = new QPushButton(QStringLiteral("&Close"));
    close->setObjectName(QStringLiteral("cmdClose"));
    for (QWidget *w : {static_cast<QWidget *>(submitted), submitted->buddy(), static_cast<QWidget *>(method),
                       method->buddy(), static_cast<QWidget *>(group), static_cast<QWidget *>(print),
                       static_cast<QWidget *>(tabs), static_cast<QWidget *>(close)})
        layout->addWidget(w);
    window.show();

    const QStringList faults = mnemonicFaults(window, window.objectName());
    EXPECT_EQ(faults,
              QStringList({QStringLiteral(R"(frmTest: Alt+M is taken by lblSubmitted "Sa&mple submitted:" and by lblMethod "&Method:")"),
                           QStringLiteral(R"(frmTest: Alt+P is taken by cmdPrint "&Print" and by fraPatient "&Patient")"),
                           QStringLiteral(R"(frmTest: Alt+C is taken by cmdClose "&Close" and by tab tabCulture "&Culture")")}));

    // Moving the ampersand is the whole fix.
    method->setText(QStringLiteral("Me&thod:"));
    print->setText(QStringLiteral("P&rint"));
    tabs->setTabText(0, QStringLiteral("C&ulture"));
    EXPECT_EQ(mnemonicFaults(window, window.objectName()), QStringList());
}

TEST(MnemonicRule, KeysThatCannotFireTogetherOrAtAll)
{
    QDialog window;
    window.setObjectName(QStringLiteral("frmTest"));
    auto *layout = new QVBoxLayout(&window);
    // Fields on different tab pages: only the current page's key fires.
    auto *tabs = new QTabWidget;
    for (const char *caption : {"&Gross", "&Microscopic"}) {
        auto *page = new QWidget;
        auto *pageLayout = new QVBoxLayout(page);
        auto *label = new QLabel(QStringLiteral("&Findings:"));
        auto *field = new QLineEdit;
        label->setBuddy(field);
        pageLayout->addWidget(label);
        pageLayout->addWidget(field);
        tabs->addTab(page, QLatin1String(caption));
    }
    layout->addWidget(tabs);
    auto *save = new QPushButton(QStringLiteral("&Save"));
    layout->addWidget(save);
    auto *hidden = new QCheckBox(QStringLiteral("&Saline"));
    layout->addWidget(hidden);
    hidden->hide();
    auto *amp = new QLabel(QStringLiteral("Culture && Sensitivity"));
    layout->addWidget(amp);
    window.show();
    EXPECT_EQ(mnemonicFaults(window, window.objectName()), QStringList());

    // The same key shown on both sides of the page boundary does clash: the tab's own letter.
    tabs->setTabText(1, QStringLiteral("&Findings"));
    EXPECT_EQ(mnemonicFaults(window, window.objectName()).size(), 2); // with the label on each page

    tabs->setTabText(1, QStringLiteral("&Microscopic"));
    hidden->show();
    EXPECT_EQ(mnemonicFaults(window, window.objectName()).size(), 1);
}

TEST(MnemonicRule, ACaptionsKeyMustReachAField)
{
    QDialog window;
    auto *layout = new QVBoxLayout(&window);
    auto *noBuddy = new QLabel(QStringLiteral("Sample &no.:"));
    noBuddy->setObjectName(QStringLiteral("lblSample"));
    auto *toLabel = new QLabel(QStringLiteral("&Remarks:"));
    toLabel->setObjectName(QStringLiteral("lblRemarks"));
    auto *display = new QLabel(QStringLiteral("text"));
    display->setObjectName(QStringLiteral("lblShown"));
    toLabel->setBuddy(display);
    for (QWidget *w : {noBuddy, toLabel, display})
        layout->addWidget(w);
    window.show();
    EXPECT_EQ(mnemonicFaults(window, QStringLiteral("frmTest")),
              QStringList({QStringLiteral(R"(frmTest: lblSample "Sample &no.:" has a mnemonic but no buddy)"),
                           QStringLiteral(R"(frmTest: lblRemarks "&Remarks:" leads to lblShown, which cannot take the focus)")}));
}

class MnemonicTour : public e2e::ScriptedSessionTest {};

TEST_P(MnemonicTour, EveryWindowHasUniqueMnemonicsThatReachTheirFields)
{
    if (!db)
        return;
    QStringList visited, faults;
    labhost::tourWindows([&](QWidget &window, const QString &name) {
        visited << name;
        faults << mnemonicFaults(window, name);
    });
    // A tour that opened nothing would pass; every screen the dispatch can open must have been seen.
    for (const QString &screen : corvane::ScreenFactory::registeredScreens()) {
        if (corvane::dispatchScreenNames().contains(screen)) {
            EXPECT_TRUE(visited.contains(screen) || visited.contains(screen + QStringLiteral("-new")))
                << screen.toStdString() << " was not opened";
        }
    }
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
    std::cout << "mnemonics checked in " << visited.size() << " windows: " << visited.join(QLatin1Char(' ')).toStdString()
              << "\n";
}

INSTANTIATE_TEST_SUITE_P(Backends, MnemonicTour, testsupport::kBothBackends, testsupport::backendName);

} // namespace
