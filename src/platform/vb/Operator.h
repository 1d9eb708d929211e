// The person at the screen: every blocking question the program asks goes through one Operator.
// The program's operator shows Qt dialogs; tests install a scripted one that answers in order.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace vb {

class Operator {
public:
    virtual ~Operator() = default;

    // Answers a message box with one of the MsgBoxResult values.
    virtual int msgBox(const QString& prompt, int buttons, const QString& title) = 0;
    // Returns the typed text, or "" when cancelled (as the run-time's input box does).
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;
    // Returns the chosen file, or nothing when cancelled. `filter` is in "Desc (*.x)|*.x" form.
    virtual std::optional<QString> openFile(QWidget* owner, const QString& title, const QString& filter) = 0;
    // Returns the chosen folder, or "" when cancelled.
    virtual QString browseFolder(QWidget* owner, const QString& title) = 0;
};

// The operator in charge; the program's own one unless a test installed another.
Operator& currentOperator();
// Installs `op` (nullptr restores the program's own) and returns the one it replaced.
Operator* setOperator(Operator* op);

} // namespace vb
