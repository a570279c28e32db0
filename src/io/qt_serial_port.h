#pragma once

#include "link/serial_port.h"

#include <QObject>
#include <QSerialPort>

namespace crv::io {

/// The board port over Qt SerialPort. Receive notifications reach the listener from the event
/// loop, never from inside Qt's own notification, so a modal box opened by a message handler
/// keeps receiving frames.
class QtSerialPort : public QObject, public link::SerialPort {
    Q_OBJECT

public:
    explicit QtSerialPort(QObject* parent = nullptr);

    void setListener(link::SerialPortListener* listener) override { m_listener = listener; }
    Status open(const std::string& name) override;
    void close() override;
    void purge() override;
    void write(const uint8_t* data, size_t count) override;
    size_t read(uint8_t* out, size_t maxCount) override;

private:
    void scheduleDelivery();
    void deliverWaitingBytes();
    void handleError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    link::SerialPortListener* m_listener = nullptr;
    bool m_deliveryScheduled = false;
};

} // namespace crv::io
