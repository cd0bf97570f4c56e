#pragma once

#include <Form.h>

#include <QByteArray>
#include <QIcon>
#include <QSize>

namespace forms {

// The menu demo window: a sizable window with a menu bar of five menus, one
// item each, that shows the skin over an ordinary menu bar. Its items do
// nothing; loading it applies the skin.
class CleanFrm : public Form
{
    Q_OBJECT
public:
    explicit CleanFrm(QObject *parent = nullptr);

    // The client area below the menu bar, in pixels.
    static constexpr QSize clientSize() { return QSize(240, 147); }

    // The window's icon as it is stored with the window: picture class id,
    // "lt\0\0", the byte count and the icon file.
    static QByteArray storedIcon();
    // Decodes a stored icon into one QIcon holding every image; raises
    // tavrel::host::Error naming the fault when the bytes are not a valid icon.
    static QIcon iconFromStored(const QByteArray &stored);

protected:
    QWidget *createWindow() override;
    void onLoad() override;
};

} // namespace forms
