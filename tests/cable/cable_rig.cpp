#include "tests/cable/cable_rig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>

#include <array>

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
        Response notFound;
        notFound.status = 404;
        notFound.body = "<html>not here</html>";
        const Response r = m_routes.value(path, notFound);
        if (r.hold)
            return;

        const QByteArray reason = r.status == 200   ? "OK"
                                  : r.status == 302 ? "Found"
                                  : r.status == 404 ? "Not Found"
                                                    : "Status";
        QByteArray head =
            "HTTP/1.1 " + QByteArray::number(r.status) + " " + reason + "\r\nConnection: close\r\n";
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
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    const auto crc32 = [](const QByteArray& data) {
        quint32 c = 0xFFFFFFFFu;
        for (const char ch : data)
            c = table[(c ^ quint8(ch)) & 0xFF] ^ (c >> 8);
        return c ^ 0xFFFFFFFFu;
    };
    const auto le16 = [](QByteArray& out, quint16 v) {
        out.append(char(v & 0xFF)).append(char(v >> 8));
    };
    const auto le32 = [&](QByteArray& out, quint32 v) {
        le16(out, quint16(v)), le16(out, quint16(v >> 16));
    };

    QByteArray archive, directory;
    for (const auto& [name, data] : entries) {
        const quint32 offset = quint32(archive.size());
        const quint32 crc = crc32(data);
        le32(archive, 0x04034b50); // local file header
        le16(archive, 10), le16(archive, 0), le16(archive, 0), le16(archive, 0),
            le16(archive, 0x21);
        le32(archive, crc), le32(archive, quint32(data.size())),
            le32(archive, quint32(data.size()));
        le16(archive, quint16(name.size())), le16(archive, 0);
        archive += name + data;

        le32(directory, 0x02014b50); // central directory entry
        le16(directory, 20), le16(directory, 10), le16(directory, 0), le16(directory, 0);
        le16(directory, 0), le16(directory, 0x21);
        le32(directory, crc), le32(directory, quint32(data.size())),
            le32(directory, quint32(data.size()));
        le16(directory, quint16(name.size())), le16(directory, 0), le16(directory, 0);
        le16(directory, 0), le16(directory, 0), le32(directory, 0), le32(directory, offset);
        directory += name;
    }
    const quint32 directoryOffset = quint32(archive.size());
    archive += directory;
    le32(archive, 0x06054b50); // end of central directory
    le16(archive, 0), le16(archive, 0), le16(archive, quint16(entries.size()));
    le16(archive, quint16(entries.size()));
    le32(archive, quint32(directory.size())), le32(archive, directoryOffset), le16(archive, 0);
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
