#include "desktop/tray.h"

#include "backend/backend.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QWindow>

namespace qv::ui {
namespace {

const QString kTitle = QStringLiteral("QUORVEL");
const QString kExplainedKey = QStringLiteral("tray/explained");

const char* const kMenuStyle =
    "QMenu{background:#22242A;color:#E8E6E1;border:1px solid #454A55;padding:4px;"
    "font-family:'IBM Plex Sans';font-size:13px}"
    "QMenu::item{padding:7px 22px 7px 26px;border-radius:4px}"
    "QMenu::item:selected{background:#34373E}"
    "QMenu::item:disabled{color:#6A6D75}"
    "QMenu::separator{height:1px;background:#34373E;margin:4px 6px}"
    "QMenu::indicator{width:14px;height:14px;left:6px}";

} // namespace

Tray::Tray(Backend* backend, QObject* parent) : QObject(parent), m_backend(backend) {
    m_toolTip = kTitle;
    // The state is tracked also without a tray, so the tray's view of it stays testable.
    if (m_backend) {
        connect(m_backend, &Backend::changed, this, &Tray::update);
        connect(m_backend, &Backend::connectionChanged, this, &Tray::update);
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        update();
        return;
    }

    m_menu = std::make_unique<QMenu>();
    m_menu->setStyleSheet(QString::fromLatin1(kMenuStyle));
    connect(m_menu->addAction(tr("Открыть QUORVEL")), &QAction::triggered, this, &Tray::showWindow);
    m_menu->addSeparator();
    m_micAction = m_menu->addAction(tr("Выключить микрофон"));
    m_micAction->setCheckable(true);
    // triggered, not toggled: only the user's choice mutes, never the state update below.
    connect(m_micAction, &QAction::triggered, this, [this](bool checked) {
        if (m_backend)
            m_backend->setMicMuted(checked);
    });
    m_menu->addSeparator();
    connect(m_menu->addAction(tr("Выход")), &QAction::triggered, this, &Tray::quit);

    m_icon = std::make_unique<QSystemTrayIcon>();
    m_icon->setContextMenu(m_menu.get());
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    showWindow();
            });

    if (m_backend) {
        connect(m_backend, &Backend::deviceNotice, this, [this](const QString& text) {
            m_icon->showMessage(kTitle, text, QSystemTrayIcon::Information, 4000);
        });
    }
    update();
    m_icon->setVisible(true);
}

Tray::~Tray() {
    // The icon goes first: its context menu is still alive while it is removed.
    m_icon.reset();
}

void Tray::setWindow(QWindow* window) {
    m_window = window;
}

QImage Tray::paintIcon(bool muted) {
    QImage image(QStringLiteral(":/icons/quorvel.png"));
    if (!muted || image.isNull())
        return image;
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const qreal w = image.width();
    const qreal h = image.height();
    const qreal d = 0.42 * w;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(16, 17, 20), 0.05 * w, Qt::SolidLine));
    p.setBrush(QColor(240, 113, 103));
    p.drawEllipse(QRectF(w - d - 2, h - d - 2, d, d));
    return image;
}

QString Tray::toolTipFor(bool connected, bool hasMic, bool muted) {
    if (!connected)
        return kTitle + QStringLiteral(" — движок не запущен");
    if (!hasMic)
        return kTitle;
    return kTitle +
           (muted ? QStringLiteral(" — микрофон выключен") : QStringLiteral(" — микрофон включён"));
}

void Tray::update() {
    const bool muted = m_backend && m_backend->micMuted();
    const bool hasMic = m_backend && m_backend->hasMic();
    const bool connected = m_backend && m_backend->connected();

    // The Backend changes many times a second while a fader moves: repaint and hand the
    // icon over only when the dot comes or goes.
    if (!m_iconPainted || muted != m_shownMuted) {
        m_iconPainted = true;
        m_shownMuted = muted;
        m_iconImage = paintIcon(muted);
        if (m_icon)
            m_icon->setIcon(QIcon(QPixmap::fromImage(m_iconImage)));
    }
    if (m_micAction) {
        m_micAction->setEnabled(hasMic);
        m_micAction->setChecked(muted);
    }
    // While quitting the tooltip keeps saying so.
    if (m_quitting)
        return;
    const QString tip = toolTipFor(connected, hasMic, muted);
    if (tip != m_toolTip || (m_icon && m_icon->toolTip() != tip)) {
        m_toolTip = tip;
        if (m_icon)
            m_icon->setToolTip(tip);
    }
}

void Tray::showWindow() {
    QWindow* w = m_window;
    if (!w)
        return;
    // showNormal also brings back a window that was hidden while maximised as a normal one.
    if ((w->windowStates() & Qt::WindowMinimized) || !w->isVisible())
        w->showNormal();
    w->raise();
    w->requestActivate();
}

void Tray::toggleWindow() {
    QWindow* w = m_window;
    if (!w)
        return;
    if (w->isVisible() && !(w->windowStates() & Qt::WindowMinimized) && w->isActive())
        w->hide();
    else
        showWindow();
}

bool Tray::hiddenToTray() {
    if (!m_icon)
        return false;
    QSettings settings;
    if (settings.value(kExplainedKey, false).toBool())
        return false;
    settings.setValue(kExplainedKey, true);
    m_icon->showMessage(kTitle,
                        tr("QUORVEL работает в трее — звук не прерывается. Открыть окно — значок "
                           "в трее, выйти — «Выход» в его меню."),
                        QSystemTrayIcon::Information, 6000);
    return true;
}

void Tray::quit() {
    if (m_quitting)
        return;
    m_quitting = true;
    emit quittingChanged();
    m_toolTip = tr("QUORVEL — выход…");
    if (m_icon)
        m_icon->setToolTip(m_toolTip);

    std::function<void()> done = m_quitAction;
    if (!done)
        done = [] { QCoreApplication::quit(); };
    if (m_backend)
        m_backend->quitAll(std::move(done));
    else
        done();
}

} // namespace qv::ui
