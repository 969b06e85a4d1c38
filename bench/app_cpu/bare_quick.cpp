// A bare Qt Quick window, the reference of the CPU bench: what Qt Quick itself costs on this
// machine for what the mixer's window does while it only shows levels. Ten stereo meters (a
// rounded well and a square fill per bar, the program's sizes), driven the way the program
// drives its own: a precise 16 ms timer, and every second tick the fills move, set from C++ so
// that no JavaScript runs.
//   bench_bare_quick moving   the fills wobble like the demo levels
//   bench_bare_quick ticks    the timer runs, nothing moves: the cost of the wake-ups alone
//   bench_bare_quick still    no timer: the window only sits there
// Writes "first frame" to standard error once the window has been drawn.

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kScene = R"(
import QtQuick
Window {
    width: 1280; height: 760; visible: true; color: "#16181D"
    Row {
        x: 40; y: 200; spacing: 100
        Repeater {
            model: 10
            Row {
                spacing: 3
                Repeater {
                    model: 2
                    Rectangle {
                        width: 8; height: 120; radius: 3; color: "#2A2E36"
                        Rectangle {
                            objectName: "fill"
                            anchors.bottom: parent.bottom
                            width: 8; height: 0; color: "#3DDC84"
                        }
                    }
                }
            }
        }
    }
}
)";

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const char* mode = argc > 1 ? argv[1] : "moving";
    QQmlApplicationEngine engine;
    engine.loadData(kScene);
    auto* window = engine.rootObjects().isEmpty()
                       ? nullptr
                       : qobject_cast<QQuickWindow*>(engine.rootObjects()[0]);
    if (!window)
        return 1;
    QObject::connect(
        window, &QQuickWindow::frameSwapped, window,
        [] {
            static bool once = false;
            if (!once) {
                once = true;
                std::fprintf(stderr, "first frame\n");
            }
        },
        Qt::DirectConnection);

    // Items made by a Repeater are children of their parent item, not of the QObject tree.
    std::vector<QQuickItem*> fills;
    std::vector<QQuickItem*> todo{window->contentItem()};
    while (!todo.empty()) {
        QQuickItem* item = todo.back();
        todo.pop_back();
        if (item->objectName() == QLatin1String("fill"))
            fills.push_back(item);
        const QList<QQuickItem*> children = item->childItems();
        todo.insert(todo.end(), children.begin(), children.end());
    }
    std::fprintf(stderr, "%zu meter fills\n", fills.size());

    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(16);
    QElapsedTimer clock;
    clock.start();
    int tick = 0;
    const bool moving = std::strcmp(mode, "moving") == 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!moving || ++tick % 2 != 0)
            return;
        const double t = double(clock.elapsed()) / 1000.0;
        for (size_t i = 0; i < fills.size(); ++i) {
            const double level = 0.55 + 0.25 * std::sin((0.3 * double(i) + 0.9) * t) +
                                 0.05 * std::sin(37.0 * t + double(i));
            fills[i]->setHeight(std::round(120.0 * level));
        }
    });
    if (std::strcmp(mode, "still") != 0)
        timer.start();
    return app.exec();
}
