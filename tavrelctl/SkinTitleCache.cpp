#include "SkinTitleCache.h"

#include <QFontMetrics>

namespace tavrelctl {

bool SkinTitleCache::Key::operator==(const Key &o) const
{
    return theme == o.theme && look == o.look && ratio == o.ratio &&
           captionHeight == o.captionHeight && deviceWidth == o.deviceWidth &&
           deviceHeight == o.deviceHeight && icon == o.icon && iconKey == o.iconKey &&
           text == o.text && align == o.align && direction == o.direction && title == o.title &&
           font == o.font;
}

const QFont &SkinTitleCache::boldFont(const QFont &windowFont, int maxLineHeight)
{
    if (!m_hasBold || !(windowFont == m_windowFont) || maxLineHeight != m_maxLineHeight) {
        m_windowFont = windowFont;
        m_maxLineHeight = maxLineHeight;
        m_boldFont = windowFont;
        m_boldFont.setBold(true);
        // A large application font shrinks to the caption rather than losing
        // its descenders (or its tops) at the caption's edges.
        if (maxLineHeight > 0 && QFontMetrics(m_boldFont).height() > maxLineHeight) {
            if (m_boldFont.pixelSize() > 0) {
                int size = m_boldFont.pixelSize();
                while (size > 1 && QFontMetrics(m_boldFont).height() > maxLineHeight)
                    m_boldFont.setPixelSize(--size);
            } else {
                qreal size = m_boldFont.pointSizeF();
                while (size > 1 && QFontMetrics(m_boldFont).height() > maxLineHeight) {
                    size -= 0.25;
                    m_boldFont.setPointSizeF(size);
                }
            }
        }
        m_hasBold = true;
    }
    return m_boldFont;
}

QString SkinTitleCache::elided(const QString &title, const QFont &font, int width)
{
    if (title != m_elideTitle || !(font == m_elideFont)) {
        m_elideTitle = title;
        m_elideFont = font;
        m_fitsFrom = INT_MAX;
        m_elidedWidth = -1;
    }
    if (width >= m_fitsFrom)
        return title;
    if (width == m_elidedWidth)
        return m_elided;
    const QString elided = QFontMetrics(font).elidedText(title, Qt::ElideRight, width);
    if (elided == title) {
        m_fitsFrom = width;
    } else {
        m_elidedWidth = width;
        m_elided = elided;
    }
    return elided;
}

const SkinTitleCache::Strip *SkinTitleCache::strip(const Key &key) const
{
    return m_hasStrip && m_key == key ? &m_strip : nullptr;
}

void SkinTitleCache::setStrip(const Key &key, const Strip &strip)
{
    m_key = key;
    m_strip = strip;
    m_hasStrip = true;
}

} // namespace tavrelctl
