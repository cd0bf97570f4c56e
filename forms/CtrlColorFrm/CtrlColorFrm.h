#pragma once

#include <Form.h>

namespace forms {

// The control colour demo window: sample controls that take the skin's
// colours by themselves, a text box and a list box that the window colours
// itself when it gains or loses focus, and a "Skin Enabled" box that takes
// the skin off and puts it back. Opened from the main window.
//
// It is shown without an owner, so it keeps the base placement: centred on
// the screen, not on the main window.
class CtrlColorFrm : public Form
{
    Q_OBJECT
public:
    explicit CtrlColorFrm(QObject *parent = nullptr);

    // Background colours (00BBGGRR) the window gives its text and list box.
    static constexpr qint32 FocusedColor = 0x00FF00;
    static constexpr qint32 UnfocusedColor = 0x0000FF;

protected:
    QWidget *createWindow() override;
    void connectHandlers() override;
    void onLoad() override;

private:
    void onCheck2Click();
    void onFocusChange(const qint16 &hasFocus);
};

} // namespace forms
