#include "SkinTestData.h"

#include <PictureStream.h>
#include <TavrelSkin.h>
#include <TavrelSkinIds.h>

#include <QFile>
#include <QTest>
#include <QtEndian>

namespace skintest {

QByteArray realPictureFile()
{
    QFile file(QStringLiteral(TAVREL_SKIN_PICTURE));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace {
enum Index : uchar {
    Background = 1,
    Panel = 2,
    Accent = 3,
    FrameLine = 4,
    GlyphWhite = 5,
    Outline = 6,
    Inactive = 7,
    SwatchBase = 10, // 15 swatch colours from here
    Grid = 0x1A,
};

void fill(QImage &image, const QRect &r, uchar index)
{
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            image.setPixel(x, y, index);
    }
}
void hline(QImage &image, int y, int x0, int x1)
{
    fill(image, QRect(QPoint(x0, y), QPoint(x1, y)), Grid);
}
void vline(QImage &image, int x, int y0, int y1)
{
    fill(image, QRect(QPoint(x, y0), QPoint(x, y1)), Grid);
}
} // namespace

QImage syntheticPicture(QRgb accent, QRgb panel, const QList<int> &markerValues)
{
    QImage image(145, 162, QImage::Format_Indexed8);
    QList<QRgb> table(256, qRgb(0, 0, 0));
    table[Background] = qRgb(254, 254, 254);
    table[Panel] = panel;
    table[Accent] = accent;
    table[FrameLine] = qRgb(161, 161, 161);
    table[GlyphWhite] = qRgb(254, 254, 254);
    table[Outline] = qRgb(40, 40, 40);
    table[Inactive] = qRgb(150, 150, 150);
    for (int k = 0; k < 15; ++k)
        table[SwatchBase + k] = qRgb(10 + k * 15, 200 - k * 10, 30 + k * 5);
    table[SwatchBase] = panel;
    table[SwatchBase + 10] = qRgb(255, 0, 255);
    table[Grid] = qRgb(0, 128, 0);
    image.setColorTable(table);
    image.fill(Background);

    // Caption bands: tab in the accent (grey when inactive), outline, panel.
    const int bandX[] = {0, 29, 43, 72, 101, 115, 144};
    for (int cell = 0; cell < 6; ++cell) {
        const uchar tab = cell < 3 ? Accent : Inactive;
        for (auto [top, bottom] : {std::pair{1, 42}, std::pair{44, 67}}) {
            const QRect r(QPoint(bandX[cell] + 1, top), QPoint(bandX[cell + 1] - 1, bottom));
            fill(image, r, Panel);
            fill(image, QRect(r.left(), top, r.width(), 20), tab);
            fill(image, QRect(r.left(), top + 20, r.width(), 1), Outline);
        }
    }
    fill(image, QRect(1, 1, 1, 42), FrameLine);
    fill(image, QRect(71, 1, 1, 42), FrameLine);
    for (int k = 0; k < 14; ++k) {
        const QRect tile(1 + 7 * k, 69, 6, 6);
        fill(image, tile, Panel);
        const int kind = k % 7;
        if (kind == 0 || kind == 1 || kind == 2)
            fill(image, QRect(tile.left(), 69, 1, 6), FrameLine);
        if (kind >= 1 && kind <= 5)
            fill(image, QRect(tile.left(), 74, 6, 1), FrameLine);
        if (kind >= 4)
            fill(image, QRect(tile.right(), 69, 1, 6), FrameLine);
    }
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            const QRect cell(1 + 15 * col, 76 + 16 * row, 14, 15);
            fill(image, cell, row == 3 ? Inactive : Accent);
            if (row == 2)
                fill(image, cell, Outline);
            fill(image, QRect(cell.left() + 4, cell.top() + 6, 6, 2), GlyphWhite);
        }
    }
    for (int k = 0; k < 15; ++k)
        fill(image, QRect(1 + 4 * k, 140, 3, 3), uchar(SwatchBase + k));

    hline(image, 0, 0, 144);
    hline(image, 43, 0, 144);
    hline(image, 68, 0, 144);
    hline(image, 143, 0, 144);
    hline(image, 75, 0, 98);
    for (int y : {91, 107, 123, 139})
        hline(image, y, 0, 60);
    vline(image, 0, 0, 145); // row 146 is the first marker row
    for (int x : {29, 43, 72, 101, 115, 144})
        vline(image, x, 0, 68);
    for (int x = 7; x <= 98; x += 7)
        vline(image, x, 68, 75);
    for (int x : {15, 30, 45, 60})
        vline(image, x, 75, 139);
    for (int x = 4; x <= 60; x += 4)
        vline(image, x, 139, 143);
    for (int x = 0; x <= 140; x += 5)
        image.setPixel(x, 144, Grid);
    for (int x = 0; x <= 140; x += 10)
        image.setPixel(x, 145, Grid);
    const QList<int> markers =
        markerValues.size() == 11 ? markerValues : QList<int>{0, 4, 25, 3, 3, 20, 25, 4, 0, 0, 25};
    for (int i = 0; i < 11; ++i)
        image.setPixel(markers[i], 146 + i, Grid);
    return image;
}

