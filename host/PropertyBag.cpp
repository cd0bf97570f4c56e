#include "PropertyBag.h"

#include <QStringList>

namespace tavrel::host {

qsizetype PropertyBag::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).first.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void PropertyBag::write(const QString &name, const Variant &value)
{
    const qsizetype i = indexOf(name);
    if (i >= 0)
        m_entries[i].second = value;
    else
        m_entries.append({name, value});
}

bool PropertyBag::contains(const QString &name) const
{
    return indexOf(name) >= 0;
}

Variant PropertyBag::value(const QString &name) const
{
    const qsizetype i = indexOf(name);
    return i >= 0 ? m_entries.at(i).second : Variant();
}

QStringList PropertyBag::names() const
{
    QStringList out;
    for (const auto &e : m_entries)
        out.append(e.first);
    return out;
}

static Status readTyped(const PropertyBag &bag, const QString &name, VarType want, Variant *out)
{
    if (!bag.contains(name)) {
        return Status::failure(StatusCode::InvalidPropertyValue,
                               QStringLiteral("stored property '%1' is missing").arg(name));
    }
    const Variant v = bag.value(name);
    if (v.type() != want || v.isByRef()) {
        return Status::failure(StatusCode::TypeMismatch,
                               QStringLiteral("stored property '%1' is %2, expected %3")
                                   .arg(name, v.typeName(), varTypeName(want)));
    }
    *out = v;
    return Status::ok();
}

Status PropertyBag::readI4(const QString &name, qint32 *out) const
{
    Variant v;
    const Status s = readTyped(*this, name, VarType::I4, &v);
    if (s)
        *out = v.toI4();
    return s;
}

Status PropertyBag::readBlob(const QString &name, QByteArray *out) const
{
    Variant v;
    const Status s = readTyped(*this, name, VarType::Blob, &v);
    if (s)
        *out = v.toBlob();
    return s;
}

} // namespace tavrel::host
