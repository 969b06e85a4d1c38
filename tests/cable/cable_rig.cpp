#include "tests/cable/cable_rig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>

#include <initializer_list>
#include <utility>

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
        const Response r = m_routes.value(path, Response{404, "<html>not here</html>", {}, false, -1, false});
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
    // Little-endian fields of 2 or 4 bytes, as {value, width} pairs.
    const auto fields = [](QByteArray& out, std::initializer_list<std::pair<quint32, int>> list) {
        for (const auto& [value, width] : list)
            for (int i = 0; i < width; ++i)
                out.append(char((value >> (8 * i)) & 0xFF));
    };

    QByteArray archive, directory;
    for (const auto& [name, data] : entries) {
        const quint32 offset = quint32(archive.size()), crc = crc32(data);
        const quint32 size = quint32(data.size()), nameSize = quint32(name.size());
        // Local header: version 1.0, no flags, stored, a fixed date, sizes, name.
        fields(archive, {{0x04034b50, 4},
                         {10, 2},
                         {0, 2},
                         {0, 2},
                         {0, 2},
                         {0x21, 2},
                         {crc, 4},
                         {size, 4},
                         {size, 4},
                         {nameSize, 2},
                         {0, 2}});
        archive += name + data;
        fields(directory, {{0x02014b50, 4},
                           {20, 2},
                           {10, 2},
                           {0, 2},
                           {0, 2},
                           {0, 2},
                           {0x21, 2},
                           {crc, 4},
                           {size, 4},
                           {size, 4},
                           {nameSize, 2},
                           {0, 2},
                           {0, 2},
                           {0, 2},
                           {0, 2},
                           {0, 4},
                           {offset, 4}});
        directory += name;
    }
    const quint32 count = quint32(entries.size()), directoryOffset = quint32(archive.size());
    archive += directory;
    fields(archive, {{0x06054b50, 4},
                     {0, 2},
                     {0, 2},
                     {count, 2},
                     {count, 2},
                     {quint32(directory.size()), 4},
                     {directoryOffset, 4},
                     {0, 2}});
    return archive;
}

void ManualWaitTimer::advance(int ms) {
    m_now += ms;
    if (m_active && m_now >= m_deadline) {
        m_active = false;
        emit timeout();
    }
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

std::vector<Json> CableRig::sentCommands(const std::string& cmd) const {
    return transport->sentWithCmd(cmd);
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
