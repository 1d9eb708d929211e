// The program's own operator: real Qt dialogs on the screen.
#pragma once

#include "platform/vb/Operator.h"

namespace vb {

class ScreenOperator : public Operator {
public:
    int msgBox(const QString& prompt, int buttons, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> openFile(QWidget* owner, const QString& title, const QString& filter) override;
    QString browseFolder(QWidget* owner, const QString& title) override;
};

} // namespace vb
