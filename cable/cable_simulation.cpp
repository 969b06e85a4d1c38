// CableSetup: the download the screenshot run shows instead of a real one. It advances with the
// clock (not per timer tick, so a busy machine gives the same picture) and then hands over to
// the usual wait for the cable's endpoints.
#include "backend/backend.h"
#include "cable/cable_setup.h"

#include <QTimer>

namespace qv::ui {

void CableSetup::simulateInstall(int ms) {
    m_simulatedMs = qMax(1, ms);
}

void CableSetup::simulateDownload() {
    if (!m_simulation) {
        m_simulation = new QTimer(this);
        m_simulation->setInterval(50);
        connect(m_simulation, &QTimer::timeout, this, &CableSetup::advanceSimulation);
    }
    m_simulationClock.start();
    setState(QStringLiteral("download"), downloadText(0), 0);
    m_simulation->start();
}

void CableSetup::advanceSimulation() {
    if (m_state != QLatin1String("download")) {
        m_simulation->stop();
        return;
    }
    const qint64 percent = qMin<qint64>(100, m_simulationClock.elapsed() * 100 / m_simulatedMs);
    if (percent < 100) {
        if (percent != m_progress)
            setState(m_state, downloadText(int(percent)), int(percent));
        return;
    }
    m_simulation->stop();
    if (m_backend && m_backend->demo())
        m_backend->demoSetCable(true);
    waitForCable();
}

} // namespace qv::ui
