#pragma once

#include <QObject>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace forms {

// Draws the style's focus rectangle over a widget that takes the focus but
// shows no sign of having it on its own (a picture box is a plain frame).
// Lives as long as the widget it marks.
class FocusMark : public QObject
{
    Q_OBJECT
public:
    static void install(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FocusMark(QWidget *widget);
};

} // namespace forms
