// Tests of where the help document is looked for.
#include "document/helpdoc.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class HelpDocTest : public QObject
{
    Q_OBJECT

private slots:
    void looksInCurrentFolderFirstThenBesideProgram();
    void findsOnlyAFileNotAFolder();
};

void HelpDocTest::looksInCurrentFolderFirstThenBesideProgram()
{
    const QStringList paths = helpdoc::candidatePaths();
    QVERIFY(paths.size() >= 3);
    QCOMPARE(paths[0], QStringLiteral("Quillax.tre"));
    const QString programFolder = QCoreApplication::applicationDirPath();
    QCOMPARE(paths[1], QDir::cleanPath(programFolder + QStringLiteral("/Quillax.tre")));
    QCOMPARE(paths[2], QDir::cleanPath(programFolder + QStringLiteral("/../share/quillax/Quillax.tre")));
    for (int i = 3; i < paths.size(); ++i) {
        QVERIFY2(paths[i].endsWith(QStringLiteral("/quillax/Quillax.tre")), qPrintable(paths[i]));
    }
    QStringList unique = paths;
    QCOMPARE(unique.removeDuplicates(), 0);
}

void HelpDocTest::findsOnlyAFileNotAFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    struct Restore
    {
        QString folder;
        ~Restore() { QDir::setCurrent(folder); }
    } restore{previous};

    // A folder of that name in the current folder does not count.
    QVERIFY(QDir().mkdir(QStringLiteral("Quillax.tre")));
    QVERIFY(helpdoc::locate() != QStringLiteral("Quillax.tre"));
    QVERIFY(QDir().rmdir(QStringLiteral("Quillax.tre")));

    QFile file(QStringLiteral("Quillax.tre"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4, '\0'));
    file.close();
    QCOMPARE(helpdoc::locate(), QStringLiteral("Quillax.tre"));
}

QTEST_GUILESS_MAIN(HelpDocTest)
#include "helpdoc_test.moc"
