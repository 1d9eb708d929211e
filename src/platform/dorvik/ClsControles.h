// The utility library's control helpers used by data-entry windows: finding a field of a control array by
// its tag, and the keys with which a field moves the focus on.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

class ClsControles {
public:
    // The index of the first control whose tag (its "Tag" property) equals `tag` without regard to case; -1
    // when none does.
    template <class Control>
    int BuscarPorTag(const QString& tag, const std::vector<Control*>& controles) const
    {
        for (std::size_t i = 0; i < controles.size(); ++i) {
            if (controles[i] && etiqueta(controles[i]).compare(tag, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        }
        return -1;
    }
    // True for the keys on which a field acts: Enter.
    bool EvaluarTecla(int KeyCode) const;
    // Enter moves the focus to the next control, as Tab would, and is swallowed (KeyCode becomes 0).
    void ProcesarTecla(int& KeyCode) const;

    // The tag property the windows set on their controls.
    static void setTag(QWidget* control, const QString& tag);

private:
    static QString etiqueta(const QWidget* control);
};
