#include "app/render_choice.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>

namespace qv::ui {

bool isSoftwareRasteriser(const QString& rendererName) {
    static const char* const kNames[] = {"llvmpipe", "softpipe", "swrast", "software rasterizer",
                                         "microsoft basic render driver"};
    const QString name = rendererName.toLower();
    for (const char* n : kNames) {
        if (name.contains(QLatin1String(n)))
            return true;
    }
    return false;
}

QString chooseSceneGraph() {
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") ||
        qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return QStringLiteral("user");
    // These platforms draw into memory anyway and already pick the software scene graph.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return QStringLiteral("default");
    const QString renderer = graphicsRendererName();
    if (!isSoftwareRasteriser(renderer))
        return QStringLiteral("default");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    return QStringLiteral("software (%1)").arg(renderer);
}

} // namespace qv::ui
