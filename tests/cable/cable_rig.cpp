#include "tests/cable/cable_rig.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>

namespace qv::test {

using Json = nlohmann::json;

LoopbackServer::LoopbackServer() {
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection())
            serve(socket);
    });
}

QUrl LoopbackServer::base() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
}

int LoopbackServer::openConnections() const {
    int open = 0;
    for (const QTcpSocket* socket : m_server.findChildren<QTcpSocket*>())
        open += socket->state() == QAbstractSocket::ConnectedState;
    return open;
}

void LoopbackServer::serve(QTcpSocket* socket) {
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        const qsizetype end = request.indexOf("\r\n\r\n");
        if (end < 0 || socket->property("answered").toBool())
            return;
        socket->setProperty("answered", true);

        const QList<QByteArray> lines = request.left(end).split('\n');
        const QString path = QString::fromLatin1(lines.value(0).split(' ').value(1));
        m_paths << path;
        for (const QByteArray& line : lines) {
            if (line.toLower().startsWith("user-agent:"))
                m_userAgents << line.mid(11).trimmed();
        }
        const Response r =
            m_routes.value(path, Response{404, "<html>not here</html>", {}, false, -1, false});
        if (r.hold)
            return;
        // The client reads the status code, never the reason phrase.
        QByteArray head =
            "HTTP/1.1 " + QByteArray::number(r.status) + " Status\r\nConnection: close\r\n";
        if (!r.location.isEmpty())
            head += "Location: " + r.location + "\r\n";
        if (!r.noLength) {
            const qint64 length = r.declaredLength >= 0 ? r.declaredLength : r.body.size();
            head += "Content-Length: " + QByteArray::number(length) + "\r\n";
        }
        socket->write(head + "\r\n");
        socket->write(r.body);
        if (r.declaredLength < 0) // otherwise the client has to give up
            socket->disconnectFromHost();
    });
}

QByteArray storedZip(const QList<QPair<QByteArray, QByteArray>>& entries) {
    const auto crc32 = [](const QByteArray& data) {
        quint32 c = 0xFFFFFFFFu;
        for (const char ch : data) {
            c ^= quint8(ch);
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        return c ^ 0xFFFFFFFFu;
    };
    QByteArray archive, directory;
    QDataStream file(&archive, QIODevice::WriteOnly), index(&directory, QIODevice::WriteOnly);
    file.setByteOrder(QDataStream::LittleEndian);
    index.setByteOrder(QDataStream::LittleEndian);
    using u16 = quint16;
    for (const auto& [name, data] : entries) {
        const quint32 offset = quint32(archive.size()), crc = crc32(data);
        const quint32 size = quint32(data.size());
        // Version 1.0, no flags, stored, a fixed date, the sizes and the name's length.
        file << quint32(0x04034b50) << u16(10) << u16(0) << u16(0) << u16(0) << u16(0x21) << crc
             << size << size << u16(name.size()) << u16(0);
        file.writeRawData(name.constData(), int(name.size()));
        file.writeRawData(data.constData(), int(data.size()));
        index << quint32(0x02014b50) << u16(20) << u16(10) << u16(0) << u16(0) << u16(0)
              << u16(0x21) << crc << size << size << u16(name.size()) << u16(0) << u16(0) << u16(0)
              << u16(0) << quint32(0) << offset;
        index.writeRawData(name.constData(), int(name.size()));
    }
    const quint32 directoryOffset = quint32(archive.size());
    file.writeRawData(directory.constData(), int(directory.size()));
    file << quint32(0x06054b50) << u16(0) << u16(0) << u16(entries.size()) << u16(entries.size())
         << quint32(directory.size()) << directoryOffset << u16(0);
    return archive;
}

CableRig::CableRig(const QString& workName, const Json& config) {
    programFolder = temp.path() + QStringLiteral("/program");
    workFolder = temp.path() + QLatin1Char('/') + workName + QStringLiteral("/QUORVEL/vbcable");
    QDir().mkpath(programFolder);
    startReady(config);
}

void CableRig::create(const std::function<void(qv::ui::CableEnvironment&)>& change) {
    using namespace qv::ui;
    CableEnvironment env;
    env.downloadServer =
        QUrl(QStringLiteral("http://127.0.0.1:9")); // discard; tests that download set it
    env.site = QUrl(QStringLiteral("https://vb-audio.com"));
    env.workFolder = workFolder;
    env.programFolder = programFolder;
    env.system.unpackCommand = &qv::ui::unpackCommand;
    env.system.verifySignature = [this](const QString& path) {
        verified << path;
        return verdict;
    };
    env.system.launchElevated = [this](const QString& file, const QString& parameters,
                                       const QString& folder) {
        launches.push_back({file, parameters, folder});
        InstallerLaunch launch;
        launch.error = launchError;
        if (launchError == 0 && launchWithHandle) {
            auto process = std::make_unique<FakeInstaller>();
            installer = process.get();
            launch.process = std::move(process);
        }
        return launch;
    };
    env.system.openUrl = [this](const QUrl& page) { opened << page; };
    timer = new ManualWaitTimer;
    env.waitTimer = timer;
    if (change)
        change(env);
    setup = std::make_unique<CableSetup>(backend.get(), std::move(env));
    QObject::connect(setup.get(), &CableSetup::changed, setup.get(), [this] {
        history << QStringList{setup->state(), setup->message(),
                               QString::number(setup->progress())};
    });
}

bool writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

void CableRig::bundle(const QByteArray& content) {
    writeFile(programFolder + QStringLiteral("/vbcable/VBCABLE_Setup_x64.exe"), content);
}

QString CableRig::leaveInstaller(const QByteArray& content) {
    const QString path = workFolder + QStringLiteral("/VBCABLE Pack/VBCABLE_Setup_x64.exe");
    writeFile(path, content);
    return path;
}

void CableRig::showCable(bool present) {
    transport->deliver(
        Json{{"event", "endpoints"}, {"endpoints", present ? cableEndpoints() : Json::array()}});
}

Json CableRig::documentWithoutVirtualMic() {
    return Json::parse(R"json({
      "sources": [{"id": "in:mic1", "kind": "physical_input", "name": "Микрофон", "endpointId": "mic1"}],
      "devices": [{"id": "out:hp", "kind": "physical", "name": "Наушники", "endpointId": "hp"}]
    })json");
}

Json CableRig::cableEndpoints() {
    return Json::parse(R"json([
      {"id": "cab-r", "name": "CABLE Input (VB-Audio Virtual Cable)", "render": true, "active": true},
      {"id": "cab-c", "name": "CABLE Output (VB-Audio Virtual Cable)", "render": false, "active": true}
    ])json");
}

} // namespace qv::test
