// AppIconProvider on an XDG desktop: icons found through a private icon theme and through
// desktop entries in temporary XDG data folders.

#include "desktop/app_icon_provider.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using qv::ui::AppIconProvider;

class AppIconTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void resolves_data();
    void resolves();
    void missingIconGivesNullImage_data();
    void missingIconGivesNullImage();
    void concurrentRequests();
    void throughQmlImage();

private:
    QString writeImage(const QString& name, QSize size, QColor colour);
    void writeFile(const QString& relative, const QByteArray& text);

    QTemporaryDir dir_;
    AppIconProvider provider_;
};

QString AppIconTest::writeImage(const QString& name, QSize size, QColor colour) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    const QString path = dir_.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    if (!image.save(path, "PNG"))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void AppIconTest::writeFile(const QString& relative, const QByteArray& text) {
    const QString path = dir_.filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
}

void AppIconTest::initTestCase() {
    QVERIFY(dir_.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath("home")));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(dir_.filePath("one") + ':' + dir_.filePath("two")));

    const QByteArray wide = writeImage("img/wide.png", QSize(64, 32), Qt::red).toUtf8();
    const QByteArray square = writeImage("img/square.png", QSize(256, 256), Qt::blue).toUtf8();
    const QByteArray green = writeImage("img/green.png", QSize(48, 48), Qt::green).toUtf8();
    writeImage("two/pixmaps/qvpix.png", QSize(16, 16), Qt::magenta);

    writeFile("one/applications/fake.desktop",
              "[Desktop Entry]\nType=Application\nName=Fake\n"
              "Exec=\"/opt/Моя программа/qvfakeapp\" --flag %U\nIcon=" +
                  wide + "\n");
    writeFile("two/applications/vendor/square.desktop",
              "# vendor entry in a sub-folder\n[Desktop Entry]\nName=Square\n"
              "Exec=env LANG=C QV_X=1 qvsquare %F\nIcon=" +
                  square + "\n");
    writeFile("one/applications/other.desktop",
              "[Desktop Entry]\nExec=qvfakeapp2\nIcon[ru]=" + square + "\nIcon=" + green +
                  "\n[Desktop Action x]\nExec=qvaction\nIcon=" + wide + "\n");
    writeFile("one/applications/hidden.desktop",
              "[Desktop Entry]\nHidden=true\nExec=qvhidden\nIcon=" + wide + "\n");
    writeFile("one/applications/noicon.desktop", "[Desktop Entry]\nExec=qvnoicon\n");
    writeFile("one/applications/a-byname.desktop",
              "[Desktop Entry]\nExec=qvdup\nIcon=" + square + "\n");
    writeFile("two/applications/b-exact.desktop",
              "[Desktop Entry]\nExec=/opt/x/qvdup\nIcon=" + wide + "\n");
    writeFile("home/applications/tryexec.desktop",
              "[Desktop Entry]\nTryExec=qvtry\nExec=launcher --run qvtry\nIcon=" + green + "\n");
    writeFile("home/applications/pix.desktop", "[Desktop Entry]\nExec=qvpixapp\nIcon=qvpix\n");
    writeFile("home/applications/broken.desktop",
              "[Desktop Entry]\nExec=qvbroken\nIcon=" + dir_.filePath("img/none.png").toUtf8() +
                  "\n");

    // A private icon theme holding an icon named after an executable.
    writeImage("icons/qvtest/32x32/apps/qvthemed.png", QSize(32, 32), Qt::yellow);
    writeFile("icons/qvtest/index.theme", "[Icon Theme]\nName=qvtest\nDirectories=32x32/apps\n\n"
                                          "[32x32/apps]\nSize=32\nType=Fixed\n");
    QIcon::setThemeSearchPaths({dir_.filePath("icons")});
    QIcon::setThemeName(QStringLiteral("qvtest"));
}