QByteArray bitmapFile(const QImage &indexed)
{
    const int w = indexed.width(), h = indexed.height();
    const int rowBytes = (w + 3) & ~3;
    const quint32 offset = 14 + 40 + 1024;
    const quint32 size = offset + quint32(rowBytes * h);
    QByteArray out(int(size), '\0');
    char *d = out.data();
    auto put16 = [d](int at, quint16 v) { qToLittleEndian(v, d + at); };
    auto put32 = [d](int at, quint32 v) { qToLittleEndian(v, d + at); };
    d[0] = 'B';
    d[1] = 'M';
    put32(2, size);
    put32(10, offset);
    put32(14, 40);
    put32(18, quint32(w));
    put32(22, quint32(h));
    put16(26, 1);
    put16(28, 8);
    put32(34, quint32(rowBytes * h));
    const QList<QRgb> table = indexed.colorTable();
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < table.size() ? table[i] : 0;
        d[54 + 4 * i] = char(qBlue(c));
        d[55 + 4 * i] = char(qGreen(c));
        d[56 + 4 * i] = char(qRed(c));
    }
    for (int y = 0; y < h; ++y)
        memcpy(d + offset + (h - 1 - y) * rowBytes, indexed.constScanLine(y), size_t(w));
    return out;
}

tavrel::host::PropertyBag storedProperties(const QByteArray &bitmap)
{
    tavrel::host::PropertyBag bag;
    bag.write(QStringLiteral("_extentx"), tavrel::host::Variant::fromI4(1111));
    bag.write(QStringLiteral("_extenty"), tavrel::host::Variant::fromI4(953));
    bag.write(QStringLiteral("skinpicture"),
              tavrel::host::Variant::fromBlob(tavrel::host::PictureStream::encodeStored(bitmap)));
    return bag;
}

tavrel::host::PropertyBag storedProperties()
{
    return storedProperties(realPictureFile());
}

void EventRecorder::raiseEvent(tavrel::host::DispId event, QList<tavrel::host::Variant> &args)
{
    events.append(event);
    if (args.size() == 1) {
        argumentTypes.append(args.first().typeName());
        focusValues.append(args.first().toI4());
    }
}

std::unique_ptr<tavrelctl::TavrelSkin> loadSkin(QWidget *window, EventRecorder *events,
                                                const tavrel::host::PropertyBag &properties)
{
    auto skin = std::make_unique<tavrelctl::TavrelSkin>();
    const tavrel::host::Status status = skin->load(window, properties, events);
    if (!status) {
        QTest::qFail(qPrintable(status.toString()), __FILE__, __LINE__);
        return nullptr;
    }
    return skin;
}

static bool call(tavrel::host::Component *skin, tavrel::host::DispId id, tavrel::host::InvokeKind kind,
                 QList<tavrel::host::Variant> args)
{
    const tavrel::host::Status status = skin->invoke(id, kind, args);
    if (!status)
        QTest::qFail(qPrintable(status.toString()), __FILE__, __LINE__);
    return status.isOk();
}

bool applySkin(tavrel::host::Component *skin)
{
    return call(skin, tavrelctl::MemberId::ApplySkin, tavrel::host::InvokeKind::Method, {});
}

bool removeSkin(tavrel::host::Component *skin)
{
    return call(skin, tavrelctl::MemberId::RemoveSkin, tavrel::host::InvokeKind::Method, {});
}

bool putScheme(tavrel::host::Component *skin, qint32 scheme)
{
    return call(skin, tavrelctl::MemberId::ColorScheme, tavrel::host::InvokeKind::PropertyPut,
                {tavrel::host::Variant::fromI4(scheme)});
}

} // namespace skintest
