#pragma once

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>

#include <climits>

namespace tavrelctl {

class SkinTheme;

// What a caption keeps between paints so that a repaint is a few blits:
// the window font made bold, the title elided to the last widths asked
// for, and the strip of the caption bar under the icon and the title with
// both painted on it, pixel for pixel what painting them anew would give.
// One per caption; it holds one strip, the one of the caption's last look.
class SkinTitleCache
{
public:
    // Everything the strip's pixels depend on. `deviceWidth` and
    // `text.width()` are -1 when the caption's width does not matter (the
    // strip lies clear of the bar's right end and the title fits).
    struct Key
    {
        const SkinTheme *theme = nullptr;
        int look = 0;
        qreal ratio = 0;
        int captionHeight = 0;
        int deviceWidth = 0;
        int deviceHeight = 0;
        QRect icon;
        qint64 iconKey = 0;
        QRect text;
        int align = 0;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        QString title;
        QFont font;

        bool operator==(const Key &other) const;
    };

    // The window font made bold, and smaller where its lines would be
    // taller than `maxLineHeight` (none: 0).
    const QFont &boldFont(const QFont &windowFont, int maxLineHeight = 0);
    // QFontMetrics::elidedText, remembered: a title that fits at one width
    // fits at every wider one.
    QString elided(const QString &title, const QFont &font, int width);

    // The device columns from `left` on, as painted; a null pixmap when the
    // strip cannot stand in for painting (the bar under it is not opaque).
    struct Strip
    {
        int left = 0;
        QPixmap pixmap;
        int right() const { return left + pixmap.width(); }
    };
    // The strip kept for `key`, or null.
    const Strip *strip(const Key &key) const;
    void setStrip(const Key &key, const Strip &strip);

private:
    QFont m_windowFont;
    QFont m_boldFont;
    int m_maxLineHeight = 0;
    bool m_hasBold = false;

    QString m_elideTitle;
    QFont m_elideFont;
    int m_fitsFrom = INT_MAX;
    int m_elidedWidth = -1;
    QString m_elided;

    bool m_hasStrip = false;
    Key m_key;
    Strip m_strip;
};

} // namespace tavrelctl
