#pragma once
// The abstract link between the Backend and an engine.

#include "engine/meter_block.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace qv::ui {

class Transport : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Transport() override = default;

    virtual void start() = 0;
    // Hands one serialised message to the engine. Thread-safe; may be called in any state.
    virtual void send(QByteArray json) = 0;
    // Copies the newest meters block into `out`; true only for a new, valid snapshot.
    virtual bool readMeters(MeterBlock* out) = 0;
    virtual bool isDemo() const { return false; }
    virtual void startEngine() {}

signals:
    void connectionChanged(bool connected, QString status);
    void message(QByteArray json);
};

} // namespace qv::ui
