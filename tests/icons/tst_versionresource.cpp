#include "RawIcon.h"
#include "ResourceReader.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

constexpr int IconType = 3;
constexpr int GroupIconType = 14;
constexpr int VersionType = 16;
constexpr int EnglishUs = 0x0409;

const QString appDir = QStringLiteral(TAVREL_SOURCE_DIR "/app");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

quint32 dword(const QByteArray &data, int index)
{
    return qFromLittleEndian<quint32>(data.constData() + 4 * index);
}

const ResourceReader::VersionNode *child(const ResourceReader::VersionNode &node,
                                         const QString &key)
{
    for (const ResourceReader::VersionNode &c : node.children) {
        if (c.key == key)
            return &c;
    }
    return nullptr;
}

} // namespace

class TestVersionResource : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void iconGroupListsItsImages();
    void iconImagesAreTheApplicationIcon_data();
    void iconImagesAreTheApplicationIcon();
    void fixedVersionFields();
    void stringTable();
    void translation();

private:
    ResourceReader::Resource single(int type, int id);
    ResourceReader::VersionNode versionTree();

    QTemporaryDir m_dir;
    QList<ResourceReader::Resource> m_resources;
};

void TestVersionResource::initTestCase()
{
    const QString windres =
        QStandardPaths::findExecutable(QStringLiteral("x86_64-w64-mingw32-windres"));
    if (windres.isEmpty())
        QSKIP("x86_64-w64-mingw32-windres is not installed (binutils-mingw-w64-x86-64)");
    QVERIFY(m_dir.isValid());
    const QString output = m_dir.filePath(QStringLiteral("tavrelsample.res"));
    QStringList args;
    // The script includes no headers, so the host's preprocessor serves when
    // the MinGW compiler that windres would call is not installed.
    if (QStandardPaths::findExecutable(QStringLiteral("x86_64-w64-mingw32-gcc")).isEmpty()) {
        const QString cpp = QStandardPaths::findExecutable(QStringLiteral("cpp"));
        if (cpp.isEmpty())
            QSKIP("no C preprocessor for windres");
        args << QStringLiteral("--preprocessor=") + cpp << QStringLiteral("--preprocessor-arg=-xc")
             << QStringLiteral("--preprocessor-arg=-DRC_INVOKED");
    }
    args << QStringLiteral("tavrelsample.rc") << QStringLiteral("-O") << QStringLiteral("res")
         << QStringLiteral("-o") << output;
    QProcess process;
    process.setWorkingDirectory(appDir);
    process.start(windres, args);
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             process.readAllStandardError().constData());

    ResourceReader reader(readFile(output));
    QVERIFY2(reader.error().isEmpty(), qPrintable(reader.error()));
    m_resources = reader.resources();
    QVERIFY(!m_resources.isEmpty());
}

ResourceReader::Resource TestVersionResource::single(int type, int id)
{
    QList<ResourceReader::Resource> found;
    for (const ResourceReader::Resource &r : std::as_const(m_resources)) {
        if (r.type == type && r.id == id)
            found.append(r);
    }
    if (found.size() != 1) {
        QTest::qFail(qPrintable(QStringLiteral("%1 resources of type %2 with id %3")
                                    .arg(found.size())
                                    .arg(type)
                                    .arg(id)),
                     __FILE__, __LINE__);
        return {};
    }
    return found.first();
}

void TestVersionResource::iconGroupListsItsImages()
{
    int groups = 0;
    for (const ResourceReader::Resource &r : std::as_const(m_resources))
        groups += r.type == GroupIconType;
    QCOMPARE(groups, 1);
    const ResourceReader::Resource group = single(GroupIconType, 1);
    QCOMPARE(group.language, EnglishUs);
    const QByteArray &g = group.data;
    QCOMPARE(g.size(), 6 + 3 * 14);
    bool ok = true;
    QCOMPARE(RawIcon::read16(g, 0, &ok), quint16(0));
    QCOMPARE(RawIcon::read16(g, 2, &ok), quint16(1));
    QCOMPARE(RawIcon::read16(g, 4, &ok), quint16(3));

    struct Expected
    {
        int size, colours, bits, id;
    };
    const Expected expected[] = {{32, 2, 1, 30001}, {32, 16, 4, 30002}, {16, 16, 4, 30003}};
    for (int i = 0; i < 3; ++i) {
        const int at = 6 + 14 * i;
        QCOMPARE(int(quint8(g.at(at))), expected[i].size);
        QCOMPARE(int(quint8(g.at(at + 1))), expected[i].size);
        QCOMPARE(int(quint8(g.at(at + 2))), expected[i].colours);
        QCOMPARE(int(quint8(g.at(at + 3))), 0);
        QCOMPARE(int(RawIcon::read16(g, at + 4, &ok)), 1);
        QCOMPARE(int(RawIcon::read16(g, at + 6, &ok)), expected[i].bits);
        QCOMPARE(int(RawIcon::read16(g, at + 12, &ok)), expected[i].id);
        const ResourceReader::Resource image = single(IconType, expected[i].id);
        QCOMPARE(qint64(RawIcon::read32(g, at + 8, &ok)), qint64(image.data.size()));
    }
    QVERIFY(ok);
    QCOMPARE(
        int(std::count_if(m_resources.cbegin(), m_resources.cend(),
                          [](const ResourceReader::Resource &r) { return r.type == IconType; })),
        3);
}

