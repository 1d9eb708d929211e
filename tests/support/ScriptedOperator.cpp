#include "support/ScriptedOperator.h"

#include "platform/vb/Constants.h"

#include <gtest/gtest.h>

namespace kembtest {
namespace {

const char* kindName(Shown::Kind k)
{
    switch (k) {
    case Shown::Kind::MsgBox:
        return "message box";
    case Shown::Kind::InputBox:
        return "input box";
    case Shown::Kind::OpenFile:
        return "file dialog";
    case Shown::Kind::Folder:
        return "folder dialog";
    }
    return "?";
}

} // namespace

ScriptedOperator::ScriptedOperator() : m_previous(vb::setOperator(this)) {}

ScriptedOperator::~ScriptedOperator()
{
    vb::setOperator(m_previous);
    for (const Answer& a : m_answers)
        ADD_FAILURE() << "an answer to a " << kindName(a.kind) << " was queued but never asked for";
}

ScriptedOperator& ScriptedOperator::answerMsgBox(int answer, std::function<void(const Shown&)> check)
{
    m_answers.push_back({Shown::Kind::MsgBox, answer, std::nullopt, std::move(check)});
    return *this;
}

ScriptedOperator& ScriptedOperator::answerInput(const QString& text)
{
    m_answers.push_back({Shown::Kind::InputBox, 0, text, {}});
    return *this;
}

ScriptedOperator& ScriptedOperator::answerOpenFile(std::optional<QString> file)
{
    m_answers.push_back({Shown::Kind::OpenFile, 0, std::move(file), {}});
    return *this;
}

ScriptedOperator& ScriptedOperator::answerFolder(const QString& folder)
{
    m_answers.push_back({Shown::Kind::Folder, 0, folder, {}});
    return *this;
}

std::vector<Shown> ScriptedOperator::msgBoxes() const
{
    std::vector<Shown> out;
    for (const Shown& s : m_shown)
        if (s.kind == Shown::Kind::MsgBox)
            out.push_back(s);
    return out;
}

std::optional<ScriptedOperator::Answer> ScriptedOperator::take(const Shown& seen)
{
    m_shown.push_back(seen);
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected " << kindName(seen.kind) << ": \"" << seen.prompt.toStdString() << "\" titled \""
                      << seen.title.toStdString() << "\"";
        return std::nullopt;
    }
    if (m_answers.front().kind != seen.kind) {
        ADD_FAILURE() << "a " << kindName(seen.kind) << " came (\"" << seen.prompt.toStdString()
                      << "\") where the script expected a " << kindName(m_answers.front().kind);
        return std::nullopt;
    }
    Answer a = std::move(m_answers.front());
    m_answers.pop_front();
    if (a.check)
        a.check(seen);
    return a;
}

int ScriptedOperator::msgBox(const QString& prompt, int buttons, const QString& title)
{
    const auto a = take({Shown::Kind::MsgBox, prompt, buttons, title});
    return a ? a->button : vb::vbCancel;
}

QString ScriptedOperator::inputBox(const QString& prompt, const QString& title, const QString&)
{
    const auto a = take({Shown::Kind::InputBox, prompt, 0, title});
    return a && a->text ? *a->text : QString();
}

std::optional<QString> ScriptedOperator::openFile(QWidget*, const QString& title, const QString& filter)
{
    const auto a = take({Shown::Kind::OpenFile, filter, 0, title});
    return a ? a->text : std::nullopt;
}

QString ScriptedOperator::browseFolder(QWidget*, const QString& title)
{
    const auto a = take({Shown::Kind::Folder, QString(), 0, title});
    return a && a->text ? *a->text : QString();
}

} // namespace kembtest
