#include "platform/vb/ScreenOperator.h"

#include "platform/vb/Constants.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace vb {
namespace {

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QList<QMessageBox::StandardButton> order;
};

ButtonSet buttonSet(int style)
{
    switch (style & 7) {
    case vbOKCancel:
        return {QMessageBox::Ok | QMessageBox::Cancel, {QMessageBox::Ok, QMessageBox::Cancel}};
    case vbAbortRetryIgnore:
        return {QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore,
                {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}};
    case vbYesNoCancel:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}};
    case vbYesNo:
        return {QMessageBox::Yes | QMessageBox::No, {QMessageBox::Yes, QMessageBox::No}};
    case vbRetryCancel:
        return {QMessageBox::Retry | QMessageBox::Cancel, {QMessageBox::Retry, QMessageBox::Cancel}};
    default:
        return {QMessageBox::Ok, {QMessageBox::Ok}};
    }
}

QMessageBox::Icon icon(int style)
{
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int answerOf(QMessageBox::StandardButton b)
{
    switch (b) {
    case QMessageBox::Ok:
        return vbOK;
    case QMessageBox::Cancel:
        return vbCancel;
    case QMessageBox::Abort:
        return vbAbort;
    case QMessageBox::Retry:
        return vbRetry;
    case QMessageBox::Ignore:
        return vbIgnore;
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    default:
        return vbCancel;
    }
}

// One entry of the chooser's list: the description as written, with the patterns Qt reads from its last
// parentheses added only when the description does not already end with them.
QString qtFilterEntry(const QString& description, const QString& patterns)
{
    const QString inParentheses =
        QStringLiteral("(%1)").arg(QString(patterns).replace(QLatin1Char(';'), QLatin1Char(' ')));
    if (description.trimmed().endsWith(inParentheses))
        return description;
    return description + QLatin1Char(' ') + inParentheses;
}

// "Desc (*.a)|*.a|Other|*.b" becomes Qt's "Desc (*.a);;Other (*.b)".
QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << qtFilterEntry(parts[i], parts[i + 1]);
    return out.join(QStringLiteral(";;"));
}

} // namespace

int ScreenOperator::msgBox(const QString& prompt, int buttons, const QString& title)
{
    const ButtonSet set = buttonSet(buttons);
    QMessageBox box(icon(buttons), title, prompt, set.buttons, QApplication::activeWindow());
    const int defaultIndex = (buttons & vbDefaultButton3) ? 2 : (buttons & vbDefaultButton2) ? 1 : 0;
    if (defaultIndex < set.order.size())
        box.setDefaultButton(set.order[defaultIndex]);
    const int pressed = box.exec();
    if (box.clickedButton() == nullptr)
        return set.order.contains(QMessageBox::Cancel) ? vbCancel : answerOf(set.order.last());
    return answerOf(static_cast<QMessageBox::StandardButton>(pressed));
}

QString ScreenOperator::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(QApplication::activeWindow(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

std::optional<QString> ScreenOperator::openFile(QWidget* owner, const QString& title, const QString& filter)
{
    const QString file = QFileDialog::getOpenFileName(owner, title, QString(), qtFilter(filter));
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

QString ScreenOperator::browseFolder(QWidget* owner, const QString& title)
{
    return QFileDialog::getExistingDirectory(owner, title);
}

} // namespace vb
