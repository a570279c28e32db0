#include "io/qt_datagram_port.h"

#include <QTimer>

namespace crv::io {

QtDatagramPort::QtDatagramPort(QObject* parent) : QObject(parent) {
    connect(&m_receiver, &QUdpSocket::readyRead, this, [this] {
        if (!m_batchScheduled) {
            receiveBatch();
        }
    });
}

Status QtDatagramPort::bind(uint16_t port) {
    if (!m_receiver.bind(QHostAddress::LocalHost, port)) {
        return Status::failure(m_receiver.errorString().toStdString());
    }
    return Status::success();
}

void QtDatagramPort::sendTo(uint16_t port, const std::string& bytes) {
    m_sender.writeDatagram(bytes.data(), static_cast<qint64>(bytes.size()), QHostAddress::LocalHost,
                           port);
}

void QtDatagramPort::receiveBatch() {
    m_batchScheduled = false;
    char buffer[kLookedAt];
    for (int k = 0; k < kBatch && m_receiver.hasPendingDatagrams(); ++k) {
        // A datagram longer than the buffer is cut here; the rest is dropped unread.
        const qint64 size = m_receiver.readDatagram(buffer, sizeof buffer);
        if (size >= 0 && m_handler) {
            m_handler(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(size));
        }
    }
    if (m_receiver.hasPendingDatagrams()) {
        m_batchScheduled = true;
        QTimer::singleShot(0, this, &QtDatagramPort::receiveBatch);
    }
}

} // namespace crv::io
