// Enter on a focused command button clicks it, as the run-time does in every window, whether or not the
// button is a dialog's default one.
#pragma once

#include <QObject>

namespace vb {

class EnterClicksButton : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vb
