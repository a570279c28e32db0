#include "io/qt_serial_port.h"

#include <QFileInfo>
#include <QMetaObject>

#include <cerrno>
#include <unistd.h>

namespace crv::io {

namespace {

constexpr qint64 kDriverReceiveBuffer = 16384;

// What broke, for errors after which the device is gone for good; empty for the others (an
// unsupported line setting on a pseudo-terminal, say), which leave a working port.
QString fatalKind(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::DeviceNotFoundError:
        return "device disconnected";
    case QSerialPort::PermissionError:
        return "access lost";
    case QSerialPort::ReadError:
        return "read error";
    case QSerialPort::WriteError:
        return "write error";
    default:
        return {};
    }
}

// The system's words, and for the two failures the user can mend, how.
std::string openFailureText(const QSerialPort& port, const QString& device) {
    const std::string system = port.errorString().toStdString();
    if (port.error() != QSerialPort::PermissionError) {
        return system;
    }
    // Qt says "permission" both for a device this user may not open and for one that another
    // program has locked; only the first fails the access check.
    if (::access(device.toLocal8Bit().constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        return system +
               "\nThis user may not open serial ports. Join the \"dialout\" group and log in "
               "again:\n    sudo usermod -aG dialout $USER";
    }
    return system + "\nAnother program holds the port. Close it there, then connect again.";
}

} // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent) {
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialPort::scheduleDelivery);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::handleError);
}

Status QtSerialPort::open(const std::string& name) {
    // Qt reads a bare name as one under /dev; a path with a folder in it is taken as written.
    QString device = QString::fromStdString(name);
    if (device.contains('/')) {
        device = QFileInfo(device).absoluteFilePath();
    }
    m_port.setPortName(device);
    m_port.setBaudRate(QSerialPort::Baud57600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(kDriverReceiveBuffer);
    if (!m_port.open(QIODevice::ReadWrite)) {
        return Status::failure(openFailureText(m_port, device));
    }
    // Pseudo-terminals and some adapters have no modem lines; that is no reason to fail.
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(false);
    m_port.clearError();
    return Status::success();
}

void QtSerialPort::close() {
    if (m_port.isOpen()) {
        m_port.close();
    }
}

void QtSerialPort::purge() { m_port.clear(QSerialPort::AllDirections); }

void QtSerialPort::write(const uint8_t* data, size_t count) {
    if (m_port.isOpen()) {
        m_port.write(reinterpret_cast<const char*>(data), static_cast<qint64>(count));
    }
}

size_t QtSerialPort::read(uint8_t* out, size_t maxCount) {
    if (!m_port.isOpen()) {
        return 0;
    }
    const qint64 got = m_port.read(reinterpret_cast<char*>(out), static_cast<qint64>(maxCount));
    return got > 0 ? static_cast<size_t>(got) : 0;
}

// Qt does not emit readyRead again while a slot of it runs; handing the bytes on from a queued
// call lets nested event loops keep the frames coming.
void QtSerialPort::scheduleDelivery() {
    if (m_deliveryScheduled) {
        return;
    }
    m_deliveryScheduled = true;
    QMetaObject::invokeMethod(this, &QtSerialPort::deliverWaitingBytes, Qt::QueuedConnection);
}

void QtSerialPort::deliverWaitingBytes() {
    m_deliveryScheduled = false;
    if (m_port.isOpen() && m_listener != nullptr && m_port.bytesAvailable() > 0) {
        m_listener->bytesWaiting(static_cast<size_t>(m_port.bytesAvailable()));
    }
}

void QtSerialPort::handleError(QSerialPort::SerialPortError error) {
    const QString kind = fatalKind(error);
    if (kind.isEmpty() || !m_port.isOpen()) {
        return;
    }
    const std::string reason = (kind + " (" + m_port.errorString() + ")").toStdString();
    // Close first: a dead descriptor left open makes Qt report the error again and again.
    m_port.close();
    if (m_listener != nullptr) {
        m_listener->portFailed(reason);
    }
}

} // namespace crv::io
