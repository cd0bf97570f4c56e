#pragma once

#include <QList>
#include <QRgb>
#include <QString>

namespace tavrelctl {

// The colour schemes a skin is shown in. Each is a rule that maps one colour
// of the skin picture's palette to another, so a scheme costs one pass over
// the 256 palette entries, never a pass over pixels. Scheme 1 is the
// picture's own colours and holds until a client picks another.
class SkinScheme
{
public:
    enum Id : int { LightBlue = 1, DarkBlue = 2, Green = 3 };
    static constexpr int First = LightBlue;
    static constexpr int Last = Green;
    static constexpr int Initial = LightBlue;

    static bool isValid(qint64 id) { return id >= First && id <= Last; }
    static QString name(int id);

    // The colour that `rgb` (a colour of the picture) takes in scheme `id`.
    static QRgb remap(QRgb rgb, int id);
    static QList<QRgb> remapTable(const QList<QRgb> &table, int id);
};

} // namespace tavrelctl
