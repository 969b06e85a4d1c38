#include "app/render_choice.h"

#include <QDir>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace qv::ui {

// Without a DRM render node Mesa has no hardware to drive and renders with llvmpipe. Asking
// OpenGL would load that rasteriser (and LLVM with it: some 50 MiB resident and tens of
// milliseconds) only to learn the same, so the node is looked for first.
static bool hasRenderNode() {
    const QDir dri(QStringLiteral("/dev/dri"));
    return !dri.entryList({QStringLiteral("renderD*")}, QDir::System).isEmpty();
}

// OpenGL names its renderer once a context is current; a throw-away context on an offscreen
// surface answers without a window. No OpenGL at all gives an empty name (then Qt Quick falls
// back by itself).
QString graphicsRendererName() {
    if (!hasRenderNode())
        return QStringLiteral("llvmpipe (no DRM render node)");
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!surface.isValid() || !context.create() || !context.makeCurrent(&surface))
        return {};
    const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    QString out = name ? QString::fromLatin1(name) : QString();
    context.doneCurrent();
    return out;
}

} // namespace qv::ui
