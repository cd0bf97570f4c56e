#pragma once

#include "HostExport.h"
#include "Status.h"
#include "Variant.h"

#include <QList>
#include <QPair>
#include <QString>

namespace tavrel::host {

// The stored properties a window hands to a component when it creates it,
// in the order they were written. Names compare case-insensitively, as
// stored property names do in the hosting world.
class TAVREL_HOST_EXPORT PropertyBag
{
public:
    void write(const QString &name, const Variant &value);
    bool contains(const QString &name) const;
    // The value stored under `name`, or an empty variant.
    Variant value(const QString &name) const;
    QStringList names() const;
    qsizetype size() const { return m_entries.size(); }

    // Reads `name` as the given type; a missing property or another type is
    // a failure that names the property and both types.
    Status readI4(const QString &name, qint32 *out) const;
    Status readBlob(const QString &name, QByteArray *out) const;

private:
    TAVREL_HOST_NO_EXPORT qsizetype indexOf(const QString &name) const;
    QList<QPair<QString, Variant>> m_entries;
};

} // namespace tavrel::host
