// A window of our own, skinned by the Tavrel skin component through the
// component host: created by class name, driven by member id.
#include <tavrel/host/ComponentHost.h>
#include <tavrel/host/ComponentSite.h>
#include <tavrel/host/PictureStream.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QTextStream>
#include <QVBoxLayout>
#include <QWidget>

namespace {
constexpr tavrel::host::DispId ApplySkin = 0x6003000C;
constexpr tavrel::host::DispId ColorScheme = 0x68030004; // 1 Light Blue, 2 Dark Blue, 3 Green
constexpr tavrel::host::DispId FocusChange = 1;          // event: HasFocus, 16-bit, by reference

int fail(const tavrel::host::Status &status)
{
    QTextStream(stderr) << "consumer: " << status.toString() << '\n';
    return 1;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Skinned Consumer"));
    auto *label = new QLabel(QStringLiteral("A window of my own, in the Tavrel skin"));
    (new QVBoxLayout(&window))->addWidget(label);

    QFile picture(QStringLiteral(TAVREL_SKIN_PICTURE));
    if (!picture.open(QIODevice::ReadOnly))
        return fail(tavrel::host::Status::failure(tavrel::host::StatusCode::InvalidPicture,
                                          picture.fileName() + QStringLiteral(": ") +
                                              picture.errorString()));
    tavrel::host::PropertyBag properties;
    properties.write(QStringLiteral("_extentx"), tavrel::host::Variant::fromI4(1111));
    properties.write(QStringLiteral("_extenty"), tavrel::host::Variant::fromI4(953));
    properties.write(QStringLiteral("skinpicture"),
                     tavrel::host::Variant::fromBlob(tavrel::host::PictureStream::encodeStored(picture.readAll())));

    tavrel::host::ComponentHost::instance().addSearchPath(QStringLiteral(TAVREL_COMPONENT_DIR));
    tavrel::host::ComponentSite *skin = nullptr;
    if (const tavrel::host::Status created =
            tavrel::host::ComponentSite::create(QStringLiteral("TavrelCtl.TavrelSkin"),
                                        QStringLiteral("TavrelSkin1"), &window, properties, &skin);
        !created)
        return fail(created);

    skin->connectEvent(FocusChange, [label](QList<tavrel::host::Variant> &args) {
        label->setEnabled(args.value(0).toI2() != 0);
    });
    QList<tavrel::host::Variant> args{tavrel::host::Variant::fromI4(2)};
    if (const tavrel::host::Status put = skin->invoke(ColorScheme, tavrel::host::InvokeKind::PropertyPut, args);
        !put)
        return fail(put);
    args.clear();
    if (const tavrel::host::Status applied = skin->invoke(ApplySkin, tavrel::host::InvokeKind::Method, args);
        !applied)
        return fail(applied);

    window.show();
    // --grab FILE: save how the window looks and leave (used by the kit's test).
    if (const qsizetype at = app.arguments().indexOf(QStringLiteral("--grab"));
        at > 0 && at + 1 < app.arguments().size()) {
        return window.grab().save(app.arguments().at(at + 1), "PNG") ? 0 : 1;
    }
    return app.exec();
}
