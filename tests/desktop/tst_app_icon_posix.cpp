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

#include <memory>
#include <thread>
#include <vector>

using qv::ui::AppIconProvider;

class AppIconTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Program icons are read from disk: QML must load them off the GUI thread.
        QVERIFY(provider_.flags() & QQmlImageProviderBase::ForceAsynchronousImageLoading);
        QVERIFY(dir_.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath("home")));
        qputenv("XDG_DATA_DIRS",
                QFile::encodeName(dir_.filePath("one") + ':' + dir_.filePath("two")));

        const QByteArray wide = writeImage("img/wide.png", QSize(64, 32), Qt::red).toUtf8();
        const QByteArray square = writeImage("img/square.png", QSize(256, 256), Qt::blue).toUtf8();
        const QByteArray green = writeImage("img/green.png", QSize(48, 48), Qt::green).toUtf8();
        writeImage("two/pixmaps/qvpix.png", QSize(16, 16), Qt::magenta);

        const QByteArray none = dir_.filePath("img/none.png").toUtf8();
        const std::pair<const char*, QByteArray> entries[] = {
            {"one/applications/fake.desktop",
             "Type=Application\nName=Fake\nExec=\"/opt/Моя программа/qvfakeapp\" --flag %U\nIcon=" +
                 wide},
            {"two/applications/vendor/square.desktop",
             "# vendor entry in a sub-folder\nName=Square\nExec=env LANG=C QV_X=1 qvsquare %F\n"
             "Icon=" +
                 square},
            {"one/applications/other.desktop",
             "Exec=qvfakeapp2\nIcon[ru]=" + square + "\nIcon=" + green +
                 "\n[Desktop Action x]\nExec=qvaction\nIcon=" + wide},
            {"one/applications/hidden.desktop", "Hidden=true\nExec=qvhidden\nIcon=" + wide},
            {"one/applications/noicon.desktop", "Exec=qvnoicon"},
            {"one/applications/a-byname.desktop", "Exec=qvdup\nIcon=" + square},
            {"two/applications/b-exact.desktop", "Exec=/opt/x/qvdup\nIcon=" + wide},
            {"home/applications/tryexec.desktop",
             "TryExec=qvtry\nExec=launcher --run qvtry\nIcon=" + green},
            {"home/applications/pix.desktop", "Exec=qvpixapp\nIcon=qvpix"},
            {"home/applications/broken.desktop", "Exec=qvbroken\nIcon=" + none},
        };
        for (const auto& [path, body] : entries)
            writeFile(path, "[Desktop Entry]\n" + body + "\n");

        // A private icon theme holding an icon named after an executable.
        writeImage("icons/qvtest/32x32/apps/qvthemed.png", QSize(32, 32), Qt::yellow);
        writeFile("icons/qvtest/index.theme",
                  "[Icon Theme]\nName=qvtest\nDirectories=32x32/apps\n\n"
                  "[32x32/apps]\nSize=32\nType=Fixed\n");
        QIcon::setThemeSearchPaths({dir_.filePath("icons")});
        QIcon::setThemeName(QStringLiteral("qvtest"));
    }
    // Program paths, with what a desktop entry or the icon theme gives for them.
    void resolves_data() {
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
        // Nothing found: a null image and no size.
        for (const char* missing : {"/nonexistent/qvunknown", "/usr/bin/qvhidden",
                                    "/usr/bin/qvnoicon", "/usr/bin/qvbroken", "/usr/bin/qvaction"})
            QTest::newRow(missing) << missing << QSize(40, 40) << QSize() << QColor();
        QTest::newRow("empty id") << "" << QSize(40, 40) << QSize() << QColor();
    }
    void resolves() {
        QFETCH(QString, exePath);
        QFETCH(QSize, requested);
        QFETCH(QSize, expectedSize);
        QFETCH(QColor, colour);

        // QML loads these on its image threads, several at once.
        QImage images[4];
        QSize reported[4];
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            reported[t] = QSize(-7, -7);
            threads.emplace_back([&, t] {
                images[t] = provider_.requestImage(idOf(exePath), &reported[t], requested);
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        for (int t = 0; t < 4; ++t) {
            const QImage& image = images[t];
            QCOMPARE(image.isNull(), !expectedSize.isValid());
            QCOMPARE(reported[t], expectedSize);
            if (image.isNull())
                continue;
            QCOMPARE(image.size(), expectedSize);
            const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
            QCOMPARE(centre.rgb(), colour.rgb());
        }
    }
    // The ids QML hands over: percent-encoding, spaces and Cyrillic survive the image URL.
    void throughQmlImage() {
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
        app->setProperty("source", QUrl("image://appicon/" + idOf("/opt/Моя программа/qvfakeapp")));

        const int ready = 1; // Image.Ready
        QTRY_COMPARE(app->property("status").toInt(), ready);
        QCOMPARE(app->property("implicitWidth").toReal(), 40.0);
        QCOMPARE(app->property("implicitHeight").toReal(), 20.0);
    }

private:
    static QString idOf(const QString& exePath) {
        return QString::fromLatin1(QUrl::toPercentEncoding(exePath));
    }
    QString writeImage(const QString& name, QSize size, QColor colour) {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(colour);
        const QString path = dir_.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        if (!image.save(path, "PNG"))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    void writeFile(const QString& relative, const QByteArray& text) {
        const QString path = dir_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    QTemporaryDir dir_;
    AppIconProvider provider_;
};

QTEST_MAIN(AppIconTest)
#include "tst_app_icon_posix.moc"
