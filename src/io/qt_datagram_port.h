#pragma once

#include "common/status.h"

#include <QObject>
#include <QUdpSocket>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace crv::io {

/// UDP on the local host over Qt Network: one socket that receives on a port of 127.0.0.1 and
/// one that sends to a port there. Datagrams reach the handler one at a time on the thread of
/// the event loop, at most kLookedAt bytes of each; a flood is taken in batches so the loop
/// keeps running between them.
class QtDatagramPort : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(const uint8_t* data, size_t size)>;
    static constexpr size_t kLookedAt = 1024;
    static constexpr int kBatch = 32;

    explicit QtDatagramPort(QObject* parent = nullptr);

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    /// Binds the receiving socket to 127.0.0.1 port (0: any free port).
    Status bind(uint16_t port);
    /// The bound port, or 0 while unbound.
    uint16_t boundPort() const { return m_receiver.localPort(); }
    void sendTo(uint16_t port, const std::string& bytes);

private:
    void receiveBatch();

    QUdpSocket m_receiver;
    QUdpSocket m_sender;
    Handler m_handler;
    bool m_batchScheduled = false;
};

} // namespace crv::io
