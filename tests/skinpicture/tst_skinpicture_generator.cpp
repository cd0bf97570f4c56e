// Regenerates the skin picture with tools/skinpicture and compares it with
// the committed resource byte for byte: the picture is reproducible.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSkinPictureGenerator : public QObject
{
    Q_OBJECT

private slots:
    void regeneratesTheCommittedPicture();
    void refusesAMissingOutput();

private:
    static QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

void TestSkinPictureGenerator::regeneratesTheCommittedPicture()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString bmp = dir.filePath(QStringLiteral("skin.bmp"));
    const QString png = dir.filePath(QStringLiteral("skin.png"));
    QProcess tool;
    tool.start(QStringLiteral(TAVREL_SKINPICTURE_TOOL),
               {QStringLiteral("--bmp"), bmp, QStringLiteral("--png4x"), png});
    QVERIFY2(tool.waitForFinished(60000), qPrintable(tool.errorString()));
    QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0,
             tool.readAllStandardError().constData());

    const QByteArray committed = readAll(QStringLiteral(TAVREL_SKIN_PICTURE));
    const QByteArray generated = readAll(bmp);
    QCOMPARE(committed.size(), 25054);
    QCOMPARE(generated.size(), committed.size());
    for (int i = 0; i < committed.size(); ++i) {
        if (committed.at(i) != generated.at(i))
            QFAIL(qPrintable(QStringLiteral("first difference at byte %1").arg(i)));
    }

    // The enlarged copy for the documentation: 4 x 145 by 4 x 162.
    QImage enlarged(png);
    QCOMPARE(enlarged.size(), QSize(580, 648));
}

void TestSkinPictureGenerator::refusesAMissingOutput()
{
    QProcess tool;
    tool.start(QStringLiteral(TAVREL_SKINPICTURE_TOOL), {});
    QVERIFY(tool.waitForFinished(60000));
    QVERIFY(tool.exitCode() != 0);
    QVERIFY(tool.readAllStandardError().contains("usage"));
}

QTEST_MAIN(TestSkinPictureGenerator)
#include "tst_skinpicture_generator.moc"
