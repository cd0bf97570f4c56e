#pragma once

#include "HostExport.h"
#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace tavrel::host {

// Type tags of the values that cross the component boundary. The numbers are
// the usual ones of the automation world, so messages that print them mean
// something to a component author.
enum class VarType : quint16 {
    Empty = 0,
    I2 = 2,
    I4 = 3,
    Bstr = 8,
    Bool = 11,
    Blob = 65,
};

TAVREL_HOST_EXPORT QString varTypeName(VarType type);

// A self-describing value as it crosses the component boundary: an argument
// of a member call, a stored property or an event argument. An I2 may be held
// by reference, so that an event handler sees (and could change) the
// caller's variable.
class TAVREL_HOST_EXPORT Variant
{
public:
    Variant() = default;

    static Variant fromI2(qint16 value);
    static Variant fromI4(qint32 value);
    static Variant fromBool(bool value);
    static Variant fromString(const QString &value);
    static Variant fromBlob(const QByteArray &value);
    // VT_I2 | VT_BYREF: reads and writes go to *ref, which must outlive the variant.
    static Variant refI2(qint16 *ref);

    VarType type() const { return m_type; }
    bool isByRef() const { return m_refI2 != nullptr; }
    bool isEmpty() const { return m_type == VarType::Empty; }
    // "VT_I4", "VT_I2|VT_BYREF"
    QString typeName() const;

    qint16 toI2() const;
    qint32 toI4() const;
    bool toBool() const;
    QString toString() const;
    QByteArray toBlob() const;

    // Writes through a by-reference I2; on a by-value I2 changes the value.
    void setI2(qint16 value);

    bool operator==(const Variant &other) const;
    bool operator!=(const Variant &other) const { return !(*this == other); }

private:
    VarType m_type = VarType::Empty;
    qint64 m_int = 0;
    qint16 *m_refI2 = nullptr;
    QString m_string;
    QByteArray m_blob;
};

} // namespace tavrel::host
