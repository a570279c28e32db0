#pragma once

#include <QByteArray>
#include <QFile>
#include <QHostAddress>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUdpSocket>
#include <QXmlStreamReader>

#include <cstdio>
#include <vector>

namespace crv::testing {

/// The simulator's side of the bridge on loopback: state lines formatted as the project's
/// protocol file tells FlightGear to format them, and the control lines that come back.
class SimulatorPeer {
public:
    struct Chunk {
        QString node, type, format;
        double factor = 1, offset = 0;
    };

    explicit SimulatorPeer(const QString& protocolFile) {
        QFile file(protocolFile);
        if (!file.open(QIODevice::ReadOnly)) {
            return;
        }
        QXmlStreamReader xml(&file);
        std::vector<Chunk>* chunks = nullptr;
        Chunk chunk;
        while (!xml.atEnd()) {
            xml.readNext();
            const QString name = xml.name().toString();
            if (xml.isStartElement()) {
                if (name == "output" || name == "input") {
                    chunks = name == "output" ? &output : &input;
                } else if (name == "chunk") {
                    chunk = Chunk{};
                } else if (name == "var_separator" && chunks == &output) {
                    varSeparator = keyword(xml.readElementText());
                } else if (name == "line_separator" && chunks == &output) {
                    lineSeparator = keyword(xml.readElementText());
                } else if (name == "node") {
                    chunk.node = xml.readElementText();
                } else if (name == "type") {
                    chunk.type = xml.readElementText();
                } else if (name == "format") {
                    chunk.format = xml.readElementText();
                } else if (name == "factor") {
                    chunk.factor = xml.readElementText().toDouble();
                } else if (name == "offset") {
                    chunk.offset = xml.readElementText().toDouble();
                }
            } else if (xml.isEndElement() && name == "chunk" && chunks != nullptr) {
                chunks->push_back(chunk);
            }
        }
        valid = !xml.hasError() && !output.empty();
        socket.bind(QHostAddress::LocalHost, 0);
    }

    /// One state line from property values by node; properties not given are 0.
    QByteArray stateLine(const QMap<QString, double>& properties) const {
        QByteArray line;
        for (size_t k = 0; k < output.size(); ++k) {
            const Chunk& c = output[k];
            char text[256];
            const double value = properties.value(c.node, 0) * c.factor + c.offset;
            const QByteArray format = c.format.toUtf8();
            if (c.node.isEmpty()) {
                std::snprintf(text, sizeof text, "%s", format.constData()); // a constant chunk
            } else if (c.type == "float") {
                std::snprintf(text, sizeof text, format.constData(), value);
            } else {
                std::snprintf(text, sizeof text, format.constData(), static_cast<int>(value));
            }
            line += (k > 0 ? varSeparator : QByteArray()) + text;
        }
        return line + lineSeparator;
    }

    void send(uint16_t port, const QByteArray& datagram) {
        socket.writeDatagram(datagram, QHostAddress::LocalHost, port);
    }
    /// The port the simulator would read its control lines on.
    uint16_t inputPort() const { return socket.localPort(); }
    /// The control lines received since the last call.
    QStringList takeControlLines() {
        QStringList lines;
        while (socket.hasPendingDatagrams()) {
            QByteArray datagram(static_cast<int>(socket.pendingDatagramSize()), 0);
            socket.readDatagram(datagram.data(), datagram.size());
            lines << QString::fromLatin1(datagram);
        }
        return lines;
    }

    bool valid = false;
    std::vector<Chunk> output, input;
    QByteArray varSeparator, lineSeparator;

private:
    static QByteArray keyword(const QString& text) {
        const QMap<QString, QByteArray> words = {
            {"newline", "\n"}, {"tab", "\t"}, {"carriagereturn", "\r"}, {"formfeed", "\f"}};
        return words.value(text, text.toUtf8());
    }

    QUdpSocket socket;
};

} // namespace crv::testing
