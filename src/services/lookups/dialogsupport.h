#pragma once
// Helpers the sign-off and lookup dialogs share.

#include <QDialog>

class QTableWidget;

#include <exception>
#include <utility>

namespace corvane {

// An error raised inside a running modal window cannot travel through the event loop: the
// window keeps the first one, closes, and raises it again once the modal call has returned, so
// the caller sees it as its own.
class ModalErrorTrap {
public:
    template <class F>
    void run(QDialog &dialog, F &&work)
    {
        try {
            std::forward<F>(work)();
        } catch (...) {
            if (!m_error)
                m_error = std::current_exception();
            dialog.reject();
        }
    }
    void rethrow()
    {
        if (m_error)
            std::rethrow_exception(std::exchange(m_error, nullptr));
    }

private:
    std::exception_ptr m_error;
};

// Text of a cell in the list's current row; empty without a current row or item.
QString currentRowText(const QTableWidget &grid, int column);
// A key press of Enter (either key), the key that takes a list's current row.
bool isEnterPress(const QEvent &event);

// Sizes given in twips (1440 to the inch) at the widget's logical resolution.
int twipsToPixelsX(const QWidget &widget, double twips);
int twipsToPixelsY(const QWidget &widget, double twips);

} // namespace corvane