void AppIconTest::resolves_data() {
    QTest::addColumn<QString>("exePath");
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("expectedSize");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("quoted Exec, encoded path, aspect kept")
        << "/opt/Моя программа/qvfakeapp" << QSize(40, 40) << QSize(40, 20) << QColor(Qt::red);
    QTest::newRow("no request: within 32")
        << "/opt/Моя программа/qvfakeapp" << QSize() << QSize(32, 16) << QColor(Qt::red);
    QTest::newRow("env prefix, sub-folder, 256 down to 40")
        << "/usr/bin/qvsquare" << QSize(40, 40) << QSize(40, 40) << QColor(Qt::blue);
    QTest::newRow("non-square request")
        << "/usr/bin/qvsquare" << QSize(40, 20) << QSize(20, 20) << QColor(Qt::blue);
    QTest::newRow("not a longer name's prefix, unlocalised Icon")
        << "/usr/bin/qvfakeapp2" << QSize(48, 48) << QSize(48, 48) << QColor(Qt::green);
    QTest::newRow("exact path beats file name")
        << "/opt/x/qvdup" << QSize(40, 40) << QSize(40, 20) << QColor(Qt::red);
    QTest::newRow("TryExec") << "/usr/bin/qvtry" << QSize(24, 24) << QSize(24, 24)
                             << QColor(Qt::green);
    QTest::newRow("icon name from pixmaps")
        << "/usr/bin/qvpixapp" << QSize(32, 32) << QSize(32, 32) << QColor(Qt::magenta);
    QTest::newRow("theme icon named after the program")
        << "/usr/games/qvthemed" << QSize(64, 64) << QSize(64, 64) << QColor(Qt::yellow);
    QTest::newRow("Windows program name")
        << "/mnt/c/Games/QVThemed.exe" << QSize(32, 32) << QSize(32, 32) << QColor(Qt::yellow);
}

void AppIconTest::resolves() {
    QFETCH(QString, exePath);
    QFETCH(QSize, requested);
    QFETCH(QSize, expectedSize);
    QFETCH(QColor, colour);

    QSize reported(-7, -7);
    const QString id = QString::fromLatin1(QUrl::toPercentEncoding(exePath));
    const QImage image = provider_.requestImage(id, &reported, requested);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), expectedSize);
    QCOMPARE(reported, expectedSize);
    const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
    QCOMPARE(centre.rgb(), colour.rgb());
}

void AppIconTest::missingIconGivesNullImage_data() {
    QTest::addColumn<QString>("exePath");
    QTest::newRow("unknown program") << "/nonexistent/qvunknown";
    QTest::newRow("hidden entry") << "/usr/bin/qvhidden";
    QTest::newRow("entry without icon") << "/usr/bin/qvnoicon";
    QTest::newRow("icon file missing") << "/usr/bin/qvbroken";
    QTest::newRow("action's program only") << "/usr/bin/qvaction";
    QTest::newRow("empty id") << "";
}

void AppIconTest::missingIconGivesNullImage() {
    QFETCH(QString, exePath);
    QSize reported(5, 5);
    const QString id = QString::fromLatin1(QUrl::toPercentEncoding(exePath));
    const QImage image = provider_.requestImage(id, &reported, QSize(40, 40));
    QVERIFY(image.isNull());
    QVERIFY(!reported.isValid());
}

// QML loads these on its image threads, several at once.
void AppIconTest::concurrentRequests() {
    const QStringList ids = {QString::fromLatin1(QUrl::toPercentEncoding("/usr/games/qvthemed")),
                             QString::fromLatin1(QUrl::toPercentEncoding("/usr/bin/qvsquare")),
                             QString::fromLatin1(QUrl::toPercentEncoding("/usr/bin/qvpixapp"))};
    std::atomic<int> loaded{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 6; ++i) {
                QSize reported;
                const QImage image =
                    provider_.requestImage(ids.at((t + i) % ids.size()), &reported, QSize(40, 40));
                if (!image.isNull() && reported == QSize(40, 40))
                    ++loaded;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    QCOMPARE(loaded.load(), 24);
}

// The ids QML hands over: percent-encoding, spaces and Cyrillic survive the image URL.
void AppIconTest::throughQmlImage() {
    QQmlEngine engine;
    engine.addImageProvider(QStringLiteral("appicon"), new AppIconProvider);
    QQmlComponent component(&engine);
    component.setData("import QtQuick\n"
                      "Item {\n"
                      "  property alias app: app\n"
                      "  Image { id: app; sourceSize: Qt.size(40, 40) }\n"
                      "}\n",
                      QUrl());
    std::unique_ptr<QObject> root(component.create());
    QVERIFY2(root, qPrintable(component.errorString()));
    auto* app = root->property("app").value<QObject*>();
    const QString encoded = QString::fromLatin1(
        QUrl::toPercentEncoding(QStringLiteral("/opt/Моя программа/qvfakeapp")));
    app->setProperty("source", QUrl(QStringLiteral("image://appicon/") + encoded));

    const int ready = 1; // Image.Ready
    QTRY_COMPARE(app->property("status").toInt(), ready);
    QCOMPARE(app->property("implicitWidth").toReal(), 40.0);
    QCOMPARE(app->property("implicitHeight").toReal(), 20.0);

    const int error = 3; // Image.Error: the provider's null image
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Failed to get image from provider"));
    app->setProperty("source", QUrl(QStringLiteral("image://appicon/%2Fnonexistent%2Fqvunknown")));
    QTRY_COMPARE(app->property("status").toInt(), error);
}

QTEST_MAIN(AppIconTest)
#include "tst_app_icon_posix.moc"
