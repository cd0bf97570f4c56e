#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Reads a compiled resource file (.res): a sequence of resources, each with a
// header naming its type, id and language. Also reads the tree of a version
// resource. Both check every length against the bytes they have and report
// the first inconsistency in error().
class ResourceReader
{
public:
    struct Resource
    {
        int type = -1; // an ordinal; -1 when the type is a name
        QString typeName;
        int id = -1; // an ordinal; -1 when the id is a name
        QString name;
        int language = 0;
        QByteArray data;
    };

    struct VersionNode
    {
        QString key;
        int type = 0; // 0 binary, 1 text
        QByteArray value;
        QString text() const;
        QList<VersionNode> children;
    };

    explicit ResourceReader(const QByteArray &file);

    QString error() const { return m_error; }
    QList<Resource> resources() const { return m_resources; }
    QList<Resource> resourcesOfType(int type) const;

    // Parses a version resource; returns false and sets error() when the
    // tree's lengths do not add up.
    bool readVersion(const QByteArray &data, VersionNode *root);

private:
    bool readNameOrOrdinal(const QByteArray &data, qint64 *at, qint64 end, int *ordinal,
                           QString *name);
    bool readNode(const QByteArray &data, qint64 at, qint64 limit, VersionNode *node,
                  qint64 *length);

    QList<Resource> m_resources;
    QString m_error;
};