void TestVersionResource::iconImagesAreTheApplicationIcon_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("image");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("bits");
    QTest::newRow("30001") << 30001 << 0 << 32 << 1;
    QTest::newRow("30002") << 30002 << 1 << 32 << 4;
    QTest::newRow("30003") << 30003 << 2 << 16 << 4;
}

void TestVersionResource::iconImagesAreTheApplicationIcon()
{
    QFETCH(int, id);
    QFETCH(int, image);
    QFETCH(int, size);
    QFETCH(int, bits);
    const ResourceReader::Resource resource = single(IconType, id);
    const QByteArray &data = resource.data;
    QVERIFY(data.size() >= 40);
    QCOMPARE(dword(data, 0), 40u);
    QCOMPARE(int(dword(data, 1)), size);
    QCOMPARE(int(dword(data, 2)), 2 * size);
    QCOMPARE(int(qFromLittleEndian<quint16>(data.constData() + 14)), bits);
    // The linked-in image is the one the .ico file carries.
    const RawIcon icon(readFile(appDir + QStringLiteral("/resources/tavrelsample.ico")));
    QVERIFY(icon.ok());
    QCOMPARE(data, icon.imageBytes(image));
}

ResourceReader::VersionNode TestVersionResource::versionTree()
{
    const ResourceReader::Resource resource = single(VersionType, 1);
    ResourceReader::VersionNode root;
    ResourceReader reader({});
    if (!reader.readVersion(resource.data, &root))
        QTest::qFail(qPrintable(reader.error()), __FILE__, __LINE__);
    return root;
}

void TestVersionResource::fixedVersionFields()
{
    QCOMPARE(single(VersionType, 1).language, 1033);
    const ResourceReader::VersionNode root = versionTree();
    QCOMPARE(root.key, QStringLiteral("VS_VERSION_INFO"));
    QCOMPARE(root.type, 0);
    const QByteArray &fixed = root.value;
    QCOMPARE(fixed.size(), 52);
    QCOMPARE(dword(fixed, 0), 0xFEEF04BDu); // signature
    QCOMPARE(dword(fixed, 2), 0x00010000u); // file version 1.0
    QCOMPARE(dword(fixed, 3), 0x00000000u); // .0.0
    QCOMPARE(dword(fixed, 4), 0x00010000u); // product version 1.0
    QCOMPARE(dword(fixed, 5), 0x00000000u); // .0.0
    QCOMPARE(dword(fixed, 6), 0x3Fu);       // flags mask
    QCOMPARE(dword(fixed, 7), 0u);          // flags
    QCOMPARE(dword(fixed, 8), 0x4u);        // 32-bit Windows
    QCOMPARE(dword(fixed, 9), 0x1u);        // application
    QCOMPARE(dword(fixed, 10), 0u);         // subtype
    QCOMPARE(dword(fixed, 11), 0u);         // date
    QCOMPARE(dword(fixed, 12), 0u);
}

void TestVersionResource::stringTable()
{
    const ResourceReader::VersionNode root = versionTree();
    const ResourceReader::VersionNode *info = child(root, QStringLiteral("StringFileInfo"));
    QVERIFY(info);
    QCOMPARE(info->children.size(), 1);
    const ResourceReader::VersionNode &table = info->children.first();
    QCOMPARE(table.key, QStringLiteral("040904B0"));

    const QList<QPair<QString, QString>> expected = {
        {QStringLiteral("CompanyName"), QStringLiteral("Tavrel")},
        {QStringLiteral("ProductName"), QStringLiteral("Tavrel Sample")},
        {QStringLiteral("FileVersion"), QStringLiteral("1.00")},
        {QStringLiteral("ProductVersion"), QStringLiteral("1.00")},
        {QStringLiteral("InternalName"), QStringLiteral("TavrelSample")},
        {QStringLiteral("OriginalFilename"), QStringLiteral("TavrelSample.exe")},
    };
    QStringList keys;
    for (const ResourceReader::VersionNode &entry : table.children)
        keys << entry.key;
    QStringList expectedKeys;
    for (const auto &pair : expected)
        expectedKeys << pair.first;
    QCOMPARE(keys, expectedKeys);
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(table.children.at(i).type, 1);
        QCOMPARE(table.children.at(i).text(), expected.at(i).second);
    }
}

void TestVersionResource::translation()
{
    const ResourceReader::VersionNode root = versionTree();
    const ResourceReader::VersionNode *var = child(root, QStringLiteral("VarFileInfo"));
    QVERIFY(var);
    QCOMPARE(var->children.size(), 1);
    const ResourceReader::VersionNode &translation = var->children.first();
    QCOMPARE(translation.key, QStringLiteral("Translation"));
    QCOMPARE(translation.type, 0);
    QCOMPARE(translation.value, QByteArray::fromHex("0904b004")); // 0x0409, 1200
    QCOMPARE(root.children.size(), 2);
}

QTEST_MAIN(TestVersionResource)
#include "tst_versionresource.moc"
