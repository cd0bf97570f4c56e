#include "ResourceReader.h"

#include <QtEndian>

namespace {

qint64 alignUp(qint64 value)
{
    return (value + 3) & ~qint64(3);
}

quint16 read16(const QByteArray &data, qint64 at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 read32(const QByteArray &data, qint64 at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

} // namespace

QString ResourceReader::VersionNode::text() const
{
    QString result;
    for (qint64 i = 0; i + 1 < value.size(); i += 2) {
        const QChar c(read16(value, i));
        if (c.isNull())
            break;
        result += c;
    }
    return result;
}

ResourceReader::ResourceReader(const QByteArray &file)
{
    qint64 at = 0;
    while (at < file.size()) {
        if (at + 8 > file.size()) {
            m_error = QStringLiteral("resource header cut at %1").arg(at);
            return;
        }
        const quint32 dataSize = read32(file, at);
        const quint32 headerSize = read32(file, at + 4);
        const qint64 headerEnd = at + headerSize;
        if (headerSize < 16 || headerEnd > file.size() || headerEnd + dataSize > file.size()) {
            m_error = QStringLiteral("resource at %1 overruns the file").arg(at);
            return;
        }
        Resource resource;
        qint64 p = at + 8;
        if (!readNameOrOrdinal(file, &p, headerEnd, &resource.type, &resource.typeName) ||
            !readNameOrOrdinal(file, &p, headerEnd, &resource.id, &resource.name))
            return;
        p = alignUp(p);
        // DataVersion, MemoryFlags, LanguageId, Version, Characteristics
        if (p + 16 > headerEnd) {
            m_error = QStringLiteral("resource at %1 has a short header").arg(at);
            return;
        }
        resource.language = read16(file, p + 6);
        resource.data = file.mid(headerEnd, dataSize);
        // The file starts with an empty resource that marks the format.
        if (!(dataSize == 0 && resource.type == 0 && resource.id == 0))
            m_resources.append(resource);
        at = alignUp(headerEnd + dataSize);
    }
}

QList<ResourceReader::Resource> ResourceReader::resourcesOfType(int type) const
{
    QList<Resource> result;
    for (const Resource &resource : m_resources) {
        if (resource.type == type)
            result.append(resource);
    }
    return result;
}

bool ResourceReader::readNameOrOrdinal(const QByteArray &data, qint64 *at, qint64 end, int *ordinal,
                                       QString *name)
{
    if (*at + 2 > end) {
        m_error = QStringLiteral("name cut at %1").arg(*at);
        return false;
    }
    if (read16(data, *at) == 0xFFFF) {
        if (*at + 4 > end) {
            m_error = QStringLiteral("ordinal cut at %1").arg(*at);
            return false;
        }
        *ordinal = read16(data, *at + 2);
        *at += 4;
        return true;
    }
    *ordinal = -1;
    while (true) {
        if (*at + 2 > end) {
            m_error = QStringLiteral("unterminated name at %1").arg(*at);
            return false;
        }
        const quint16 c = read16(data, *at);
        *at += 2;
        if (c == 0)
            return true;
        *name += QChar(c);
    }
}

bool ResourceReader::readVersion(const QByteArray &data, VersionNode *root)
{
    qint64 length = 0;
    if (!readNode(data, 0, data.size(), root, &length))
        return false;
    if (data.size() - length >= 4) {
        m_error = QStringLiteral("version tree is %1 bytes, the resource %2")
                      .arg(length)
                      .arg(data.size());
        return false;
    }
    return true;
}

bool ResourceReader::readNode(const QByteArray &data, qint64 at, qint64 limit, VersionNode *node,
                              qint64 *length)
{
    if (at + 6 > limit) {
        m_error = QStringLiteral("version node cut at %1").arg(at);
        return false;
    }
    const quint16 nodeLength = read16(data, at);
    const quint16 valueLength = read16(data, at + 2);
    node->type = read16(data, at + 4);
    const qint64 end = at + nodeLength;
    if (nodeLength < 6 || end > limit) {
        m_error = QStringLiteral("version node at %1 has length %2, beyond %3")
                      .arg(at)
                      .arg(nodeLength)
                      .arg(limit);
        return false;
    }
    qint64 p = at + 6;
    while (true) {
        if (p + 2 > end) {
            m_error = QStringLiteral("version key at %1 is unterminated").arg(at);
            return false;
        }
        const quint16 c = read16(data, p);
        p += 2;
        if (c == 0)
            break;
        node->key += QChar(c);
    }
    p = alignUp(p);
    // A text value's length counts characters, a binary one's bytes.
    const qint64 valueBytes = node->type == 1 ? 2 * qint64(valueLength) : valueLength;
    if (p + valueBytes > end) {
        m_error = QStringLiteral("value of '%1' overruns its node").arg(node->key);
        return false;
    }
    node->value = data.mid(p, valueBytes);
    p = alignUp(p + valueBytes);
    while (p < end) {
        VersionNode child;
        qint64 childLength = 0;
        if (!readNode(data, p, end, &child, &childLength))
            return false;
        node->children.append(child);
        p = alignUp(p + childLength);
    }
    *length = nodeLength;
    return true;
}
