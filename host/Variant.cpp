#include "Variant.h"

namespace tavrel::host {

QString varTypeName(VarType type)
{
    switch (type) {
    case VarType::Empty: return QStringLiteral("VT_EMPTY");
    case VarType::I2: return QStringLiteral("VT_I2");
    case VarType::I4: return QStringLiteral("VT_I4");
    case VarType::Bstr: return QStringLiteral("VT_BSTR");
    case VarType::Bool: return QStringLiteral("VT_BOOL");
    case VarType::Blob: return QStringLiteral("VT_BLOB");
    }
    return QStringLiteral("VT_%1").arg(quint16(type));
}

Variant Variant::fromI2(qint16 value)
{
    Variant v;
    v.m_type = VarType::I2;
    v.m_int = value;
    return v;
}

Variant Variant::fromI4(qint32 value)
{
    Variant v;
    v.m_type = VarType::I4;
    v.m_int = value;
    return v;
}

Variant Variant::fromBool(bool value)
{
    Variant v;
    v.m_type = VarType::Bool;
    v.m_int = value ? -1 : 0;
    return v;
}

Variant Variant::fromString(const QString &value)
{
    Variant v;
    v.m_type = VarType::Bstr;
    v.m_string = value;
    return v;
}

Variant Variant::fromBlob(const QByteArray &value)
{
    Variant v;
    v.m_type = VarType::Blob;
    v.m_blob = value;
    return v;
}

Variant Variant::refI2(qint16 *ref)
{
    Q_ASSERT(ref);
    Variant v;
    v.m_type = VarType::I2;
    v.m_refI2 = ref;
    return v;
}

QString Variant::typeName() const
{
    QString name = varTypeName(m_type);
    if (isByRef())
        name += QLatin1String("|VT_BYREF");
    return name;
}

qint16 Variant::toI2() const
{
    return m_refI2 ? *m_refI2 : qint16(m_int);
}

qint32 Variant::toI4() const
{
    return m_refI2 ? *m_refI2 : qint32(m_int);
}

bool Variant::toBool() const
{
    return toI4() != 0;
}

QString Variant::toString() const
{
    return m_string;
}

QByteArray Variant::toBlob() const
{
    return m_blob;
}

void Variant::setI2(qint16 value)
{
    if (m_refI2)
        *m_refI2 = value;
    else
        m_int = value;
}

bool Variant::operator==(const Variant &other) const
{
    if (m_type != other.m_type || isByRef() != other.isByRef())
        return false;
    switch (m_type) {
    case VarType::Bstr: return m_string == other.m_string;
    case VarType::Blob: return m_blob == other.m_blob;
    case VarType::Empty: return true;
    default: return toI4() == other.toI4();
    }
}

} // namespace tavrel::host
