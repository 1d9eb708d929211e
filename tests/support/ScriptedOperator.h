// A scripted person at the screen: answers message boxes, input boxes and file and folder dialogs
// in the order queued, and records every one it was shown. A box that comes with no answer queued,
// or of another kind than the next answer, fails the test; so does an answer left unused.
#pragma once

#include "platform/vb/Operator.h"

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace kembtest {

struct Shown {
    enum class Kind { MsgBox, InputBox, OpenFile, Folder };
    Kind kind;
    QString prompt;
    int buttons = 0;
    QString title;
};

class ScriptedOperator : public vb::Operator {
public:
    ScriptedOperator();
    ~ScriptedOperator() override;

    // Queues the answer to the next message box; `check` (optional) runs when it is shown.
    ScriptedOperator& answerMsgBox(int answer, std::function<void(const Shown&)> check = {});
    ScriptedOperator& answerInput(const QString& text);
    // std::nullopt answers as a cancelled file dialog.
    ScriptedOperator& answerOpenFile(std::optional<QString> file);
    ScriptedOperator& answerFolder(const QString& folder);

    const std::vector<Shown>& shown() const { return m_shown; }
    // The message boxes shown so far, in order.
    std::vector<Shown> msgBoxes() const;
    bool allAnswered() const { return m_answers.empty(); }

    int msgBox(const QString& prompt, int buttons, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> openFile(QWidget* owner, const QString& title, const QString& filter) override;
    QString browseFolder(QWidget* owner, const QString& title) override;

private:
    struct Answer {
        Shown::Kind kind;
        int button = 0;
        std::optional<QString> text;
        std::function<void(const Shown&)> check;
    };
    std::optional<Answer> take(const Shown& seen);

    std::deque<Answer> m_answers;
    std::vector<Shown> m_shown;
    vb::Operator* m_previous = nullptr;
};

} // namespace kembtest
