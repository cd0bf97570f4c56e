#include "CleanFrm.h"

#include "ui_CleanFrm.h"

#include <FormSettings.h>
#include <IconFile.h>
#include <PictureStream.h>

#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>

namespace forms {

CleanFrm::CleanFrm(QObject *parent) : Form(parent) {}

QByteArray CleanFrm::storedIcon()
{
    static const QByteArray stored = [] {
        QFile file(QStringLiteral(":/forms/cleanfrm.ico"));
        // A missing resource becomes an empty icon file, which decoding
        // rejects with a message of its own.
        return tavrel::host::PictureStream::encodeStored(file.open(QIODevice::ReadOnly) ? file.readAll()
                                                                                : QByteArray());
    }();
    return stored;
}

QIcon CleanFrm::iconFromStored(const QByteArray &stored)
{
    QByteArray file;
    tavrel::host::raiseOnFailure(tavrel::host::PictureStream::decodeStored(stored, &file)
                             .withContext(QStringLiteral("CleanFrm icon")));
    QList<QImage> images;
    tavrel::host::raiseOnFailure(
        tavrel::host::decodeIcon(file, &images).withContext(QStringLiteral("CleanFrm icon")));
    QIcon icon;
    for (const QImage &image : std::as_const(images))
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

QWidget *CleanFrm::createWindow()
{
    // Decoded before the window exists, so that a bad icon leaves nothing
    // half-built behind.
    const QIcon icon = iconFromStored(storedIcon());
    auto *window = new QMainWindow(nullptr, FormSettings::sizableFlags());
    Ui::CleanFrm ui;
    ui.setupUi(window);
    FormSettings::applyStoredSettings(window);
    window->setWindowIcon(icon);
    // The stored client area lies below the menu bar, which takes the
    // height its font needs.
    const QSize client = clientSize();
    window->resize(client.width(),
                   client.height() + window->menuBar()->heightForWidth(client.width()));
    return window;
}

void CleanFrm::onLoad()
{
    skin().applySkin();
}

} // namespace forms
